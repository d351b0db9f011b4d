#include "screens/shell/LoginViewController.h"

#include "components/alert/ModalAlertView.h"
#include "components/switch/OnOffSwitch.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/UserInfo.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/BundleInfo.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/PngCodec.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "screens/shell/DeviceIdentifier.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/shell/ScreenScrollView.h"
#include "screens/shell/ShellSegues.h"

#include <charconv>
#include <utility>

using foundation::trimmed;
using foundation::Value;

namespace {

std::string textOf(const Value& value)
{
    if (value.isString())
        return value.asString();
    if (value.isNumber())
        return std::to_string(value.asInt());
    return {};
}

// The reply's user id, as a number or as decimal text; 0 when missing or malformed.
int64_t userIdOf(const Value& value)
{
    if (value.isNumber())
        return value.asInt();
    if (!value.isString())
        return 0;
    const std::string& text = value.asString();
    int64_t id = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), id);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() ? id : 0;
}

std::shared_ptr<ui::TextField> makeField(const std::string& placeholder)
{
    auto field = ui::TextField::create();
    field->setPlaceholder(placeholder);
    field->setAccessibilityLabel(placeholder);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    field->setBackgroundColor(graphics::Color::white());
    field->setAutocapitalizationType(ui::TextAutocapitalizationType::None);
    field->setAutocorrectionType(ui::TextAutocorrectionType::No);
    field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    return field;
}

// An image of the resource bundle, drawn at the screen's scale; nullptr when it cannot be read.
std::shared_ptr<graphics::Image> bundleImage(const std::string& name)
{
    std::string error;
    auto image = graphics::PngCodec::decodeFile(foundation::Paths::resource(name), 1, &error);
    if (!image) {
        foundation::logf("--------error------@%s: %s", name.c_str(), error.c_str());
        return nullptr;
    }
    return image->withScale(ui::Screen::mainScreen().scale());
}

} // namespace

std::shared_ptr<LoginViewController> LoginViewController::create()
{
    return std::make_shared<LoginViewController>();
}

void LoginViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(graphics::Color::white(0.96));
    m_content = ScreenScrollView::create(view()->bounds());
    view()->addSubview(m_content);

    m_titleLabel = ui::Label::create();
    m_titleLabel->setText(foundation::BundleInfo::bundleName());
    m_titleLabel->setFont(graphics::Font::boldSystemFont(26));
    m_titleLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_content->addSubview(m_titleLabel);

    m_userNameField = makeField("用户名");
    m_userNameField->setText(foundation::UserDefaults::standard().string("userName").value_or(""));
    m_userNameField->setReturnKeyType(ui::ReturnKeyType::Next);
    m_content->addSubview(m_userNameField);

    m_passwordField = makeField("密码");
    m_passwordField->setSecureTextEntry(true);
    m_passwordField->setReturnKeyType(ui::ReturnKeyType::Go);
    m_content->addSubview(m_passwordField);

    std::weak_ptr<LoginViewController> weakSelf = sharedAs<LoginViewController>();
    m_userNameField->addAction(ui::ControlEvents::EditingDidEndOnExit, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->m_passwordField->becomeFirstResponder();
    });
    m_passwordField->addAction(ui::ControlEvents::EditingDidEndOnExit, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->login();
    });

    m_autoLoginLabel = ui::Label::create();
    m_autoLoginLabel->setText("自动登录");
    m_autoLoginLabel->setFont(graphics::Font::systemFont(15));
    m_autoLoginLabel->setTextColor(graphics::Color::darkGray());
    m_autoLoginLabel->setTextAlignment(graphics::TextAlignment::Right);
    m_content->addSubview(m_autoLoginLabel);

    m_loginButton = ui::Button::create(graphics::Rect {});
    m_loginButton->setTitle("登录", ui::ControlState::Normal);
    m_loginButton->setTitle("登录中…", ui::ControlState::Disabled);
    m_loginButton->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
    m_loginButton->setBackgroundColor(graphics::Color::rgba(0.10, 0.45, 0.85));
    m_loginButton->layer().setCornerRadius(6);
    m_loginButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->login();
    });
    m_content->addSubview(m_loginButton);

    m_configButton = ui::Button::create(graphics::Rect {});
    m_configButton->setTitle("系统配置", ui::ControlState::Normal);
    m_configButton->setTitleColor(graphics::Color::rgba(0.10, 0.45, 0.85), ui::ControlState::Normal);
    m_configButton->titleLabel()->setFont(graphics::Font::systemFont(15));
    m_configButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->showSystemConfiguration();
    });
    m_content->addSubview(m_configButton);
    layOutContent();
}

