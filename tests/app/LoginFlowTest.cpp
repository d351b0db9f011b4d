#include "tests/app/ShellFixture.h"

#include "core/net/UserInfo.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "screens/shell/DeviceIdentifier.h"
#include "screens/shell/HomeViewController.h"

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
    for (const char* mode : {"drop", "500", "nonjson"}) {
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
        EXPECT_TRUE(m_login->loginButton()->isEnabled()) << "the user can try again";
        s_server->behave();
    }
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
