#include "screens/capture/PhotoListCollectionViewCell.h"

#include "platform/graphics/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/webimage/ImageViewWebCache.h"

std::shared_ptr<PhotoListCollectionViewCell> PhotoListCollectionViewCell::create(graphics::Rect frame)
{
    auto cell = std::make_shared<PhotoListCollectionViewCell>(frame);
    cell->setUpIfNeeded();
    return cell;
}

PhotoListCollectionViewCell::PhotoListCollectionViewCell(graphics::Rect frame)
    : ui::CollectionViewCell(frame.isEmpty() ? graphics::Rect {frame.origin, kSize} : frame)
{
    double width = bounds().width(), height = bounds().height();
    // A 4:3 thumbnail over two lines of text, inside the frame picture's border.
    m_recipeImageView = ui::ImageView::create(graphics::Rect {9, 8, width - 18, (width - 18) * 3 / 4});
    m_recipeImageView->setContentMode(ui::ContentMode::AspectFill);
    m_recipeImageView->setClipsToBounds(true);
    m_recipeImageView->setBackgroundColor(graphics::Color::white(0.9));

    double textTop = m_recipeImageView->frame().maxY() + 3;
    m_photoLabel = ui::Label::create({6, textTop, width - 12, 18});
    m_photoLabel->setFont(graphics::Font::systemFont(13));
    m_photoLabel->setTextColor(graphics::Color::white(0.15));
    m_photoLabel->setTextAlignment(graphics::TextAlignment::Center);

    m_photoStatusLabel
        = ui::Label::create({6, textTop + 18, width - 12, std::max(14.0, height - textTop - 22)});
    m_photoStatusLabel->setFont(graphics::Font::boldSystemFont(12));
    m_photoStatusLabel->setTextAlignment(graphics::TextAlignment::Center);
}

void PhotoListCollectionViewCell::setUpSubviews()
{
    ui::CollectionViewCell::setUpSubviews();
    for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>> {
             m_recipeImageView, m_photoLabel, m_photoStatusLabel})
        contentView()->addSubview(view);
}

void PhotoListCollectionViewCell::prepareForReuse()
{
    ui::CollectionViewCell::prepareForReuse();
    webimage::cancelImageLoad(*m_recipeImageView);
    m_recipeImageView->setImage(nullptr);
    m_photoLabel->setText("");
    m_photoStatusLabel->setText("");
}
