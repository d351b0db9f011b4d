#include "platform/ui/NavigationBar.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace ui {

namespace {
constexpr double kSideWidth = 80;
constexpr double kMargin = 8;
constexpr const char* kBackChevron = "< ";
graphics::Font titleFont()
{
    return graphics::Font::boldSystemFont(17);
}
graphics::Font buttonFont()
{
    return graphics::Font::systemFont(17);
}
const graphics::Color kTint = graphics::Color::rgba(0, 0.478, 1);
} // namespace

std::shared_ptr<NavigationBar> NavigationBar::create(graphics::Rect frame)
{
    return std::make_shared<NavigationBar>(frame);
}

NavigationBar::NavigationBar(graphics::Rect frame)
    : View(frame)
{
    setBackgroundColor(graphics::Color::white(0.97));
    setAutoresizingMask(Autoresizing::FlexibleWidth);
}

void NavigationBar::setTopItem(NavigationItem* item, bool showsBack, NavigationItem* backItem)
{
    m_topItem = item;
    m_showsBack = showsBack;
    m_backItem = backItem;
    setNeedsDisplay();
}

std::string NavigationBar::backButtonTitle() const
{
    if (!m_backItem)
        return kDefaultBackTitle;
    if (auto back = m_backItem->backBarButtonItem(); back && !back->title().empty())
        return back->title();
    const std::string& title = m_backItem->title();
    if (title.empty())
        return kDefaultBackTitle;
    // The previous title when it fits left of the centred title, as on the phone.
    double width = bounds().width();
    double titleWidth = m_topItem ? graphics::TextLayout::lineWidth(m_topItem->title(), titleFont()) : 0;
    titleWidth = std::min(titleWidth, width - 2 * kSideWidth);
    double room = std::max(kSideWidth, (width - titleWidth) / 2 - 2 * kMargin);
    if (graphics::TextLayout::lineWidth(kBackChevron + title, buttonFont()) > room)
        return kDefaultBackTitle;
    return title;
}

double NavigationBar::backButtonWidth() const
{
    return std::max(
        kSideWidth, graphics::TextLayout::lineWidth(kBackChevron + backButtonTitle(), buttonFont()));
}

void NavigationBar::setBarTintColor(std::optional<graphics::Color> color)
{
    m_barTint = color;
    setBackgroundColor(color ? color : graphics::Color::white(0.97));
}

graphics::Color NavigationBar::tintColor() const
{
    return m_barTint ? graphics::Color::readableOn(*m_barTint) : kTint;
}

graphics::Color NavigationBar::titleColor() const
{
    return m_barTint ? graphics::Color::readableOn(*m_barTint) : graphics::Color::black();
}

void NavigationBar::draw(graphics::GraphicsContext& context, graphics::Rect b)
{
    // The bar's content sits in its lowest 44 points; above it is the status bar's strip.
    graphics::Rect content {b.minX(), b.maxY() - kHeight, b.width(), kHeight};
    context.fillRect({b.minX(), b.maxY() - 0.5, b.width(), 0.5}, graphics::Color::white(0.7));
    if (!m_topItem)
        return;
    auto title = titleFont();
    auto button = buttonFont();
    auto line = [&](const std::string& text, const graphics::Font& font, graphics::Rect r,
                    graphics::Color color, graphics::TextAlignment alignment) {
        double h = font.lineHeight();
        graphics::Rect box {r.minX(), r.midY() - h / 2, r.width(), h};
        graphics::TextLayout::draw(
            context, text, font, box, color, alignment, 1, graphics::LineBreakMode::TruncateTail);
    };
    const graphics::Color tint = tintColor();
    line(m_topItem->title(), title, content.insetBy(kSideWidth, 0), titleColor(),
        graphics::TextAlignment::Center);
    if (auto left = m_topItem->leftBarButtonItem())
        line(left->title(), button, {content.minX() + 8, content.minY(), kSideWidth, kHeight}, tint,
            graphics::TextAlignment::Left);
    else if (m_showsBack) {
        line(kBackChevron + backButtonTitle(), button,
            {content.minX() + kMargin, content.minY(), backButtonWidth(), kHeight}, tint,
            graphics::TextAlignment::Left);
    }
    if (auto right = m_topItem->rightBarButtonItem())
        line(right->title(), button, {content.maxX() - kSideWidth - 8, content.minY(), kSideWidth, kHeight},
            tint, graphics::TextAlignment::Right);
}

std::string NavigationBar::automationText() const
{
    return m_topItem ? m_topItem->title() : std::string();
}

std::vector<View::AutomationElement> NavigationBar::automationElements() const
{
    std::vector<AutomationElement> elements;
    if (!m_topItem)
        return elements;
    graphics::Rect b = bounds();
    double top = b.maxY() - kHeight;
    // The areas touchesEnded() answers to.
    if (auto left = m_topItem->leftBarButtonItem())
        elements.push_back({"BarButtonItem", left->title(), {b.minX(), top, kSideWidth + kMargin, kHeight}});
    else if (m_showsBack)
        elements.push_back(
            {"BackButton", backButtonTitle(), {b.minX(), top, backButtonWidth() + kMargin, kHeight}});
    if (auto right = m_topItem->rightBarButtonItem())
        elements.push_back(
            {"BarButtonItem", right->title(), {b.maxX() - kSideWidth - 8, top, kSideWidth + 8, kHeight}});
    return elements;
}

void NavigationBar::touchesEnded(const TouchSet& touches, const Event*)
{
    if (!m_topItem || touches.empty())
        return;
    graphics::Point p = touches.front()->locationInView(this);
    if (auto left = m_topItem->leftBarButtonItem(); left && p.x < kSideWidth + kMargin) {
        left->trigger();
    } else if (!left && m_showsBack && p.x < backButtonWidth() + kMargin) {
        if (onBack)
            onBack();
    } else if (p.x > bounds().width() - kSideWidth - 8) {
        if (auto right = m_topItem->rightBarButtonItem())
            right->trigger();
    }
}

} // namespace ui
