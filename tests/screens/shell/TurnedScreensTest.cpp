#include "tests/app/ShellFixture.h"

#include "components/actionsheet/ActionSheet.h"
#include "components/switch/OnOffSwitch.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/shell/HomeViewController.h"
#include "screens/shell/LeftMenuViewController.h"
#include "screens/shell/ScreenScrollView.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/NewTaskViewController.h"
#include "screens/tasks/RejectedTaskListViewController.h"
#include "tests/support/PixelProbe.h"

#include <ostream>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using mivo::test::PixelProbe;

namespace {

struct Turn {
    const char* version;
    ui::DeviceOrientation side;
};

void PrintTo(const Turn& turn, std::ostream* out)
{
    *out << turn.version << (turn.side == ui::DeviceOrientation::LandscapeLeft ? " left" : " right");
}

constexpr graphics::Color kLoginBlue = graphics::Color::rgba(0.10, 0.45, 0.85);
constexpr graphics::Color kArvelRed = graphics::Color::rgba(0.80, 0.12, 0.16);
constexpr double kBarBottom = 64; // the status bar and the navigation bar

// The screens of the road, turned to a side on a system version: every control can be scrolled
// into sight and tapped where it is drawn, and a focused field stays above the keyboard. Touches
// and pictures are in the screen's own space, as the hosts give and draw them.
class TurnedScreensTest : public mivo::test::ShellFixture, public ::testing::WithParamInterface<Turn> {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ui::Device::currentDevice().setSystemVersion(GetParam().version);
    }

    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }

    static void turnTo(ui::DeviceOrientation side)
    {
        ui::Device::currentDevice().setOrientation(side);
        step(0.8);
    }

    static Rect onScreen(const ui::View& view) { return view.convertRectToView(view.bounds(), nullptr); }

    // The part of the content that shows: neither scrolled away nor under the keyboard.
    static Rect shownPart(const ScreenScrollView& content)
    {
        return content.bounds().insetBy(content.contentInset());
    }

    static bool inSight(const ScreenScrollView& content, const ui::View& view)
    {
        Rect shown = shownPart(content);
        return shown.contains(view.convertRectToView(view.bounds(), &content))
            && ui::Screen::mainScreen().bounds().contains(onScreen(view));
    }

    // A finger drags the content `distance` points up (down when negative), slowly, so it stops
    // where the finger lifts.
    static void drag(const ScreenScrollView& content, double x, double distance)
    {
        Rect shown = shownPart(content);
        Point from = content.convertPointToView({x, shown.midY() + distance / 2}, nullptr);
        Point to = content.convertPointToView({x, shown.midY() - distance / 2}, nullptr);
        auto& app = ui::Application::shared();
        auto touch = app.touchDown(from);
        ASSERT_TRUE(touch);
        for (int i = 1; i <= 20; ++i) {
            step(0.03);
            app.touchMoved(touch, graphics::lerp(from, to, i / 20.0));
        }
        step(0.2);
        app.touchUp(touch, to);
        step(1);
    }

    // Drags until the whole view is in sight, as a user would.
    static void scrollIntoSight(const ScreenScrollView& content, const ui::View& view)
    {
        for (int tries = 0; tries < 6 && !inSight(content, view); ++tries) {
            Rect rect = view.convertRectToView(view.bounds(), &content);
            Rect shown = shownPart(content);
            double needed = rect.maxY() > shown.maxY() ? rect.maxY() - shown.maxY() + 6
                                                       : rect.minY() - shown.minY() - 6;
            double most = shown.height() * 0.6;
            drag(content, rect.midX(), std::clamp(needed, -most, most));
        }
        EXPECT_TRUE(inSight(content, view)) << view.className() << " " << view.accessibilityLabel();
    }

    // A tap at the middle of where the view is drawn; the touch lands on it.
    void tapDrawn(const ui::View& view)
    {
        Point center = onScreen(view).center();
        auto hit = m_window->hitTest(center, nullptr);
        ASSERT_TRUE(hit && hit->isDescendantOfView(&view)) << view.className() << " is covered there";
        ui::Application::shared().tap(center);
        foundation::RunLoop::main().runOnce();
    }

    // Most of the view's place on screen shows its colour: it is drawn there, whole.
    static void expectDrawn(const ui::View& view, const graphics::Color& color, int tolerance = 8)
    {
        Rect rect = onScreen(view);
        EXPECT_TRUE(ui::Screen::mainScreen().bounds().contains(rect));
        EXPECT_GT(PixelProbe::screen().fraction(rect.insetBy(3, 3), color, tolerance), 0.6)
            << view.className() << " " << view.accessibilityLabel();
    }

    // Turned before the login, so the main screens come up turned.
    std::shared_ptr<HomeViewController> logInTurned()
    {
        turnTo(GetParam().side);
        m_sliding = logIn("arvel");
        if (!m_sliding)
            return nullptr;
        return std::dynamic_pointer_cast<HomeViewController>(homeStack(m_sliding)->topViewController());
    }

    std::shared_ptr<ui::ViewController> top() const { return homeStack(m_sliding)->topViewController(); }

    std::shared_ptr<NewTaskViewController> openNewTask()
    {
        auto home = logInTurned();
        if (!home)
            return nullptr;
        tapDrawn(*home->entryButtons().front());
        step();
        return std::dynamic_pointer_cast<NewTaskViewController>(top());
    }

    std::shared_ptr<SlidingViewController> m_sliding;
};

