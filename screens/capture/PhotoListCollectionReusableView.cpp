#include "screens/capture/PhotoListCollectionReusableView.h"

#include "platform/graphics/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

std::shared_ptr<PhotoListCollectionReusableView> PhotoListCollectionReusableView::create(graphics::Rect frame)
{
    auto view = std::make_shared<PhotoListCollectionReusableView>(frame);
    view->setUpIfNeeded();
    return view;
}

PhotoListCollectionReusableView::PhotoListCollectionReusableView(graphics::Rect frame)
    : ui::CollectionReusableView(frame)
{
    auto flexible = ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight;
    m_backgroundImage = ui::ImageView::create(graphics::Rect {0, 0, frame.width(), frame.height()});
    m_backgroundImage->setContentMode(ui::ContentMode::ScaleToFill);
    m_backgroundImage->setAutoresizingMask(flexible);

    m_title = ui::Label::create({14, 0, std::max(0.0, frame.width() - 28), frame.height()});
    m_title->setFont(graphics::Font::boldSystemFont(15));
    m_title->setTextColor(graphics::Color::white());
    m_title->setAutoresizingMask(flexible);
}

void PhotoListCollectionReusableView::setUpSubviews()
{
    addSubview(m_backgroundImage);
    addSubview(m_title);
}
