#pragma once

#include "app/AppDelegate.h"
#include "components/alert/ModalAlertView.h"
#include "components/banner/DropdownBanner.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/store/BaseDatabaseManager.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/Host.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"
#include "screens/shell/LoginViewController.h"
#include "screens/shell/SlidingViewController.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace mivo::test {

// The whole app in this process on a fresh home, pointed at one stand-in server per test suite.
class ShellFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new testsupport::StandInServer(); }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_server->isRunning());
        s_server->behave();
        foundation::RunLoop::main().reset();
        // Animations and transitions step on a manual clock; the network still answers in real time.
        foundation::RunLoop::main().setClock(std::make_shared<foundation::ManualClock>(0));
        ui::Application::shared().resetForTesting();
        ui::Storyboard::removeAllForTesting();
        BaseDatabaseManager::resetSharedManagersForTesting();
        auto& defaults = foundation::UserDefaults::standard();
        defaults.set(GetBaseUrlAndPortModel::kBaseUrlKey, "http://127.0.0.1");
        defaults.set(GetBaseUrlAndPortModel::kBasePortKey, std::to_string(s_server->port()));
        m_window = host::launch(m_delegate, host::HostOptions {});
        m_login = std::dynamic_pointer_cast<LoginViewController>(m_window->rootViewController());
        ASSERT_TRUE(m_login);
        m_login->loadViewIfNeeded();
    }

    void TearDown() override
    {
        // Let running animations (an alert sliding in) end before the platform is reset: dropping
        // an animation whose completion holds the last reference to its view re-enters the reset.
        foundation::RunLoop::main().runFor(2);
        m_login.reset();
        m_window.reset();
        ui::Application::shared().resetForTesting();
        ui::Storyboard::removeAllForTesting();
        foundation::RunLoop::main().reset();
        BaseDatabaseManager::resetSharedManagersForTesting();
    }

    static bool runUntil(const std::function<bool()>& done, double seconds = 10)
    {
        return foundation::RunLoop::main().runUntil(done, seconds);
    }

    // Types the credentials and logs in; the sliding container once it is up.
    std::shared_ptr<SlidingViewController> logIn(
        const std::string& user, const std::string& password = "123456")
    {
        m_login->userNameField()->setText(user);
        m_login->passwordField()->setText(password);
        m_login->login();
        runUntil([&] { return !m_login->isRequestRunning(); });
        if (!m_login->presentedViewController())
            return nullptr;
        foundation::RunLoop::main().runFor(0.5); // the presentation
        return std::dynamic_pointer_cast<SlidingViewController>(m_login->presentedViewController());
    }

    static std::shared_ptr<ui::NavigationController> homeStack(
        const std::shared_ptr<SlidingViewController>& sliding)
    {
        return std::dynamic_pointer_cast<ui::NavigationController>(sliding->topViewController());
    }

    // What a screen presented: presentations are made by the outermost container.
    static std::shared_ptr<ui::ViewController> presentedFrom(
        const std::shared_ptr<ui::ViewController>& screen)
    {
        for (auto controller = screen; controller; controller = controller->parentViewController()) {
            if (auto presented = controller->presentedViewController())
                return presented;
        }
        return nullptr;
    }

    // The body text of the alert a screen hosts, if it shows one.
    static std::string alertText(const ui::ViewController& host)
    {
        for (const auto& child : host.childViewControllers()) {
            if (auto alert = std::dynamic_pointer_cast<ModalAlertView>(child))
                return alert->viewText() ? alert->viewText()->text() : std::string("(no body)");
        }
        return {};
    }

    // The drop-down notice shown last, if one is on the window.
    std::shared_ptr<DropdownBanner> shownBanner() const
    {
        std::shared_ptr<DropdownBanner> banner;
        for (auto& view : m_window->subviews()) {
            if (auto found = std::dynamic_pointer_cast<DropdownBanner>(view))
                banner = found;
        }
        return banner;
    }

    // Whether the banner of a number another task has is showing, as the task screens drop it.
    ::testing::AssertionResult duplicateNumberNoticeShown() const
    {
        auto banner = shownBanner();
        if (!banner)
            return ::testing::AssertionFailure() << "no banner";
        if (banner->titleLabel()->text() != "提醒"
            || banner->messageLabel()->text() != "新增的任务单号已经存在,请确认单号的唯一性!")
            return ::testing::AssertionFailure()
                << "banner " << banner->titleLabel()->text() << " / " << banner->messageLabel()->text();
        return ::testing::AssertionSuccess();
    }

    static inline testsupport::StandInServer* s_server = nullptr;
    TempHome m_home;
    AppDelegate m_delegate;
    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<LoginViewController> m_login;
};

} // namespace mivo::test
