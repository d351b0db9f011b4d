#include "tests/app/ShellFixture.h"

#include "components/switch/OnOffSwitch.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "screens/shell/DeviceIdentifier.h"
#include "screens/shell/HomeViewController.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/shell/ScreenScrollView.h"

using mivo::test::ShellFixture;

namespace {

class LoginFlowTest : public ShellFixture { };

} // namespace

TEST_F(LoginFlowTest, SuccessFillsTheUserAndOpensTheMainScreens)
{
    auto sliding = logIn("kestro");
    ASSERT_TRUE(sliding) << alertText(*m_login);
    auto user = UserInfo::sharedInstance();
    EXPECT_EQ(user->userId(), 1002);
    EXPECT_EQ(user->companyName(), "Kestro");
    EXPECT_EQ(user->orderPrefix(), "KS");
    EXPECT_EQ(user->loginName(), "kestro");
    EXPECT_EQ(user->photoPlan(), "1");

    auto& defaults = foundation::UserDefaults::standard();
    EXPECT_EQ(defaults.string("userName"), "kestro");
    EXPECT_EQ(defaults.string("kCurrentUser"), "user1002");
    auto userFolder = foundation::Paths::documents() / "user1002";
    EXPECT_TRUE(std::filesystem::is_directory(userFolder / "picture"));
    EXPECT_TRUE(std::filesystem::is_directory(userFolder / "video"));

    auto stack = homeStack(sliding);
    ASSERT_TRUE(stack);
    EXPECT_TRUE(std::dynamic_pointer_cast<HomeViewController>(stack->topViewController()));
    EXPECT_TRUE(sliding->underLeftViewController());
    EXPECT_EQ(m_login->passwordField()->text(), "") << "the password is not kept on screen";
}

TEST_F(LoginFlowTest, TheDeviceIdentifierIsMadeOnceAndSent)
{
    std::string first = DeviceIdentifier::simid();
    EXPECT_EQ(first.size(), 36u);
    EXPECT_EQ(DeviceIdentifier::simid(), first);
    EXPECT_TRUE(foundation::fileExists(foundation::Paths::library() / DeviceIdentifier::kFileName));
    ASSERT_TRUE(logIn("arvel"));
    EXPECT_EQ(DeviceIdentifier::simid(), first);

    // A damaged file gets a fresh identifier rather than sending garbage.
    foundation::writeFileAtomically(foundation::Paths::library() / DeviceIdentifier::kFileName, "../../x");
    std::string replaced = DeviceIdentifier::simid();
    EXPECT_NE(replaced, first);
    EXPECT_EQ(replaced.size(), 36u);
}

TEST_F(LoginFlowTest, TheServersReasonIsShownOnFailure)
{
    foundation::LogCapture log;
    EXPECT_FALSE(logIn("arvel", "wrong"));
    EXPECT_EQ(alertText(*m_login), "用户名或密码错误");
    EXPECT_TRUE(log.contains("--------error------@用户名或密码错误"));
    EXPECT_FALSE(foundation::UserDefaults::standard().string("kCurrentUser").has_value());
}

TEST_F(LoginFlowTest, EmptyFieldsAreRefusedWithoutARequest)
{
    size_t before = s_server->settledLog().size();
    EXPECT_FALSE(logIn("  ", "x"));
    EXPECT_EQ(alertText(*m_login), "用户名或密码不能为空");
    EXPECT_EQ(s_server->log().size(), before);
}

TEST_F(LoginFlowTest, NetworkFailuresShowTheTimeoutText)
{
    // "huge": a reply of 30 MB, cut off at the first megabyte.
    for (const char* mode : {"drop", "500", "nonjson", "huge"}) {
        SCOPED_TRACE(mode);
        ui::Application::shared().resetForTesting();
        m_window = host::launch(m_delegate, host::HostOptions {});
        m_login = std::dynamic_pointer_cast<LoginViewController>(m_window->rootViewController());
        m_login->loadViewIfNeeded();
        ASSERT_TRUE(s_server->misbehave(mode, 0, "/Services/Login.ashx"));
        foundation::LogCapture log;
        EXPECT_FALSE(logIn("arvel"));
        EXPECT_EQ(alertText(*m_login), "网络超时,请重新尝试!");
        EXPECT_TRUE(log.contains("--------error------@"));
        if (std::string(mode) == "huge") {
            EXPECT_TRUE(log.contains("--------error------@The reply from the server is too large."));
        }
        EXPECT_TRUE(m_login->loginButton()->isEnabled()) << "the user can try again";
        auto& defaults = foundation::UserDefaults::standard();
        EXPECT_FALSE(defaults.string("userName").has_value());
        EXPECT_FALSE(defaults.string("kCurrentUser").has_value());
        EXPECT_FALSE(std::filesystem::exists(foundation::Paths::documents() / "user1001"));
        s_server->behave();
    }
    // The same screen logs in once the server answers as usual.
    ASSERT_TRUE(logIn("arvel")) << alertText(*m_login);
    EXPECT_EQ(foundation::UserDefaults::standard().string("kCurrentUser"), "user1001");
}

