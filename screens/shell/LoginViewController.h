#pragma once

#include "components/popup/Popup.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

namespace ui {
class Button;
class Label;
class TextField;
} // namespace ui
class ModalAlertView;
class OnOffSwitch;
class ScreenScrollView;
struct HttpError;

// The first screen: user name and password, sent to "/Login.ashx". On success the logged-in user
// is filled in, the per-user folders are made and the main screens open ("loginToMainSegue");
// on failure the reason is shown in an alert. A switch turns automatic login on and off ("autoLogin"
// "YES"/"NO"); while it is on the password is kept ("password") and the app logs in by itself
// when it starts. Its system-configuration button sets the server's address and port in a popup.
class LoginViewController final : public ui::ViewController, public PopupDelegate {
public:
    static std::shared_ptr<LoginViewController> create();

    const char* className() const override { return "LoginViewController"; }
    static constexpr const char* kLoginPath = "/Login.ashx?time=";
    static constexpr const char* kLoginTag = "login";

    static constexpr const char* kAutoLoginKey = "autoLogin";
    static constexpr const char* kPasswordKey = "password";

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

    std::shared_ptr<ui::TextField> userNameField() const { return m_userNameField; }
    std::shared_ptr<ui::TextField> passwordField() const { return m_passwordField; }
    std::shared_ptr<ui::Button> loginButton() const { return m_loginButton; }
    // What the controls lie in: it scrolls when they do not fit (turned, or above the keyboard).
    std::shared_ptr<ScreenScrollView> contentView() const { return m_content; }
    std::shared_ptr<OnOffSwitch> autoLoginSwitch() const { return m_autoLoginSwitch; }
    // The stored setting; on when it was never set.
    static bool isAutoLoginOn();
    bool isRequestRunning() const { return m_requestRunning; }

    // The login button's action.
    void login();
    // The system-configuration action: the server address popup, pre-filled from and written to
    // "staticBaseUrl" and "staticBasePort".
    void showSystemConfiguration();
    std::shared_ptr<ui::Button> configButton() const { return m_configButton; }

    bool popupWillAppear(Popup&) override { return true; }
    bool dictionary(const FieldDictionary& fields, Popup& popup,
        const std::optional<std::vector<std::string>>& strings) override;

    // The request's answers.
    void loginFinished(const foundation::Value& reply);
    void loginFailed(const HttpError& error);
    // The switch's value-changed event.
    void autoLoginChanged();

private:
    static constexpr double kBottomMargin = 20;

    void showError(const std::string& message);
    void makeAutoLoginSwitch();
    void layOutContent();

    std::shared_ptr<ScreenScrollView> m_content;
    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::TextField> m_userNameField;
    std::shared_ptr<ui::TextField> m_passwordField;
    std::shared_ptr<ui::Button> m_loginButton;
    std::shared_ptr<ui::Label> m_autoLoginLabel;
    std::shared_ptr<OnOffSwitch> m_autoLoginSwitch;
    std::string m_userName;
    std::string m_submittedPassword;
    std::shared_ptr<ui::Button> m_configButton;
    // What the address popup's fields held when a button was pressed.
    std::string m_typedAddress;
    std::string m_typedPort;
    bool m_requestRunning {false};
    // Automatic login runs once, when the app starts; after a logout the screen waits.
    bool m_triedAutoLogin {false};
};
