#pragma once

#include "platform/ui/ScrollView.h"

#include <memory>

namespace foundation {
struct Notification;
}

// The scroll view a screen's controls lie in. It fills the screen's view and scrolls only what does
// not fit (turned to landscape, most screens do not). While the keyboard is up its bottom inset
// grows by what the keyboard covers of it and the focused field inside is scrolled into the part
// above the keyboard, also after a turn.
class ScreenScrollView final : public ui::ScrollView {
public:
    // Space kept around a focused field above the keyboard, where there is room for it.
    static constexpr double kFieldMargin = 8;

    static std::shared_ptr<ScreenScrollView> create(graphics::Rect frame);
    explicit ScreenScrollView(graphics::Rect frame);
    ~ScreenScrollView() override;

    const char* className() const override { return "ScreenScrollView"; }

    // The content's height; its width is always the view's. A shorter content brings the offset
    // back within it.
    void setContentHeight(double height);
    // How much of this view the keyboard covers from the bottom (0 while it is down).
    double keyboardOverlap() const;
    // Scrolls the first responder, if it lies inside, into the part above the keyboard.
    void scrollFocusIntoView(bool animated);

    void layoutSubviews() override;

private:
    void observeKeyboard();
    void keyboardWillChange(const foundation::Notification& notification, bool showing);
    // Sets the bottom inset to the keyboard's overlap and keeps the offset within the content.
    void updateInset(bool animated);
    void keepOffsetWithinContent(bool animated);

    double m_keyboardHeight {0};
    graphics::Size m_laidOutSize;
};