TEST_P(TurnedScreensTest, TheLoginScrollsToEachControlAndLogsInFromTheDrawnButton)
{
    turnTo(GetParam().side);
    auto content = m_login->contentView();
    ASSERT_EQ(content->bounds().size, (graphics::Size {568, 320}));
    EXPECT_FALSE(inSight(*content, *m_login->loginButton())) << "the button lies below the edge at first";
    EXPECT_EQ(m_login->loginButton()->frame().width(), 568 - 60) << "widths follow the screen";

    std::vector<std::shared_ptr<ui::View>> controls {m_login->userNameField(), m_login->passwordField(),
        m_login->autoLoginSwitch(), m_login->loginButton(), m_login->configButton()};
    for (const auto& control : controls) {
        scrollIntoSight(*content, *control);
        Point center = onScreen(*control).center();
        auto hit = m_window->hitTest(center, nullptr);
        EXPECT_TRUE(hit && hit->isDescendantOfView(control.get())) << control->accessibilityLabel();
    }

    // A focused field stays in sight above the keyboard (216 points of the 320).
    scrollIntoSight(*content, *m_login->userNameField());
    tapDrawn(*m_login->userNameField());
    step();
    ASSERT_TRUE(m_login->userNameField()->isFirstResponder());
    Rect field = m_login->userNameField()->convertRectToView(
        m_login->userNameField()->bounds(), m_login->view().get());
    EXPECT_GE(field.minY(), 20) << "below the status bar";
    EXPECT_LE(field.maxY(), 320 - ui::Keyboard::kPhoneHeight);
    expectDrawn(*m_login->userNameField(), graphics::Color::white(), 4);
    m_login->userNameField()->insertText("arvel");
    m_login->userNameField()->resignFirstResponder();
    m_login->passwordField()->setText("123456");
    step();

    scrollIntoSight(*content, *m_login->loginButton());
    expectDrawn(*m_login->loginButton(), kLoginBlue);
    tapDrawn(*m_login->loginButton());
    ASSERT_TRUE(runUntil([&] { return !m_login->isRequestRunning(); }));
    step();
    auto sliding = std::dynamic_pointer_cast<SlidingViewController>(m_login->presentedViewController());
    ASSERT_TRUE(sliding);

    // Logged out upright, the screen lies as it always did.
    turnTo(ui::DeviceOrientation::Portrait);
    sliding->dismissViewController(false);
    step();
    EXPECT_EQ(content->contentOffset(), (Point {0, 0}));
    EXPECT_EQ(onScreen(*m_login->loginButton()), (Rect {30, 322, 260, 44}));
    EXPECT_EQ(onScreen(*m_login->autoLoginSwitch()), (Rect {205, 277, 64, 29}));
    EXPECT_EQ(onScreen(*m_login->configButton()), (Rect {100, 364, 120, 32}));
}

TEST_P(TurnedScreensTest, TheHomeAndTheSideMenuReachTheirLastEntries)
{
    auto home = logInTurned();
    ASSERT_TRUE(home);
    auto content = home->contentView();
    const auto& entries = home->entryButtons();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_FALSE(inSight(*content, *entries.back()));
    for (const auto& entry : entries) {
        scrollIntoSight(*content, *entry);
        expectDrawn(*entry, kArvelRed, 24);
        EXPECT_EQ(entry->frame().width(), 568 - 40);
    }
    // The rejected list, then the finished one, from their drawn buttons.
    tapDrawn(*entries[4]);
    step();
    EXPECT_TRUE(std::dynamic_pointer_cast<RejectedTaskListViewController>(top()));
    homeStack(m_sliding)->popViewController(false);
    step();
    scrollIntoSight(*content, *entries[3]);
    tapDrawn(*entries[3]);
    step();
    EXPECT_TRUE(std::dynamic_pointer_cast<FinishedTaskListViewController>(top()));
    homeStack(m_sliding)->popViewController(false);
    step();

    // The menu's last entry asks before logging out.
    m_sliding->anchorTopViewToRight(false);
    step();
    auto menu = std::dynamic_pointer_cast<LeftMenuViewController>(m_sliding->underLeftViewController());
    ASSERT_TRUE(menu);
    auto logout = menu->entryButtons().back();
    EXPECT_FALSE(inSight(*menu->contentView(), *logout));
    scrollIntoSight(*menu->contentView(), *logout);
    tapDrawn(*logout);
    step();
    EXPECT_EQ(alertText(*m_sliding), "确定要退出吗？");
}

