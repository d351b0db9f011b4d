// The popover form of ActionSheet: one continuous panel beside a point, with an arrow.
#include "components/actionsheet/ActionSheet.h"

#include "components/actionsheet/ActionSheetLayer.h"
#include "components/actionsheet/ActionSheetTriangle.h"
#include "components/actionsheet/ActionSheetView.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"

#include <algorithm>

using graphics::Color;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kArrowGap = 10;
constexpr double kEdgeMargin = 5;
constexpr double kArrowMargin = 3;

[[noreturn]] void invalidDirection()
{
    throw foundation::Exception("NSInvalidArgumentException", "Invalid arrow direction");
}

} // namespace

void ActionSheet::showFromPoint(
    Point point, const std::shared_ptr<ui::View>& view, unsigned arrowDirection, bool animated)
{
    if (!isTablet()) {
        showInView(view, animated);
        return;
    }
    if (arrowDirection > Down)
        invalidDirection();
    present(view, animated, [this, point, arrowDirection] { moveToPoint(point, arrowDirection, false); });
}

void ActionSheet::moveToPoint(Point point, unsigned arrowDirection, bool animated)
{
    if (!isTablet())
        return;
    auto target = targetView();
    if (!target)
        return;
    if (arrowDirection > Down)
        invalidDirection();

    ui::Application::shared().beginIgnoringInteractionEvents();
    ActionSheetLayer::setKeepsPlatformCurve(true);
    auto move = [this, point, arrowDirection, target] {
        setFrame(target->bounds());
        const double width = target->bounds().width();
        const double height = target->bounds().height();
        Rect available;
        switch (arrowDirection) {
        case Left:
            available = {point.x + kArrowGap, 0, width - point.x - kArrowGap, height};
            break;
        case Right:
            available = {0, 0, point.x - kArrowGap, height};
            break;
        case Up:
            available = {0, point.y + kArrowGap, width, height - point.y - kArrowGap};
            break;
        default:
            available = {0, 0, width, point.y - kArrowGap};
            break;
        }
        available = available.insetBy(kEdgeMargin, kEdgeMargin);
        available.origin.x += m_insets.left;
        available.origin.y += m_insets.top;
        available.size.width -= m_insets.left + m_insets.right;
        available.size.height -= m_insets.top + m_insets.bottom;

        m_scrollViewHost->setBackgroundColor(Color::white());
        m_scrollViewHost->layer().setCornerRadius(3);
        m_scrollViewHost->layer().setShadowColor(Color::black());
        m_scrollViewHost->layer().setShadowOffset({0, 0});
        m_scrollViewHost->layer().setShadowRadius(4);
        m_scrollViewHost->layer().setShadowOpacity(0.2);

        layoutSheetForFrame(available, false, true, true);
        anchorSheetAtPoint(point, arrowDirection, available);
    };

    if (animated) {
        ui::View::animate(kTabletDuration, 0, ui::AnimationOptions::None, move,
            [](bool) { ui::Application::shared().endIgnoringInteractionEvents(); });
    } else {
        move();
        ui::Application::shared().endIgnoringInteractionEvents();
    }
    ActionSheetLayer::setKeepsPlatformCurve(false);
}

void ActionSheet::anchorSheetAtPoint(Point point, unsigned arrowDirection, Rect available)
{
    m_anchoredAtPoint = true;
    m_anchorPoint = point;
    m_anchoredArrowDirection = arrowDirection;

    Rect panel = m_scrollViewHost->frame();
    const double w = panel.width();
    const double h = panel.height();
    const double px = point.x;
    const double py = point.y;
    const double arrowLong = kArrowSize.height; // 20
    const double arrowShort = kArrowSize.width; // 10

    Rect arrow;
    switch (arrowDirection) {
    case Left:
        arrow = {px, py - arrowShort, arrowShort, arrowLong};
        panel.origin.x = px + kArrowGap;
        break;
    case Right:
        arrow = {px - arrowShort, py - arrowShort, arrowShort, arrowLong};
        panel.origin.x = px - w - kArrowGap;
        break;
    case Up:
        arrow = {px - arrowShort, py, arrowLong, arrowShort};
        panel.origin.y = py + kArrowGap;
        break;
    case Down:
        arrow = {px - arrowShort, py - arrowShort, arrowLong, arrowShort};
        panel.origin.y = py - h - kArrowGap;
        break;
    default:
        arrow = {0, 0, 0, 0};
        break;
    }

    if (arrowDirection == Up || arrowDirection == Down) {
        panel.origin.x
            = std::min(std::max(px - w / 2, std::min(available.minX(), arrow.minX() - kArrowMargin)),
                std::max(available.maxX() - w, arrow.maxX() + kArrowMargin - w));
    } else if (arrowDirection == Left || arrowDirection == Right) {
        panel.origin.y = std::min(std::max(available.maxY() - h, arrow.maxY() + kArrowMargin - h),
            std::min(std::max(available.minY(), py - h / 2), arrow.minY() - kArrowMargin));
    }

    if (!m_arrowView) {
        m_arrowView = ActionSheetTriangle::create();
        addSubview(m_arrowView);
    }
    m_arrowView->setFrame(arrow, arrowDirection);

    auto target = targetView();
    const Rect bounds = target ? target->bounds() : this->bounds();
    if (!bounds.contains(panel) || !bounds.contains(arrow))
        foundation::log("WARNING: Action sheet does not fit within view bounds! Select a different arrow "
                        "direction or provide a different anchor point!");
    m_scrollViewHost->setFrame(panel);
}
