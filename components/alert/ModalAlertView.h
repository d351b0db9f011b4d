#pragma once

#include "components/alert/ModalAlertButton.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace foundation {
struct Notification;
class Timer;
} // namespace foundation
namespace graphics {
struct AffineTransform;
class Image;
} // namespace graphics
namespace ui {
class ActivityIndicatorView;
class AudioPlayer;
class GestureRecognizer;
class ImageView;
class Label;
class TapGestureRecognizer;
class View;
class Window;
} // namespace ui

class ModalAlertResponder;

// The alert's styles; any other value gives no colour and no icon.
enum class ModalAlertViewStyle : int64_t {
    Success = 0,
    Error = 1,
    Notice = 2,
    Warning = 3,
    Info = 4,
    Edit = 5,
    Waiting = 6,
    Custom = 7,
};

// The modal alert every screen shows its messages with: a white card with a coloured circle
// badge holding the style's icon, a title, a body text, optional text fields and a column of
// buttons, over a backdrop that dims, blurs or leaves the screen visible. Hosted in a view
// controller (as its child) or shown in a window of its own at alert level.
//
// The same alert may be shown again: fields and buttons stay, each show with a close title adds
// one more close button, and a title or body removed by an earlier show stays removed.
class ModalAlertView : public ui::ViewController,
                       public ui::TextFieldDelegate,
                       public ui::GestureRecognizerDelegate {
public:
    using Style = ModalAlertViewStyle;
    using ActionBlock = ModalAlertButton::ActionBlock;
    using ValidationBlock = ModalAlertButton::ValidationBlock;
    using FormatBlock = ModalAlertButton::FormatBlock;
    using AttributedFormatBlock = std::function<ui::AttributedText(const std::string&)>;
    using DismissBlock = std::function<void()>;
    using Host = std::shared_ptr<ui::ViewController>;
    using ImagePtr = std::shared_ptr<graphics::Image>;
    using OptionalText = std::optional<std::string>;

    // Layout constants (points).
    static constexpr double kCircleHeight = 56;
    static constexpr double kCircleHeightBackground = 62;
    static constexpr double kCircleTopPosition = -15;
    static constexpr double kTitleTop = 24;
    static constexpr double kTitleHeight = 40;
    static constexpr double kActivityIndicatorHeight = 40;
    static constexpr double kMargin = 12;
    static constexpr double kTextFieldHeight = 30;
    static constexpr double kTextFieldStep = 40;
    static constexpr double kButtonStep = 45;
    static constexpr double kKeyboardShift = 120;

    // init
    static std::shared_ptr<ModalAlertView> create();
    // initWithNewWindow: its own window at alert level, with the alert as root.
    static std::shared_ptr<ModalAlertView> createWithNewWindow();
    // initWithCoder: not supported; throws NSInternalInconsistencyException.
    static std::shared_ptr<ModalAlertView> createWithCoder();

    ModalAlertView();
    ~ModalAlertView() override;

    const char* className() const override { return "ModalAlertView"; }

    // Show operations. The general one returns the handle; the others show with a fixed style.
    std::shared_ptr<ModalAlertResponder> showTitle(Host host, ImagePtr image,
        std::optional<graphics::Color> color, const std::string& title, const std::string& subTitle,
        double duration, OptionalText completeText, Style style);
    void showSuccess(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showError(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showNotice(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showWarning(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showInfo(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showEdit(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showWaiting(Host host, const std::string& title, const std::string& subTitle,
        OptionalText closeButtonTitle, double duration);
    void showCustom(Host host, ImagePtr image, std::optional<graphics::Color> color, const std::string& title,
        const std::string& subTitle, OptionalText closeButtonTitle, double duration);
    void showTitle(Host host, const std::string& title, const std::string& subTitle, Style style,
        OptionalText closeButtonTitle, double duration);
    // Without a host: in the alert's own window, or nowhere for an alert made with create().
    void showSuccess(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showError(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showNotice(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showWarning(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showInfo(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showEdit(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showWaiting(const std::string& title, const std::string& subTitle, OptionalText closeButtonTitle,
        double duration);
    void showCustom(ImagePtr image, std::optional<graphics::Color> color, const std::string& title,
        const std::string& subTitle, OptionalText closeButtonTitle, double duration);
    void showTitle(const std::string& title, const std::string& subTitle, Style style,
        OptionalText closeButtonTitle, double duration);

    // Content, added before showing.
    std::shared_ptr<ModalAlertButton> addButton(const std::string& title);
    std::shared_ptr<ModalAlertButton> addDoneButtonWithTitle(const std::string& title);
    std::shared_ptr<ModalAlertButton> addButton(const std::string& title, ActionBlock action);
    std::shared_ptr<ModalAlertButton> addButton(
        const std::string& title, ValidationBlock validation, ActionBlock action);
    std::shared_ptr<ModalAlertButton> addButton(
        const std::string& title, std::shared_ptr<void> target, ModalAlertButton::Selector selector);
    template<class T>
    std::shared_ptr<ModalAlertButton> addButton(
        const std::string& title, std::shared_ptr<T> target, void (T::*method)(ui::Control&))
    {
        return addButton(
            title, std::static_pointer_cast<void>(target), ModalAlertButton::selectorFor(method));
    }
    std::shared_ptr<ui::TextField> addTextField(OptionalText placeholder = std::nullopt);
    void addCustomTextField(std::shared_ptr<ui::TextField> textField);
    void addActivityIndicatorView();
    void removeTopCircle();

    // Appearance.
    void setTitleFontFamily(const std::string& family, double size);
    void setBodyTextFontFamily(const std::string& family, double size);
    void setButtonsTextFontFamily(const std::string& family, double size);
    graphics::Color backgroundViewColor() const { return m_backgroundViewColor; }
    void setBackgroundViewColor(graphics::Color color);
    const std::optional<std::filesystem::path>& soundURL() const { return m_soundURL; }
    void setSoundURL(std::optional<std::filesystem::path> url);
    bool shouldDismissOnTapOutside() const { return m_shouldDismissOnTapOutside; }
    void setShouldDismissOnTapOutside(bool dismiss);

    // Dismissal and state.
    void hideView();
    void alertIsDismissed(DismissBlock block) { m_dismissBlock = std::move(block); }
    bool isVisible();
    bool isModal() const;
    graphics::Rect mainScreenFrame() const;

    // Backdrops and animations.
    void setBackground();
    void makeShadowBackground();
    void makeBlurBackground();
    void makeTransparentBackground();
    void showView();
    void fadeIn();
    void slideInFromTop();
    void slideInFromBottom();
    void slideInFromLeft();
    void slideInFromRight();
    void slideInFromCenter();
    void slideInToCenter();
    void fadeOut();
    void slideOutToBottom();
    void slideOutToTop();
    void slideOutToLeft();
    void slideOutToRight();
    void slideOutToCenter();
    void slideOutFromCenter();

    // Taps, text fields and the keyboard.
    void buttonTapped(ModalAlertButton& button);
    void handleTap(ui::GestureRecognizer& recognizer);
    std::optional<bool> textFieldShouldReturn(ui::TextField& textField) override;
    void keyboardWillShow(const foundation::Notification& notification);
    void keyboardWillHide(const foundation::Notification& notification);
    void addObservers();
    void removeObservers();

    void viewWillLayoutSubviews() override;
    // A plain view without a background: only the card and the badge are seen.
    void loadView() override;

    // Properties.
    std::shared_ptr<ui::Label> labelTitle() const;
    std::shared_ptr<ui::TextView> viewText() const;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicatorView() const;
    // Sets the title label's text (what the handle's title change does).
    void setTitleText(const std::string& title);

    const AttributedFormatBlock& attributedFormatBlock() const { return m_attributedFormatBlock; }
    void setAttributedFormatBlock(AttributedFormatBlock block) { m_attributedFormatBlock = std::move(block); }
    const FormatBlock& completeButtonFormatBlock() const { return m_completeButtonFormatBlock; }
    void setCompleteButtonFormatBlock(FormatBlock block) { m_completeButtonFormatBlock = std::move(block); }
    const FormatBlock& buttonFormatBlock() const { return m_buttonFormatBlock; }
    void setButtonFormatBlock(FormatBlock block) { m_buttonFormatBlock = std::move(block); }
    int64_t hideAnimationType() const { return m_hideAnimationType; }
    void setHideAnimationType(int64_t type) { m_hideAnimationType = type; }
    int64_t showAnimationType() const { return m_showAnimationType; }
    void setShowAnimationType(int64_t type) { m_showAnimationType = type; }
    int64_t backgroundType() const { return m_backgroundType; }
    void setBackgroundType(int64_t type) { m_backgroundType = type; }
    std::optional<graphics::Color> customViewColor() const { return m_customViewColor; }
    void setCustomViewColor(std::optional<graphics::Color> color) { m_customViewColor = color; }
    std::optional<graphics::Color> iconTintColor() const { return m_iconTintColor; }
    void setIconTintColor(std::optional<graphics::Color> color) { m_iconTintColor = color; }
    double circleIconHeight() const { return m_circleIconHeight; }
    void setCircleIconHeight(double height) { m_circleIconHeight = height; }
    graphics::Rect extensionBounds() const { return m_extensionBounds; }
    void setExtensionBounds(graphics::Rect bounds) { m_extensionBounds = bounds; }

    const std::vector<std::shared_ptr<ui::TextField>>& inputs() const { return m_inputs; }
    const std::vector<std::shared_ptr<ModalAlertButton>>& buttons() const { return m_buttons; }
    const std::shared_ptr<ui::ImageView>& circleIconImageView() const { return m_circleIconImageView; }
    const std::shared_ptr<ui::View>& circleView() const { return m_circleView; }
    const std::shared_ptr<ui::View>& circleViewBackground() const { return m_circleViewBackground; }
    const std::shared_ptr<ui::View>& contentView() const { return m_contentView; }
    const std::shared_ptr<ui::ImageView>& backgroundView() const { return m_backgroundView; }
    const std::shared_ptr<ui::AudioPlayer>& audioPlayer() const { return m_audioPlayer; }
    const std::shared_ptr<ui::TapGestureRecognizer>& gestureRecognizer() const { return m_gestureRecognizer; }

    const std::string& titleFontFamily() const { return m_titleFontFamily; }
    const std::string& bodyTextFontFamily() const { return m_bodyTextFontFamily; }
    const std::string& buttonsFontFamily() const { return m_buttonsFontFamily; }
    double titleFontSize() const { return m_titleFontSize; }
    double bodyFontSize() const { return m_bodyFontSize; }
    double buttonsFontSize() const { return m_buttonsFontSize; }

    // Held weakly: the host holds the shown alert, and a screen that goes away with an alert still
    // up must not be kept alive by it.
    Host rootViewController() const { return m_rootViewController.lock(); }
    std::shared_ptr<ui::Window> previousWindow() const { return m_previousWindow; }
    std::shared_ptr<ui::Window> modalAlertWindow() const { return m_modalAlertWindow; }
    const DismissBlock& dismissBlock() const { return m_dismissBlock; }
    bool canAddObservers() const { return m_canAddObservers; }
    bool keyboardIsVisible() const { return m_keyboardIsVisible; }
    bool usingNewWindow() const { return m_usingNewWindow; }
    double backgroundOpacity() const { return m_backgroundOpacity; }
    double windowWidth() const { return m_windowWidth; }
    double windowHeight() const { return m_windowHeight; }
    double subTitleY() const { return m_subTitleY; }
    double subTitleHeight() const { return m_subTitleHeight; }
    bool restoreInteractivePopGestureEnabled() const { return m_restoreInteractivePopGestureEnabled; }

    // The process-wide auto-hide timer (tests look at it).
    static std::shared_ptr<foundation::Timer> autoHideTimer();

private:
    void init();
    void initWithNewWindow();
    std::shared_ptr<ModalAlertView> self();
    void attach(const Host& host);
    void disableInteractivePopGesture();
    void restoreInteractivePopGesture();
    void measureBodyText();
    graphics::Size layoutSize() const;
    double controlsTop() const;
    double controlsBottom() const;
    double restingCardTop(graphics::Size size) const;
    double keyboardLift(double cardTop) const;
    void moveUp(double distance);
    graphics::AffineTransform restingTransform() const;
    void observeInterfaceTurns();
    void interfaceDidTurn();
    void applyStyle(Style style, std::optional<graphics::Color> color, ImagePtr image);
    void wireTap(const std::shared_ptr<ModalAlertButton>& button);
    void giveNextReturnKey();
    void detach();
    void finishSlideIn();
    void slideIn(graphics::Point from, graphics::Point to);
    void scaleIn(double fromScale);
    void slideOutBy(double dx, double dy);
    void scaleOut(double toScale);

    mutable std::mutex m_atomicMutex;
    std::shared_ptr<ui::Label> m_labelTitle;
    std::shared_ptr<ui::TextView> m_viewText;
    std::shared_ptr<ui::ActivityIndicatorView> m_activityIndicatorView;
    bool m_titleTextSet {false};

    bool m_shouldDismissOnTapOutside {false};
    std::optional<std::filesystem::path> m_soundURL;
    AttributedFormatBlock m_attributedFormatBlock;
    FormatBlock m_completeButtonFormatBlock;
    FormatBlock m_buttonFormatBlock;
    int64_t m_hideAnimationType {0};
    int64_t m_showAnimationType {2};
    int64_t m_backgroundType {0};
    std::optional<graphics::Color> m_customViewColor;
    graphics::Color m_backgroundViewColor {graphics::Color::white()};
    std::optional<graphics::Color> m_iconTintColor;
    double m_circleIconHeight {20};
    graphics::Rect m_extensionBounds;
    std::vector<std::shared_ptr<ui::TextField>> m_inputs;
    std::vector<std::shared_ptr<ModalAlertButton>> m_buttons;
    std::shared_ptr<ui::ImageView> m_circleIconImageView;
    std::shared_ptr<ui::View> m_circleView;
    std::shared_ptr<ui::View> m_circleViewBackground;
    std::shared_ptr<ui::View> m_contentView;
    std::shared_ptr<ui::ImageView> m_backgroundView;
    std::shared_ptr<ui::AudioPlayer> m_audioPlayer;
    std::shared_ptr<ui::TapGestureRecognizer> m_gestureRecognizer;
    std::string m_titleFontFamily {"HelveticaNeue"};
    std::string m_bodyTextFontFamily {"HelveticaNeue"};
    std::string m_buttonsFontFamily {"HelveticaNeue-Bold"};
    double m_titleFontSize {20};
    double m_bodyFontSize {14};
    double m_buttonsFontSize {14};
    std::weak_ptr<ui::ViewController> m_rootViewController;
    std::weak_ptr<ui::GestureRecognizer> m_interactivePopGestureRecognizer;
    std::shared_ptr<ui::Window> m_previousWindow;
    std::shared_ptr<ui::Window> m_modalAlertWindow;
    DismissBlock m_dismissBlock;
    std::weak_ptr<ui::GestureRecognizerDelegate> m_restoreInteractivePopGestureDelegate;
    bool m_restoreInteractivePopGestureEnabled {false};
    bool m_canAddObservers {true};
    bool m_keyboardIsVisible {false};
    // How far the keyboard has lifted the alert: 120 points, less where the area is too flat.
    double m_keyboardLift {0};
    bool m_observesTurns {false};
    bool m_usingNewWindow {false};
    double m_backgroundOpacity {0};
    double m_windowWidth {240};
    double m_windowHeight {178};
    double m_subTitleY {70};
    double m_subTitleHeight {90};
    // Counts shows, so that a hide overtaken by a new show leaves the alert up.
    uint64_t m_showCount {0};
};
