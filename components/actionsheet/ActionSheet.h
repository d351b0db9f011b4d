#pragma once

#include "components/actionsheet/ActionSheetDelegate.h"
#include "components/actionsheet/ActionSheetIndexPath.h"
#include "components/actionsheet/ActionSheetSection.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <vector>

namespace ui {
class ScrollView;
class TapGestureRecognizer;
} // namespace ui
class ActionSheetTriangle;
class ActionSheetView;

// A stack of sections shown over a dimmed view. On a phone it slides up from the bottom edge;
// on a tablet it is a 320-point column that fades in, or a popover with an arrow pointing at a
// point (showFromPoint). A press is reported as an index path to buttonPressedBlock and then to
// the delegate; a tap on the dimmed area goes to outsidePressBlock when one is set.
class ActionSheet final : public ui::View, public ui::GestureRecognizerDelegate {
public:
    // Popover arrow directions: where the arrow points (the panel lies on the other side).
    enum ArrowDirection : unsigned { Left = 0, Right = 1, Up = 2, Down = 3 };

    static constexpr double kTabletWidth = 320;
    static constexpr double kPopoverWidth = 300;
    static constexpr double kSpacing = 10;
    static constexpr double kTabletDuration = 0.3;
    static constexpr graphics::Size kArrowSize {10, 20}; // pointing left or right

    // The platform's actionSheetWithSections: and initWithSections:.
    static std::shared_ptr<ActionSheet> create(std::vector<std::shared_ptr<ActionSheetSection>> sections);
    // Made through create(), which builds the views once the sheet is shared.
    class Token {
        friend class ActionSheet;
        Token() = default;
    };
    ActionSheet(Token, std::vector<std::shared_ptr<ActionSheetSection>> sections);
    ~ActionSheet() override;

    const char* className() const override { return "ActionSheet"; }

    const std::vector<std::shared_ptr<ActionSheetSection>>& sections() const { return m_sections; }
    std::weak_ptr<ActionSheetDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { m_delegate = std::move(delegate); }
    using ButtonPressedBlock = std::function<void(ActionSheet&, ActionSheetIndexPath)>;
    void setButtonPressedBlock(ButtonPressedBlock block) { m_buttonPressedBlock = std::move(block); }
    using OutsidePressBlock = std::function<void(ActionSheet&)>;
    void setOutsidePressBlock(OutsidePressBlock block) { m_outsidePressBlock = std::move(block); }
    graphics::EdgeInsets insets() const { return m_insets; }
    void setInsets(graphics::EdgeInsets insets) { m_insets = insets; }
    std::shared_ptr<ui::View> targetView() const { return m_targetView.lock(); }
    bool isVisible() const { return !m_targetView.expired(); }

    void showInView(const std::shared_ptr<ui::View>& view, bool animated);
    void dismissAnimated(bool animated);
    // Also the dimming colour used while shown.
    void setBackgroundColor(std::optional<graphics::Color> color) override;
    void buttonPressed(ActionSheetIndexPath indexPath);
    // Answers a status-bar-frame change while shown.
    void orientationChanged();

    void layoutSheetInitial(bool initialSetUp);
    void layoutSheetForFrame(graphics::Rect frame, bool fitToRect, bool initialSetUp, bool continuous);
    void layoutForVisible(bool visible);

    // Popover: on a tablet, the panel beside `point` with its arrow; elsewhere showInView().
    void showFromPoint(
        graphics::Point point, const std::shared_ptr<ui::View>& view, unsigned arrowDirection, bool animated);
    // Re-anchors a shown popover (tablet only). A direction above 3 throws "Invalid arrow direction".
    void moveToPoint(graphics::Point point, unsigned arrowDirection, bool animated);
    void anchorSheetAtPoint(graphics::Point point, unsigned arrowDirection, graphics::Rect availableFrame);

    std::optional<bool> gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override;
    void tapped(ui::GestureRecognizer& recognizer);

    // Show and hide time: 0.3 s on a tablet, else 0.12 s a section within 0.22 s to 0.45 s.
    double animationDuration() const;

    // Inner state, for tests.
    const std::shared_ptr<ui::ScrollView>& scrollView() const { return m_scrollView; }
    const std::shared_ptr<ActionSheetView>& scrollViewHost() const { return m_scrollViewHost; }
    graphics::Rect finalContentFrame() const { return m_finalContentFrame; }
    const std::shared_ptr<ActionSheetTriangle>& arrowView() const { return m_arrowView; }
    bool isAnchoredAtPoint() const { return m_anchoredAtPoint; }
    graphics::Point anchorPoint() const { return m_anchorPoint; }
    unsigned anchoredArrowDirection() const { return m_anchoredArrowDirection; }
    const std::shared_ptr<ui::TapGestureRecognizer>& tapRecognizer() const { return m_tapRecognizer; }

private:
    void setUp();
    static bool isTablet();
    bool touchIsOnSheet(const ui::GestureRecognizer& recognizer);
    // Shows the sheet in `view` once `layOut` has placed it: the common part of both forms.
    void present(const std::shared_ptr<ui::View>& view, bool animated, const std::function<void()>& layOut);
    void observeStatusBar();
    void finishShowing();
    void finishDismissal();

    std::vector<std::shared_ptr<ActionSheetSection>> m_sections;
    std::weak_ptr<ActionSheetDelegate> m_delegate;
    ButtonPressedBlock m_buttonPressedBlock;
    OutsidePressBlock m_outsidePressBlock;
    graphics::EdgeInsets m_insets {};
    std::weak_ptr<ui::View> m_targetView;

    std::shared_ptr<ui::ScrollView> m_scrollView;
    std::shared_ptr<ActionSheetView> m_scrollViewHost;
    std::shared_ptr<ui::TapGestureRecognizer> m_tapRecognizer;
    graphics::Rect m_finalContentFrame;
    std::optional<graphics::Color> m_realBGColor;
    std::shared_ptr<ActionSheetTriangle> m_arrowView;
    bool m_anchoredAtPoint {false};
    graphics::Point m_anchorPoint;
    unsigned m_anchoredArrowDirection {0};
    bool m_dismissing {false};
};