TEST_P(TurnedScreensTest, TheCreateScreenChoosesAndStartsFromItsLowerControls)
{
    auto screen = openNewTask();
    ASSERT_TRUE(screen);
    auto content = screen->contentView();
    EXPECT_FALSE(inSight(*content, *screen->submitButton()));
    bool before8 = std::string(GetParam().version) == "7.1";
    screen->applyNoField()->setText("T" + std::to_string(int(GetParam().side)) + (before8 ? "A" : "B"));
    screen->baseLocationField()->setText("上海浦东仓");
    screen->ensureCompanyField()->setText("平安保险");
    screen->dealPriceField()->setText("86000");
    for (const auto& chooser : {screen->productTypeButton(), screen->photoPlanButton()}) {
        scrollIntoSight(*content, *chooser);
        expectDrawn(*chooser, graphics::Color::white(), 4);
        EXPECT_EQ(chooser->frame().width(), 568 - 116);
        tapDrawn(*chooser);
        step(0.4);
        std::shared_ptr<ActionSheet> sheet;
        for (const auto& view : screen->navigationController()->view()->subviews())
            if (auto found = std::dynamic_pointer_cast<ActionSheet>(view))
                sheet = found;
        ASSERT_TRUE(sheet);
        auto first = sheet->sections()[0]->buttons()[0];
        ui::Application::shared().tap(onScreen(*first).center());
        step(0.4);
    }
    EXPECT_EQ(screen->productType(), "常规产品");
    EXPECT_EQ(screen->photoPlan(), "拆密封条-方案1");

    scrollIntoSight(*content, *screen->submitButton());
    expectDrawn(*screen->submitButton(), kArvelRed, 24);
    tapDrawn(*screen->submitButton());
    ASSERT_TRUE(runUntil([&] { return !screen->isRequestRunning(); }));
    step();
    EXPECT_TRUE(std::dynamic_pointer_cast<NewTaskPLCollectionViewController>(top())) << alertText(*screen);
}

TEST_P(TurnedScreensTest, AFocusedFieldStaysAboveTheKeyboardThroughTurns)
{
    auto screen = openNewTask();
    ASSERT_TRUE(screen);
    auto content = screen->contentView();
    auto field = screen->dealPriceField();
    auto interface = screen->navigationController()->view();
    // Above the keyboard and below the bars, whole and drawn.
    auto expectAboveKeyboard = [&](double interfaceHeight) {
        Rect rect = field->convertRectToView(field->bounds(), interface.get());
        EXPECT_EQ(interface->bounds().height(), interfaceHeight);
        EXPECT_GE(rect.minY(), kBarBottom);
        EXPECT_LE(rect.maxY(), interfaceHeight - ui::Keyboard::kPhoneHeight);
        EXPECT_GT(content->contentInset().bottom, 0);
        expectDrawn(*field, graphics::Color::white(), 4);
    };
    scrollIntoSight(*content, *field);
    tapDrawn(*field);
    step();
    ASSERT_TRUE(field->isFirstResponder());
    expectAboveKeyboard(320);

    auto other = GetParam().side == ui::DeviceOrientation::LandscapeLeft
        ? ui::DeviceOrientation::LandscapeRight
        : ui::DeviceOrientation::LandscapeLeft;
    turnTo(other);
    expectAboveKeyboard(320);
    turnTo(ui::DeviceOrientation::Portrait);
    expectAboveKeyboard(568);
    turnTo(GetParam().side);
    expectAboveKeyboard(320);

    // The keyboard gone, nothing is left scrolled past the content; upright, the form is as it was.
    field->resignFirstResponder();
    step();
    EXPECT_EQ(content->contentInset().bottom, 0);
    EXPECT_LE(content->contentOffset().y, content->maximumContentOffset().y);
    turnTo(ui::DeviceOrientation::Portrait);
    EXPECT_EQ(content->contentOffset(), (Point {0, 0}));
    EXPECT_EQ(
        field->convertRectToView(field->bounds(), interface.get()), (Rect {100, kBarBottom + 150, 204, 36}));
    EXPECT_EQ(screen->submitButton()->convertRectToView(screen->submitButton()->bounds(), interface.get()),
        (Rect {20, kBarBottom + 304, 280, 44}));
}

INSTANTIATE_TEST_SUITE_P(Sides, TurnedScreensTest,
    ::testing::Values(Turn {"7.1", ui::DeviceOrientation::LandscapeLeft},
        Turn {"7.1", ui::DeviceOrientation::LandscapeRight},
        Turn {"8.0", ui::DeviceOrientation::LandscapeLeft},
        Turn {"8.0", ui::DeviceOrientation::LandscapeRight}),
    [](const ::testing::TestParamInfo<Turn>& info) {
        std::string name = std::string(info.param.version == std::string("7.1") ? "Before8" : "From8")
            + (info.param.side == ui::DeviceOrientation::LandscapeLeft ? "Left" : "Right");
        return name;
    });

} // namespace
