#include "components/actionsheet/ActionSheet.h"

#include "components/actionsheet/ActionSheetLayer.h"
#include "components/actionsheet/ActionSheetTriangle.h"
#include "components/actionsheet/ActionSheetView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TapGestureRecognizer.h"

#include <algorithm>

using graphics::Color;
using graphics::Rect;

std::shared_ptr<ActionSheet> ActionSheet::create(std::vector<std::shared_ptr<ActionSheetSection>> sections)
{
    auto sheet = std::make_shared<ActionSheet>(Token {}, std::move(sections));
    sheet->setUp();
    return sheet;
}

ActionSheet::ActionSheet(Token, std::vector<std::shared_ptr<ActionSheetSection>> sections)
    : ui::View(Rect {}, [](ui::View& view) { return std::make_unique<ActionSheetLayer>(view); })
    , m_sections(std::move(sections))
{ }

ActionSheet::~ActionSheet()
{
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void ActionSheet::setUp()
{
    std::weak_ptr<ActionSheet> weakSelf = sharedAs<ActionSheet>();
    m_tapRecognizer = ui::TapGestureRecognizer::create([weakSelf](ui::GestureRecognizer& recognizer) {
        if (auto self = weakSelf.lock())
            self->tapped(recognizer);
    });
    m_tapRecognizer->setDelegate(std::weak_ptr<ui::GestureRecognizerDelegate>(sharedAs<ActionSheet>()));
    addGestureRecognizer(m_tapRecognizer);

    m_scrollViewHost = ActionSheetView::create();
    m_scrollViewHost->setBackgroundColor(Color::clear());
    m_scrollView = ui::ScrollView::create();
    m_scrollView->setBackgroundColor(Color::clear());
    m_scrollViewHost->addSubview(m_scrollView);
    addSubview(m_scrollViewHost);

    setBackgroundColor(Color::black().withAlpha(0.3));

    for (size_t index = 0; index < m_sections.size(); ++index) {
        auto& section = m_sections[index];
        section->setIndex(index);
        m_scrollView->addSubview(section);
        section->setButtonPressedBlock([weakSelf](ActionSheetIndexPath indexPath) {
            if (auto self = weakSelf.lock())
                self->buttonPressed(indexPath);
        });
    }
}

bool ActionSheet::isTablet()
{
    return ui::Device::currentDevice().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

double ActionSheet::animationDuration() const
{
    if (isTablet())
        return kTabletDuration;
    return std::clamp(static_cast<double>(m_sections.size()) * 0.12, 0.22, 0.45);
}

void ActionSheet::setBackgroundColor(std::optional<Color> color)
{
    ui::View::setBackgroundColor(color);
    m_realBGColor = color;
}

void ActionSheet::layoutSheetForFrame(Rect frame, bool fitToRect, bool initialSetUp, bool continuous)
{
    if (continuous)
        frame.size.width = kPopoverWidth;
    const double sectionWidth = continuous ? frame.width() : frame.width() - 2 * kSpacing;
    double y = continuous ? 0 : kSpacing;
    for (auto& section : m_sections) {
        if (initialSetUp)
            section->setUpForContinuous(continuous);
        Rect laid = section->layoutForWidth(sectionWidth);
        section->setFrame({continuous ? laid.minX() : kSpacing, y, laid.width(), laid.height()});
        y += laid.height() + kSpacing;
    }
    if (continuous)
        y -= kSpacing;
    m_scrollView->setContentSize({frame.width(), y});

    if (!fitToRect && !continuous) {
        auto target = targetView();
        frame.size.height = (target ? target->bounds().height() : frame.maxY()) - frame.minY();
    }
    if (y > frame.height()) {
        m_scrollViewHost->setFrame(frame);
    } else {
        double top = fitToRect ? frame.maxY() - y : frame.minY();
        if (!fitToRect && !continuous)
            top += (frame.height() - y) / 2;
        m_scrollViewHost->setFrame({frame.minX(), top, frame.width(), y});
    }
    m_finalContentFrame = m_scrollViewHost->frame();
    m_scrollView->setFrame(m_scrollViewHost->bounds());
    m_scrollView->scrollRectToVisible({0, y - 1, 1, 1}, false);
}

void ActionSheet::layoutSheetInitial(bool initialSetUp)
{
    auto target = targetView();
    if (target)
        setFrame(target->bounds());
    m_scrollViewHost->layer().setCornerRadius(0);
    m_scrollViewHost->layer().setShadowOpacity(0);
    m_scrollViewHost->layer().setShadowColor(std::nullopt);
    m_scrollViewHost->setBackgroundColor(Color::clear());

    Rect available = frame();
    if (isTablet()) {
        available.origin.x = (available.width() - kTabletWidth) / 2;
        available.size.width = kTabletWidth;
    }
    available.origin.x += m_insets.left;
    available.origin.y += m_insets.top;
    available.size.width -= m_insets.left + m_insets.right;
    available.size.height -= m_insets.top + m_insets.bottom;
    layoutSheetForFrame(available, !isTablet(), initialSetUp, false);
}

void ActionSheet::layoutForVisible(bool visible)
{
    if (visible) {
        ui::View::setBackgroundColor(m_realBGColor);
        if (isTablet()) {
            m_scrollViewHost->setAlpha(1);
            if (m_arrowView)
                m_arrowView->setAlpha(1);
        } else {
            m_scrollViewHost->setFrame(m_finalContentFrame);
        }
        return;
    }
    ui::View::setBackgroundColor(Color::clear());
    if (isTablet()) {
        m_scrollViewHost->setAlpha(0);
        if (m_arrowView)
            m_arrowView->setAlpha(0);
    } else {
        Rect hidden = m_scrollViewHost->frame();
        auto target = targetView();
        hidden.origin.y = target ? target->bounds().height() : bounds().height();
        m_scrollViewHost->setFrame(hidden);
    }
}

void ActionSheet::observeStatusBar()
{
    std::weak_ptr<ActionSheet> weakSelf = sharedAs<ActionSheet>();
    foundation::NotificationCenter::defaultCenter().addObserver(weakSelf,
        ui::Application::kDidChangeStatusBarFrameNotification, [weakSelf](const foundation::Notification&) {
            if (auto self = weakSelf.lock())
                self->orientationChanged();
        });
}

void ActionSheet::showInView(const std::shared_ptr<ui::View>& view, bool animated)
{
    present(view, animated, [this] { layoutSheetInitial(true); });
}

void ActionSheet::present(
    const std::shared_ptr<ui::View>& view, bool animated, const std::function<void()>& layOut)
{
    // A sheet is in one place at a time; showing it twice would also block touches twice.
    if (!view || isVisible())
        return;
    auto protector = sharedAs<ActionSheet>();
    ui::Application::shared().beginIgnoringInteractionEvents();
    m_targetView = view;
    layOut();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetWillPresent(*this);
    observeStatusBar();

    layoutForVisible(!animated);
    view->addSubview(protector);
    if (!animated) {
        finishShowing();
        return;
    }
    ui::View::animate(
        animationDuration(), [this] { layoutForVisible(true); },
        [protector](bool) { protector->finishShowing(); });
}

void ActionSheet::finishShowing()
{
    ui::Application::shared().endIgnoringInteractionEvents();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetDidPresent(*this);
}

void ActionSheet::dismissAnimated(bool animated)
{
    // Only a shown sheet goes, and only once: a second call would end the blocking of touches twice
    // and report the dismissal twice.
    if (!isVisible() || m_dismissing)
        return;
    m_dismissing = true;
    auto protector = sharedAs<ActionSheet>();
    ui::Application::shared().beginIgnoringInteractionEvents();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetWillDismiss(*this);
    if (!animated) {
        layoutForVisible(false);
        finishDismissal();
        return;
    }
    ui::View::animate(
        animationDuration(), [this] { layoutForVisible(false); },
        [protector](bool) { protector->finishDismissal(); });
}

void ActionSheet::finishDismissal()
{
    auto protector = sharedAs<ActionSheet>();
    if (m_arrowView) {
        m_arrowView->removeFromSuperview();
        m_arrowView.reset();
    }
    m_targetView.reset();
    m_dismissing = false;
    removeFromSuperview();
    m_anchoredAtPoint = false;
    m_anchoredArrowDirection = 0;
    m_anchorPoint = {0, 0};
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    ui::Application::shared().endIgnoringInteractionEvents();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetDidDismiss(*this);
}

void ActionSheet::buttonPressed(ActionSheetIndexPath indexPath)
{
    auto protector = sharedAs<ActionSheet>();
    if (m_buttonPressedBlock)
        m_buttonPressedBlock(*this, indexPath);
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetPressedButtonAtIndexPath(*this, indexPath);
}

bool ActionSheet::touchIsOnSheet(const ui::GestureRecognizer& recognizer)
{
    graphics::Point point = recognizer.locationInView(this);
    return hitTest(point, nullptr).get() == this;
}

std::optional<bool> ActionSheet::gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer)
{
    return touchIsOnSheet(recognizer) && m_outsidePressBlock;
}

void ActionSheet::tapped(ui::GestureRecognizer& recognizer)
{
    if (!touchIsOnSheet(recognizer) || !m_outsidePressBlock)
        return;
    auto protector = sharedAs<ActionSheet>();
    m_outsidePressBlock(*this);
}

void ActionSheet::orientationChanged()
{
    auto target = targetView();
    if (!target || target->bounds() == bounds())
        return;
    auto protector = sharedAs<ActionSheet>();
    ActionSheetLayer::setKeepsPlatformCurve(true);
    ui::View::animate(
        isTablet() ? 0.4 : 0.3, 0, ui::AnimationOptions::BeginFromCurrentState,
        [this] {
            if (m_anchoredAtPoint)
                moveToPoint(m_anchorPoint, m_anchoredArrowDirection, false);
            else
                layoutSheetInitial(false);
        },
        [](bool) { ActionSheetLayer::setKeepsPlatformCurve(false); });
}
