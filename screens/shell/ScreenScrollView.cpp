#include "screens/shell/ScreenScrollView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Window.h"

#include <algorithm>

std::shared_ptr<ScreenScrollView> ScreenScrollView::create(graphics::Rect frame)
{
    auto view = std::make_shared<ScreenScrollView>(frame);
    view->observeKeyboard();
    return view;
}

ScreenScrollView::ScreenScrollView(graphics::Rect frame)
    : ui::ScrollView(frame)
{
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
}

ScreenScrollView::~ScreenScrollView()
{
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

void ScreenScrollView::observeKeyboard()
{
    // A screen may come while the keyboard is already up.
    auto& keyboard = ui::Keyboard::shared();
    m_keyboardHeight = keyboard.isVisible() ? keyboard.height() : 0;
    std::weak_ptr<ScreenScrollView> weakSelf = sharedAs<ScreenScrollView>();
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.addObserver(weakSelf, ui::Keyboard::kWillShowNotification, [weakSelf](const auto& notification) {
        if (auto self = weakSelf.lock())
            self->keyboardWillChange(notification, true);
    });
    center.addObserver(weakSelf, ui::Keyboard::kWillHideNotification, [weakSelf](const auto& notification) {
        if (auto self = weakSelf.lock())
            self->keyboardWillChange(notification, false);
    });
}

void ScreenScrollView::keyboardWillChange(const foundation::Notification& notification, bool showing)
{
    auto protector = sharedAs<ScreenScrollView>();
    const foundation::Value& height = notification.userInfo[ui::Keyboard::kFrameEndUserInfoKey]["height"];
    m_keyboardHeight = !showing ? 0 : height.isNumber() ? height.asDouble() : ui::Keyboard::shared().height();
    updateInset(true);
    if (showing)
        scrollFocusIntoView(true);
}

double ScreenScrollView::keyboardOverlap() const
{
    if (m_keyboardHeight <= 0 || !window())
        return 0;
    // The keyboard lies along the bottom of the interface, which is the window from 8.0 on and,
    // before, the turned view on the portrait window that this view lies in; its frame in the
    // screen's coordinates does not turn with the interface there, so only its height is taken.
    std::shared_ptr<const ui::View> interface = sharedAs<ui::View>();
    for (auto parent = superview(); parent && !std::dynamic_pointer_cast<ui::Window>(parent);
         parent = parent->superview())
        interface = parent;
    graphics::Rect area = interface->bounds();
    double keyboardTop = interface->convertPointToView({area.minX(), area.maxY() - m_keyboardHeight}, this).y;
    return std::clamp(bounds().maxY() - keyboardTop, 0.0, bounds().height());
}

void ScreenScrollView::setContentHeight(double height)
{
    setContentSize({bounds().width(), height});
    keepOffsetWithinContent(false);
}

void ScreenScrollView::updateInset(bool animated)
{
    graphics::EdgeInsets inset = contentInset();
    inset.bottom = keyboardOverlap();
    if (inset.bottom == contentInset().bottom)
        return;
    setContentInset(inset);
    keepOffsetWithinContent(animated);
}

void ScreenScrollView::keepOffsetWithinContent(bool animated)
{
    // A finger or a bounce moving the content past an edge brings it back by itself.
    if (isDragging() || isDecelerating())
        return;
    graphics::Point offset = contentOffset();
    graphics::Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    graphics::Point kept {
        std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)};
    if (kept != offset)
        setContentOffset(kept, animated);
}

void ScreenScrollView::scrollFocusIntoView(bool animated)
{
    auto field = std::dynamic_pointer_cast<ui::View>(ui::Responder::firstResponder());
    if (!field || !field->isDescendantOfView(this))
        return;
    graphics::Rect rect = field->convertRectToView(field->bounds(), this);
    double shown = bounds().height() - contentInset().top - contentInset().bottom;
    double margin = std::clamp((shown - rect.height()) / 2, 0.0, kFieldMargin);
    scrollRectToVisible(rect.insetBy(0, -margin), animated);
}

void ScreenScrollView::layoutSubviews()
{
    ui::ScrollView::layoutSubviews();
    if (bounds().size == m_laidOutSize)
        return;
    // Turned: the content takes the new width, the keyboard covers another part of the view, and
    // the field must stay above it.
    m_laidOutSize = bounds().size;
    setContentSize({bounds().width(), contentSize().height});
    updateInset(false);
    keepOffsetWithinContent(false);
    if (m_keyboardHeight > 0)
        scrollFocusIntoView(false);
}
