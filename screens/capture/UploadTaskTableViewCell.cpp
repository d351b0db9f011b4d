#include "screens/capture/UploadTaskTableViewCell.h"

#include "platform/graphics/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressView.h"

#include <algorithm>

namespace {

constexpr double kMargin = 10;
constexpr double kImageWidth = 80;
constexpr double kImageHeight = 60;
constexpr double kTextLeft = kMargin + kImageWidth + kMargin;

std::shared_ptr<ui::Label> makeLabel(ui::View& parent, double size, graphics::Color color)
{
    auto label = ui::Label::create();
    label->setFont(graphics::Font::systemFont(size));
    label->setTextColor(color);
    parent.addSubview(label);
    return label;
}

} // namespace

std::shared_ptr<UploadTaskTableViewCell> UploadTaskTableViewCell::loadFromNib()
{
    auto cell = std::make_shared<UploadTaskTableViewCell>();
    cell->awakeFromNib();
    return cell;
}

UploadTaskTableViewCell::UploadTaskTableViewCell()
    : ui::TableViewCell({}, {0, 0, 320, kHeight})
{ }

// Builds the nib's views and connects the outlets.
void UploadTaskTableViewCell::awakeFromNib()
{
    auto& content = *contentView();
    auto image = ui::ImageView::create();
    image->setContentMode(ui::ContentMode::AspectFill);
    image->setClipsToBounds(true);
    image->setBackgroundColor(graphics::Color::white(0.93));
    content.addSubview(image);
    m_taskImage = image;
    m_applyNOLabel = makeLabel(content, 14, graphics::Color::darkGray());
    m_dealPrice = makeLabel(content, 15, graphics::Color::black());
    // The nib's other labels stay empty on this screen.
    for (auto* outlet : {&m_ensureCompany, &m_baseLocation, &m_createTIme}) {
        auto label = makeLabel(content, 12, graphics::Color::gray());
        label->setHidden(true);
        *outlet = label;
    }
    auto progress = ui::ProgressView::create(ui::ProgressViewStyle::Default);
    progress->setProgress(0);
    content.addSubview(progress);
    m_progressview = progress;
    auto separator = ui::View::create({kTextLeft, kHeight - 0.5, 320 - kTextLeft, 0.5});
    separator->setBackgroundColor(graphics::Color::white(0.85));
    separator->setTag(1);
    content.addSubview(separator);
}

void UploadTaskTableViewCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    double width = bounds().width();
    double textWidth = std::max(0.0, width - kTextLeft - kMargin);
    if (auto image = taskImage())
        image->setFrame({kMargin, (bounds().height() - kImageHeight) / 2, kImageWidth, kImageHeight});
    if (auto label = applyNOLabel())
        label->setFrame({kTextLeft, 10, textWidth, 20});
    if (auto label = dealPrice())
        label->setFrame({kTextLeft, 32, textWidth, 20});
    if (auto progress = progressview())
        progress->setFrame({kTextLeft, 60, textWidth, ui::ProgressView::kDefaultHeight});
    if (auto separator = contentView()->viewWithTag(1))
        separator->setFrame({kTextLeft, bounds().height() - 0.5, width - kTextLeft, 0.5});
}