TEST_F(LoginFlowTest, ASuccessWithoutAUserIdIsNotALogin)
{
    // A reply that says Success but names no user must not make a folder "user0".
    m_login->loginFinished(
        foundation::Value(foundation::Map {{"Success", true}, {"Msg", ""}, {"Data", foundation::Map {}}}));
    EXPECT_FALSE(m_login->presentedViewController());
    EXPECT_FALSE(alertText(*m_login).empty());
    EXPECT_FALSE(foundation::UserDefaults::standard().string("kCurrentUser").has_value());
}

namespace {

// Automatic login across starts of the app: a start is a fresh launch on the same home.
class AutoLoginTest : public ShellFixture {
protected:
    void relaunch()
    {
        foundation::RunLoop::main().runFor(2);
        m_login.reset();
        m_window.reset();
        ui::Application::shared().resetForTesting();
        ui::Storyboard::removeAllForTesting();
        m_window = host::launch(m_delegate, host::HostOptions {});
        m_login = std::dynamic_pointer_cast<LoginViewController>(m_window->rootViewController());
        ASSERT_TRUE(m_login);
        foundation::RunLoop::main().runFor(0.1);
    }
    // Waits for a login that may be running and says whether the main screens opened.
    bool loggedIn()
    {
        runUntil([&] { return !m_login->isRequestRunning(); });
        foundation::RunLoop::main().runFor(0.5);
        return m_login->presentedViewController() != nullptr;
    }
    void tapSwitch()
    {
        auto control = m_login->autoLoginSwitch();
        auto frame = control->convertRectToView(control->bounds(), nullptr);
        ui::Application::shared().tap({frame.midX(), frame.midY()});
        foundation::RunLoop::main().runFor(0.4);
    }
    static std::optional<std::string> stored(const char* key)
    {
        return foundation::UserDefaults::standard().string(key);
    }
};

} // namespace

TEST_F(AutoLoginTest, TheSwitchIsDrawnFromItsTwoImagesAndStartsOn)
{
    foundation::RunLoop::main().runFor(0.1);
    auto control = m_login->autoLoginSwitch();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->frame(), (graphics::Rect {205, 277, 64, 29}));
    EXPECT_TRUE(control->isOn());
    EXPECT_FALSE(control->isRounded());
    EXPECT_EQ(control->background()->layer().cornerRadius(), 2);
    EXPECT_EQ(control->onTintColor(), graphics::Color::clear());
    EXPECT_EQ(control->inactiveColor(), graphics::Color::clear());
    EXPECT_EQ(control->borderColor(), graphics::Color::clear());
    ASSERT_TRUE(control->onImage());
    ASSERT_TRUE(control->offImage());
    EXPECT_EQ(control->onImage()->size(), (graphics::Size {64, 29}));
    EXPECT_EQ(control->offImage()->size(), (graphics::Size {64, 29}));
    EXPECT_EQ(control->superview(), m_login->contentView());
}

TEST_F(AutoLoginTest, OnKeepsThePasswordAndLogsInAtTheNextStart)
{
    ASSERT_TRUE(logIn("kestro"));
    EXPECT_EQ(stored("autoLogin"), "YES");
    EXPECT_EQ(stored("password"), "123456");

    relaunch();
    EXPECT_TRUE(loggedIn()) << alertText(*m_login);
    EXPECT_EQ(UserInfo::sharedInstance()->loginName(), "kestro");
}

TEST_F(AutoLoginTest, OffForgetsThePasswordAndWaitsForTheUser)
{
    foundation::RunLoop::main().runFor(0.1);
    tapSwitch();
    EXPECT_FALSE(m_login->autoLoginSwitch()->isOn());
    EXPECT_EQ(stored("autoLogin"), "NO");
    ASSERT_TRUE(logIn("kestro"));
    EXPECT_EQ(stored("autoLogin"), "NO");
    EXPECT_FALSE(stored("password"));

    relaunch();
    EXPECT_FALSE(m_login->autoLoginSwitch()->isOn()) << "the switch shows the stored setting";
    EXPECT_FALSE(loggedIn());
    EXPECT_EQ(m_login->passwordField()->text(), "");

    // Turned on again it keeps the next password; turned off it drops the kept one at once.
    tapSwitch();
    EXPECT_EQ(stored("autoLogin"), "YES");
    ASSERT_TRUE(logIn("kestro"));
    EXPECT_EQ(stored("password"), "123456");
    m_login->dismissViewController(false);
    foundation::RunLoop::main().runFor(0.5);
    tapSwitch();
    EXPECT_FALSE(stored("password"));
}

TEST_F(AutoLoginTest, AfterALogoutTheScreenDoesNotLogInByItself)
{
    ASSERT_TRUE(logIn("arvel"));
    m_login->dismissViewController(false); // as a logout that kept the password
    EXPECT_FALSE(loggedIn());
    EXPECT_EQ(m_login->passwordField()->text(), "123456") << "kept for one tap on 登录";
}