void LoginViewController::viewDidLayoutSubviews()
{
    ui::ViewController::viewDidLayoutSubviews();
    layOutContent();
}

// The upright places on a 320-point-wide screen; wider, the fields and buttons widen and the
// switch's row stays in the middle.
void LoginViewController::layOutContent()
{
    double width = m_content->bounds().width();
    double middle = (width - 320) / 2;
    m_titleLabel->setFrame({20, 110, width - 40, 40});
    m_userNameField->setFrame({30, 180, width - 60, 40});
    m_passwordField->setFrame({30, 228, width - 60, 40});
    m_autoLoginLabel->setFrame({middle + 30, 277, 167, 29});
    if (m_autoLoginSwitch)
        m_autoLoginSwitch->setFrame({middle + 205, 277, 64, 29});
    m_loginButton->setFrame({30, 322, width - 60, 44});
    m_configButton->setFrame({width / 2 - 60, 364, 120, 32});
    m_content->setContentHeight(m_configButton->frame().maxY() + kBottomMargin);
}

void LoginViewController::showSystemConfiguration()
{
    auto& defaults = foundation::UserDefaults::standard();
    std::optional<std::string> address = defaults.string(GetBaseUrlAndPortModel::kBaseUrlKey);
    std::optional<std::string> port = defaults.string(GetBaseUrlAndPortModel::kBasePortKey);
    m_userNameField->resignFirstResponder();
    m_passwordField->resignFirstResponder();

    std::weak_ptr<LoginViewController> weakSelf = sharedAs<LoginViewController>();
    auto popup = Popup::create(
        "系统配置", "请分别输入服务器对应的IP地址和端口号",
        std::vector<std::string> {"服务器的IP地址", "服务器的端口号"}, "取消", "确认", address, port, [] {},
        [weakSelf] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            auto& defaults = foundation::UserDefaults::standard();
            defaults.set(GetBaseUrlAndPortModel::kBaseUrlKey, self->m_typedAddress);
            defaults.set(GetBaseUrlAndPortModel::kBasePortKey, self->m_typedPort);
            defaults.synchronize();
        });
    popup->setKeyboardTypeForTextFields(foundation::Array {Value("DEFAULT"), Value("NUMBER")});
    popup->setRoundedCorners(true);
    popup->setDelegate(sharedAs<LoginViewController>());
    popup->showPopup();
}

bool LoginViewController::dictionary(
    const FieldDictionary&, Popup&, const std::optional<std::vector<std::string>>& strings)
{
    if (strings && strings->size() >= 2) {
        m_typedAddress = (*strings)[0];
        m_typedPort = (*strings)[1];
    }
    return true;
}

bool LoginViewController::isAutoLoginOn()
{
    return foundation::UserDefaults::standard().string(kAutoLoginKey).value_or("YES") == "YES";
}

void LoginViewController::viewWillAppear(bool animated)
{
    ui::ViewController::viewWillAppear(animated);
    // Made once: the screen appears again after every logout.
    if (!m_autoLoginSwitch)
        makeAutoLoginSwitch();
    bool on = isAutoLoginOn();
    m_autoLoginSwitch->setOn(on);
    if (auto password = foundation::UserDefaults::standard().string(kPasswordKey); on && password)
        m_passwordField->setText(*password);
}

void LoginViewController::makeAutoLoginSwitch()
{
    m_autoLoginSwitch = OnOffSwitch::create();
    layOutContent();
    m_autoLoginSwitch->setAccessibilityLabel("自动登录");
    std::weak_ptr<LoginViewController> weakSelf = sharedAs<LoginViewController>();
    m_autoLoginSwitch->addTarget(weakSelf, ui::ControlEvents::ValueChanged, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->autoLoginChanged();
    });
    m_autoLoginSwitch->setOnImage(bundleImage("btn-toggle-on-bg.png"));
    m_autoLoginSwitch->setOffImage(bundleImage("btn-toggle-off-bg.png"));
    m_autoLoginSwitch->setIsRounded(false);
    m_autoLoginSwitch->setBorderColor(graphics::Color::clear());
    m_autoLoginSwitch->setOn(true);
    m_autoLoginSwitch->setInactiveColor(graphics::Color::clear());
    m_autoLoginSwitch->setOnTintColor(graphics::Color::clear());
    m_content->addSubview(m_autoLoginSwitch);
}

