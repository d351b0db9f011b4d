#pragma once

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
struct HttpError;

// The first screen: user name and password, sent to "/Login.ashx". On success the logged-in user
// is filled in, the per-user folders are made and the main screens open ("loginToMainSegue");
// on failure the reason is shown in an alert.
class LoginViewController final : public ui::ViewController {
public:
    static std::shared_ptr<LoginViewController> create();

    const char* className() const override { return "LoginViewController"; }
    static constexpr const char* kLoginPath = "/Login.ashx?time=";
    static constexpr const char* kLoginTag = "login";

    void viewDidLoad() override;

    std::shared_ptr<ui::TextField> userNameField() const { return m_userNameField; }
    std::shared_ptr<ui::TextField> passwordField() const { return m_passwordField; }
    std::shared_ptr<ui::Button> loginButton() const { return m_loginButton; }
    bool isRequestRunning() const { return m_requestRunning; }

    // The login button's action.
    void login();
    // The request's answers.
    void loginFinished(const foundation::Value& reply);
    void loginFailed(const HttpError& error);

private:
    void showError(const std::string& message);

    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::TextField> m_userNameField;
    std::shared_ptr<ui::TextField> m_passwordField;
    std::shared_ptr<ui::Button> m_loginButton;
    std::string m_userName;
    bool m_requestRunning {false};
};