TEST_F(AutoLoginTest, AWrongStoredPasswordShowsTheServersReason)
{
    auto& defaults = foundation::UserDefaults::standard();
    defaults.set("userName", "arvel");
    defaults.set("password", "wrong");
    defaults.set("autoLogin", "YES");
    relaunch();
    EXPECT_FALSE(loggedIn());
    EXPECT_EQ(alertText(*m_login), "用户名或密码错误");
}

TEST_F(LoginFlowTest, SuccessIsReadAsTheServerMeansIt)
{
    const foundation::Map data {{"userId", int64_t(1001)}, {"loginname", "arvel"}, {"companyname", "Arvel"}};
    struct Case {
        foundation::Value success;
        bool loggedIn;
    };
    for (const Case& c : {Case {true, true}, Case {int64_t(1), true}, Case {"true", true}, Case {"YES", true},
             Case {"1", true}, Case {false, false}, Case {int64_t(0), false}, Case {"false", false},
             Case {"NO", false}, Case {"0", false}, Case {foundation::Value(), false}}) {
        SCOPED_TRACE(c.success.toJson());
        ui::Application::shared().resetForTesting();
        m_window = host::launch(m_delegate, host::HostOptions {});
        m_login = std::dynamic_pointer_cast<LoginViewController>(m_window->rootViewController());
        m_login->loadViewIfNeeded();
        m_login->loginFinished(
            foundation::Value(foundation::Map {{"Success", c.success}, {"Msg", "操作成功"}, {"Data", data}}));
        if (c.loggedIn) {
            EXPECT_EQ(alertText(*m_login), "") << "the server's success text is no error";
            EXPECT_EQ(foundation::UserDefaults::standard().string("kCurrentUser"), "user1001");
        } else {
            EXPECT_EQ(alertText(*m_login), "操作成功");
        }
        foundation::UserDefaults::standard().remove("kCurrentUser");
    }
}

TEST_F(LoginFlowTest, TheSystemConfigurationPopupPointsTheAppAtTheTypedServer)
{
    auto& defaults = foundation::UserDefaults::standard();
    std::string port = std::to_string(s_server->port());
    defaults.set(GetBaseUrlAndPortModel::kBasePortKey, "1");
    auto popupOnScreen = [&]() -> std::shared_ptr<Popup> {
        for (auto& view : m_window->subviews()) {
            if (auto popup = std::dynamic_pointer_cast<Popup>(view))
                return popup;
        }
        return nullptr;
    };

    // Cancel keeps what is stored.
    m_login->configButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    auto popup = popupOnScreen();
    ASSERT_TRUE(popup);
    popup->textFields()[1]->setText(port);
    popup->cancelButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    foundation::RunLoop::main().runFor(0.3);
    EXPECT_FALSE(popupOnScreen());
    EXPECT_EQ(defaults.string(GetBaseUrlAndPortModel::kBasePortKey), "1");
    EXPECT_FALSE(logIn("arvel"));

    m_login->configButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    popup = popupOnScreen();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->titleLabel()->text(), "系统配置");
    EXPECT_EQ(popup->textFields()[0]->text(), "http://127.0.0.1");
    EXPECT_EQ(popup->textFields()[1]->text(), "1");
    EXPECT_EQ(popup->textFields()[1]->keyboardType(), ui::KeyboardType::NumberPad);
    auto portField = popup->textFields()[1];
    ASSERT_TRUE(portField->becomeFirstResponder());
    portField->deleteBackward();
    portField->insertText(port);
    popup->successButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(defaults.string(GetBaseUrlAndPortModel::kBasePortKey), "1")
        << "written when the popup has gone";
    foundation::RunLoop::main().runFor(0.3);
    EXPECT_FALSE(popupOnScreen());
    EXPECT_EQ(defaults.string(GetBaseUrlAndPortModel::kBaseUrlKey), "http://127.0.0.1");
    EXPECT_EQ(defaults.string(GetBaseUrlAndPortModel::kBasePortKey), port);
    EXPECT_TRUE(logIn("arvel")) << alertText(*m_login);
}

TEST_F(LoginFlowTest, AnAddressBlankedInThePopupIsUsedAsBlankedNotTheBuiltInServer)
{
    m_login->configButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    std::shared_ptr<Popup> popup;
    for (auto& view : m_window->subviews()) {
        if (auto found = std::dynamic_pointer_cast<Popup>(view))
            popup = found;
    }
    ASSERT_TRUE(popup);
    auto addressField = popup->textFields()[0];
    ASSERT_TRUE(addressField->becomeFirstResponder());
    while (!addressField->text().empty())
        addressField->deleteBackward();
    popup->successButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    foundation::RunLoop::main().runFor(0.3);
    EXPECT_EQ(foundation::UserDefaults::standard().string(GetBaseUrlAndPortModel::kBaseUrlKey), "");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(),
        "http://:" + std::to_string(s_server->port()) + "/Services");
    EXPECT_FALSE(logIn("arvel"));
    EXPECT_EQ(alertText(*m_login), RequestUrlUtil::kNetworkFailureMessage);
}