void LoginViewController::autoLoginChanged()
{
    auto& defaults = foundation::UserDefaults::standard();
    const bool on = m_autoLoginSwitch->isOn();
    defaults.set(kAutoLoginKey, on ? "YES" : "NO");
    // Turning it off forgets the password at once, not only at the next login.
    if (!on)
        defaults.remove(kPasswordKey);
    defaults.synchronize();
}

void LoginViewController::viewDidAppear(bool animated)
{
    ui::ViewController::viewDidAppear(animated);
    if (m_triedAutoLogin)
        return;
    m_triedAutoLogin = true;
    auto& defaults = foundation::UserDefaults::standard();
    auto userName = defaults.string("userName");
    auto password = defaults.string(kPasswordKey);
    if (!isAutoLoginOn() || !userName || userName->empty() || !password || password->empty())
        return;
    foundation::logf("automatic login as %s", userName->c_str());
    m_userNameField->setText(*userName);
    m_passwordField->setText(*password);
    login();
}

void LoginViewController::login()
{
    if (m_requestRunning)
        return;
    m_userNameField->resignFirstResponder();
    m_passwordField->resignFirstResponder();
    std::string userName = trimmed(m_userNameField->text());
    const std::string& password = m_passwordField->text();
    if (userName.empty() || password.empty()) {
        showError("用户名或密码不能为空");
        return;
    }
    m_userName = userName;
    m_submittedPassword = password;
    m_requestRunning = true;
    m_loginButton->setEnabled(false);

    RequestUrlUtil::post(sharedAs<LoginViewController>(), kLoginPath,
        Value(foundation::Map {
            {"username", userName}, {"password", password}, {"simid", DeviceIdentifier::simid()}}),
        kLoginTag, &LoginViewController::loginFinished, &LoginViewController::loginFailed);
}

void LoginViewController::loginFinished(const Value& reply)
{
    const std::string password = std::exchange(m_submittedPassword, {});
    m_requestRunning = false;
    m_loginButton->setEnabled(true);
    if (reply.isNull()) {
        foundation::logf("--------error------@%s", "the login reply is not JSON");
        showError(RequestUrlUtil::kNetworkFailureMessage);
        return;
    }
    const Value& data = reply["Data"];
    int64_t userId = userIdOf(data["userId"]);
    if (!RequestUrlUtil::succeeded(reply) || userId <= 0) {
        std::string message = RequestUrlUtil::message(reply, "登录失败,请重新尝试!");
        foundation::logf("--------error------@%s", message.c_str());
        showError(message);
        return;
    }

    auto user = UserInfo::sharedInstance();
    user->setUserId(userId);
    user->setName(textOf(data["name"]));
    user->setLoginName(textOf(data["loginname"]));
    user->setCompanyName(textOf(data["companyname"]));
    user->setOrderPrefix(textOf(data["orderprefix"]));
    user->setLogoUrl(textOf(data["logourl"]));
    user->setPhotoPlan(textOf(data["photoplan"]));
    user->setSimidState(textOf(data["simidstate"]));
    user->setSimid(textOf(data["simid"]));
    if (user->loginName().empty())
        user->setLoginName(m_userName);

    auto& defaults = foundation::UserDefaults::standard();
    defaults.set("userName", m_userName);
    const bool autoLogin = !m_autoLoginSwitch || m_autoLoginSwitch->isOn();
    defaults.set(kAutoLoginKey, autoLogin ? "YES" : "NO");
    if (autoLogin && !password.empty())
        defaults.set(kPasswordKey, password);
    else
        defaults.remove(kPasswordKey);
    defaults.set(LocalDocumentManager::kCurrentUserKey,
        foundation::format("user%lld", static_cast<long long>(userId)));
    defaults.synchronize();
    if (!LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder)
        || !LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder))
        foundation::logf("--------error------@%s", "the user's media folders could not be made");

    m_passwordField->setText("");
    performSegueWithIdentifier(ShellSegues::kLoginToMain);
}

void LoginViewController::loginFailed(const HttpError& error)
{
    m_submittedPassword.clear();
    m_requestRunning = false;
    m_loginButton->setEnabled(true);
    foundation::logf("--------error------@%s", error.description.c_str());
    showError(RequestUrlUtil::kNetworkFailureMessage);
}

void LoginViewController::showError(const std::string& message)
{
    auto alert = ModalAlertView::create();
    alert->showError(sharedAs<ui::ViewController>(), "登录失败", message, std::string("确定"), 0);
}
