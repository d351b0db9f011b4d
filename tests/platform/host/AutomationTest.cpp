#include "platform/host/Automation.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/PngCodec.h"
#include "platform/host/Host.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TempHome.h"

#include <random>
#include <sstream>

namespace {

using foundation::Value;

class AutomationTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(graphics::Color::white());
        window->makeKeyAndVisible();

        button = ui::Button::create(graphics::Rect {20, 40, 120, 44});
        button->setTitle("登录", ui::ControlState::Normal);
        button->addAction(ui::ControlEvents::TouchUpInside, [this](ui::Control&) { ++taps; });
        window->addSubview(button);

        field = ui::TextField::create({20, 100, 200, 30});
        field->setPlaceholder("用户名");
        window->addSubview(field);

        label = ui::Label::create({20, 150, 200, 30});
        label->setText("状态");
        label->setAccessibilityLabel("status");
        window->addSubview(label);
        ui::Application::shared().layoutWindows();
    }
    void TearDown() override
    {
        ui::Keyboard::shared().reset();
        ui::Application::shared().resetForTesting();
        ManualClockTest::TearDown();
    }
    Value send(const std::string& line)
    {
        std::string answer = automation.handle(line);
        auto value = Value::fromJson(answer);
        EXPECT_TRUE(value) << answer;
        EXPECT_EQ(answer.find('\n'), std::string::npos);
        return value ? std::move(*value) : Value();
    }
    void expectError(const std::string& line, const std::string& fragment)
    {
        Value answer = send(line);
        EXPECT_FALSE(answer["ok"].asBool()) << line;
        EXPECT_NE(answer["error"].asString().find(fragment), std::string::npos)
            << line << " -> " << answer["error"].asString();
    }

    host::Automation automation;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::Button> button;
    std::shared_ptr<ui::TextField> field;
    std::shared_ptr<ui::Label> label;
    int taps = 0;
};

TEST_F(AutomationTest, TapsByTextLabelAndPoint)
{
    Value answer = send(R"({"cmd":"tap","text":"登录"})");
    EXPECT_TRUE(answer["ok"].asBool());
    EXPECT_EQ(answer["x"].asDouble(), 80);
    EXPECT_EQ(answer["y"].asDouble(), 62);
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(send(R"({"cmd":"tap","x":30,"y":50})")["ok"].asBool());
    EXPECT_EQ(taps, 2);
    EXPECT_TRUE(send(R"({"cmd":"tap","label":"status"})")["ok"].asBool());
    EXPECT_EQ(taps, 2);
    // Views off the screen or hidden cannot be found.
    label->setFrame({400, 150, 200, 30});
    expectError(R"({"cmd":"tap","label":"status"})", "no visible view");
    button->setHidden(true);
    expectError(R"({"cmd":"tap","text":"登录"})", "no visible view");
}

TEST_F(AutomationTest, TapsOnlyTheVisiblePartOfRowsScrolledUnderABar)
{
    // A list below a bar, as a navigation bar sits over a scrolled table.
    auto list = ui::ScrollView::create({0, 64, 320, 200});
    window->addSubview(list);
    auto bar = ui::View::create({0, 0, 320, 64});
    window->addSubview(bar);
    std::vector<int> rowTaps(6);
    for (int i = 0; i < 6; ++i) {
        auto row = ui::Button::create(graphics::Rect {0, 44.0 * i, 320, 44});
        row->setTitle("行 " + std::to_string(i), ui::ControlState::Normal);
        row->addAction(ui::ControlEvents::TouchUpInside, [&rowTaps, i](ui::Control&) { ++rowTaps[i]; });
        list->addSubview(row);
    }
    list->setContentSize({320, 264});
    int barTaps = 0;
    bar->addGestureRecognizer(ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { ++barTaps; }));

    // Row 0 spans 34..78 on screen, of which 64..78 shows below the bar.
    list->setContentOffset({0, 30});
    Value answer = send(R"({"cmd":"tap","text":"行 0"})");
    ASSERT_TRUE(answer["ok"].asBool()) << answer.toJson();
    EXPECT_EQ(answer["y"].asDouble(), 71);
    EXPECT_EQ(rowTaps[0], 1);
    // Row 5 (254..298) is cut by the list's bottom edge at 264.
    answer = send(R"({"cmd":"tap","text":"行 5"})");
    EXPECT_EQ(answer["y"].asDouble(), 259);
    EXPECT_EQ(rowTaps[5], 1);

    // Scrolled wholly out of the list, the row is not there to tap, nor to find.
    list->setContentOffset({0, 50});
    expectError(R"({"cmd":"tap","text":"行 0"})", "no visible view");
    expectError(R"({"cmd":"find","text":"行 0"})", "no visible view");
    EXPECT_TRUE(send(R"({"cmd":"find","text":"行 1"})")["ok"].asBool());
    EXPECT_EQ(barTaps, 0);
    EXPECT_EQ(rowTaps[0], 1);
}

TEST_F(AutomationTest, CoveredViewsGiveWayToAnUncoveredMatchOrAnError)
{
    auto low = ui::Button::create(graphics::Rect {20, 300, 120, 44});
    low->setTitle("确定", ui::ControlState::Normal);
    window->addSubview(low);
    auto high = ui::Button::create(graphics::Rect {20, 10, 120, 44});
    high->setTitle("确定", ui::ControlState::Normal);
    window->addSubview(high);
    auto cover = ui::Label::create({0, 0, 320, 64});
    cover->setText("标题");
    cover->setUserInteractionEnabled(true);
    window->addSubview(cover);
    int lowTaps = 0, highTaps = 0;
    low->addAction(ui::ControlEvents::TouchUpInside, [&](ui::Control&) { ++lowTaps; });
    high->addAction(ui::ControlEvents::TouchUpInside, [&](ui::Control&) { ++highTaps; });

    // The topmost match sits under the cover: the other one is tapped.
    Value answer = send(R"({"cmd":"tap","text":"确定"})");
    ASSERT_TRUE(answer["ok"].asBool()) << answer.toJson();
    EXPECT_EQ(answer["y"].asDouble(), 322);
    EXPECT_EQ(lowTaps, 1);
    EXPECT_EQ(highTaps, 0);

    low->removeFromSuperview();
    expectError(R"({"cmd":"tap","text":"确定"})", R"("确定" is covered by Label "标题")");
    expectError(R"({"cmd":"longpress","text":"确定"})", "is covered by");
    EXPECT_EQ(highTaps, 0);
    // A cover that takes no touches lets them through.
    cover->setUserInteractionEnabled(false);
    EXPECT_TRUE(send(R"({"cmd":"tap","text":"确定"})")["ok"].asBool());
    EXPECT_EQ(highTaps, 1);
}

TEST_F(AutomationTest, TypesIntoTheFirstResponderAndPressesReturn)
{
    expectError(R"({"cmd":"type","text":"abc"})", "no first responder");
    ASSERT_TRUE(send(R"({"cmd":"tap","text":"用户名"})")["ok"].asBool());
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(send(R"({"cmd":"type","text":"inspector"})")["ok"].asBool());
    EXPECT_TRUE(send(R"({"cmd":"backspace","count":2})")["ok"].asBool());
    EXPECT_EQ(field->text(), "inspect");
    int exits = 0;
    field->addAction(ui::ControlEvents::EditingDidEndOnExit, [&](ui::Control&) { ++exits; });
    EXPECT_TRUE(send(R"({"cmd":"return"})")["ok"].asBool());
    EXPECT_EQ(exits, 1);
    // The field is now found by its text, not its placeholder.
    EXPECT_TRUE(send(R"({"cmd":"find","text":"inspect"})")["ok"].asBool());
}

TEST_F(AutomationTest, AdvanceMovesTheManualClockAndWaitSeesNewViews)
{
    Value answer = send(R"({"cmd":"advance","seconds":0.5})");
    EXPECT_TRUE(answer["ok"].asBool());
    EXPECT_NEAR(answer["now"].asDouble(), 0.5, 1e-9);
    auto window2 = window;
    foundation::RunLoop::main().performAfter(0.05, [window2] {
        auto done = ui::Label::create({20, 200, 100, 20});
        done->setText("完成");
        window2->addSubview(done);
    });
    answer = send(R"({"cmd":"wait","text":"完成","timeout":5})");
    EXPECT_TRUE(answer["ok"].asBool());
    EXPECT_EQ(answer["frame"][1].asDouble(), 200);
    expectError(R"({"cmd":"wait","text":"永远不会","timeout":0.05})", "timed out");
}

TEST_F(AutomationTest, TreeDumpsClassesFramesAndTexts)
{
    label->setAlpha(0.5);
    Value answer = send(R"({"cmd":"tree"})");
    ASSERT_TRUE(answer["ok"].asBool());
    const Value& root = answer["tree"][size_t(0)];
    EXPECT_EQ(root["class"].asString(), "Window");
    const Value& children = root["children"];
    ASSERT_EQ(children.asArray().size(), 3u);
    EXPECT_EQ(children[size_t(0)]["class"].asString(), "Button");
    EXPECT_EQ(children[size_t(0)]["text"].asString(), "登录");
    EXPECT_EQ(children[size_t(0)]["frame"].toJson(), "[20,40,120,44]");
    EXPECT_EQ(children[1]["text"].asString(), "用户名");
    EXPECT_EQ(children[2]["label"].asString(), "status");
    EXPECT_EQ(children[2]["alpha"].asDouble(), 0.5);
    EXPECT_FALSE(children[2]["hidden"].asBool());
}

TEST_F(AutomationTest, MalformedAndUnknownCommandsGetErrors)
{
    expectError("not json", "malformed command");
    expectError("{\"cmd\":", "malformed command");
    expectError("[1,2]", "expected a JSON object");
    expectError(R"({"command":"tap"})", "\"cmd\" must be a string");
    expectError(R"({"cmd":42})", "\"cmd\" must be a string");
    expectError(R"({"cmd":"fly"})", "unknown command: fly");
    expectError(R"({"cmd":"tap"})", "give \"text\"");
    expectError(R"({"cmd":"tap","x":"10","y":5})", "must both be numbers");
    expectError(R"({"cmd":"tap","text":"没有"})", "no visible view");
    expectError(R"({"cmd":"drag","from":[1],"to":[2,3]})", "pairs of numbers");
    expectError(R"({"cmd":"drag","from":[1,2],"to":[2,3],"duration":-1})", "non-negative");
    expectError(R"({"cmd":"advance"})", "missing");
    expectError(R"({"cmd":"advance","seconds":-2})", "0 to 3600");
    expectError(R"({"cmd":"advance","seconds":"soon"})", "0 to 3600");
    expectError(R"({"cmd":"longpress","text":"登录","duration":null})", "non-negative");
    expectError(R"({"cmd":"type","text":5})", "must be a string");
    expectError(R"({"cmd":"wait"})", "give \"text\"");
    expectError(R"({"cmd":"screenshot"})", "path");
    // Interaction blocked: the touch is refused, not crashed on.
    ui::Application::shared().beginIgnoringInteractionEvents();
    expectError(R"({"cmd":"tap","text":"登录"})", "not taken");
    ui::Application::shared().endIgnoringInteractionEvents();
    EXPECT_EQ(taps, 0);
}

TEST_F(AutomationTest, MutatedCommandsAlwaysGetAnAnswerLine)
{
    // Seeded, so a failure repeats. Values out of range once overflowed int conversions or made a
    // gesture run for ever.
    const std::vector<std::string> templates {R"({"cmd":"tap","text":"登录"})",
        R"({"cmd":"tap","x":30,"y":50})", R"({"cmd":"longpress","label":"status","duration":0.2})",
        R"({"cmd":"drag","from":[30,50],"to":[130,60],"duration":0.1})", R"({"cmd":"type","text":"abc"})",
        R"({"cmd":"backspace","count":2})", R"({"cmd":"return"})", R"({"cmd":"advance","seconds":0.1})",
        R"({"cmd":"find","text":"状态"})", R"({"cmd":"tree"})", R"({"cmd":"info"})"};
    const std::vector<std::string> oddValues {"1e308", "-1e308", "-1", "0", "2147483648", "1e18", "\"x\"",
        "null", "true", "[]", "{}", "[1e308,-1e308]", "[[[[]]]]", "\"\\u0000\"", "\"登\""};
    std::mt19937 random(20261206);
    auto pick = [&](size_t n) { return size_t(random() % n); };
    ASSERT_TRUE(send(R"({"cmd":"tap","text":"用户名"})")["ok"].asBool());
    // A live app always has a timer running; an endless gesture would step through its beats.
    auto ticker = foundation::Timer::scheduled(0.5, true, [](foundation::Timer&) {});
    for (int i = 0; i < 400; ++i) {
        std::string line = templates[pick(templates.size())];
        switch (pick(4)) {
        case 0: { // replace the value after one of the colons past "cmd"
            std::vector<size_t> colons;
            for (size_t at = line.find(':', 7); at != std::string::npos; at = line.find(':', at + 1))
                colons.push_back(at);
            if (!colons.empty()) {
                size_t colon = colons[pick(colons.size())];
                size_t end
                    = line[colon + 1] == '[' ? line.find(']', colon) + 1 : line.find_first_of(",}", colon);
                line.replace(colon + 1, end - colon - 1, oddValues[pick(oddValues.size())]);
            }
            break;
        }
        case 1:
            line.resize(pick(line.size()));
            break;
        case 2:
            line[pick(line.size())] = char(random());
            break;
        default:
            line.insert(pick(line.size()), oddValues[pick(oddValues.size())]);
        }
        std::string answer = automation.handle(line);
        auto value = Value::fromJson(answer);
        ASSERT_TRUE(value && (*value)["ok"].isBool()) << line << " -> " << answer;
        ASSERT_EQ(answer.find('\n'), std::string::npos) << line;
    }
    EXPECT_TRUE(send(R"({"cmd":"tap","text":"登录"})")["ok"].asBool()) << "the host still works";
    ticker->invalidate();
}

TEST_F(AutomationTest, DragAndLongPressDeliverTouchesOverTime)
{
    int drags = 0;
    button->addAction(ui::ControlEvents::TouchDragInside, [&](ui::Control&) { ++drags; });
    Value answer = send(R"({"cmd":"drag","from":[30,50],"to":[130,60],"duration":0.2})");
    EXPECT_TRUE(answer["ok"].asBool());
    EXPECT_GE(drags, 10);
    EXPECT_EQ(taps, 1);
    double before = foundation::RunLoop::main().now();
    EXPECT_TRUE(send(R"({"cmd":"longpress","text":"登录","duration":0.6})")["ok"].asBool());
    EXPECT_NEAR(foundation::RunLoop::main().now() - before, 0.6, 1e-6);
    EXPECT_EQ(taps, 2);
}

TEST_F(AutomationTest, PinchAndDoubleTapReachTheirRecognisers)
{
    auto pad = ui::View::create({0, 250, 320, 300});
    window->addSubview(pad);
    std::vector<double> scales;
    std::vector<ui::GestureState> states;
    double velocity = 0;
    auto pinch = ui::PinchGestureRecognizer::create([&](ui::GestureRecognizer& r) {
        auto& p = static_cast<ui::PinchGestureRecognizer&>(r);
        scales.push_back(p.scale());
        states.push_back(p.state());
        velocity = p.velocity();
    });
    pad->addGestureRecognizer(pinch);
    int singles = 0, doubles = 0;
    auto doubleTap = ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { ++doubles; });
    doubleTap->setNumberOfTapsRequired(2);
    auto singleTap = ui::TapGestureRecognizer::create([&](ui::GestureRecognizer&) { ++singles; });
    singleTap->requireGestureRecognizerToFail(doubleTap);
    pad->addGestureRecognizer(doubleTap);
    pad->addGestureRecognizer(singleTap);

    ASSERT_TRUE(
        send(R"({"cmd":"pinch","x":160,"y":400,"scale":2.5,"distance":80,"duration":0.2})")["ok"].asBool());
    ASSERT_GE(scales.size(), 3u);
    EXPECT_EQ(states.front(), ui::GestureState::Began);
    EXPECT_EQ(states.back(), ui::GestureState::Ended);
    EXPECT_NEAR(scales.back(), 2.5, 1e-9);
    EXPECT_GT(velocity, 0);
    // Fingers closing: the scale falls below one.
    scales.clear();
    ASSERT_TRUE(send(R"({"cmd":"pinch","x":160,"y":400,"scale":0.5})")["ok"].asBool());
    EXPECT_NEAR(scales.back(), 0.5, 1e-9);

    ASSERT_TRUE(send(R"({"cmd":"doubletap","x":160,"y":400})")["ok"].asBool());
    send(R"({"cmd":"advance","seconds":0.5})");
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(singles, 0) << "the single tap waits for the double tap and fails with it";
    send(R"({"cmd":"tap","x":160,"y":400})");
    send(R"({"cmd":"advance","seconds":0.5})");
    EXPECT_EQ(singles, 1);
    EXPECT_EQ(doubles, 1);

    EXPECT_FALSE(send(R"({"cmd":"pinch","x":160,"y":400})")["ok"].asBool());
    EXPECT_FALSE(send(R"({"cmd":"pinch","x":160,"y":400,"scale":-1})")["ok"].asBool());
}

TEST_F(AutomationTest, CommandStreamsStopAtQuitAndCountFailures)
{
    std::istringstream in("{\"cmd\":\"tap\",\"text\":\"登录\"}\n\n{\"cmd\":\"bogus\"}\n{\"cmd\":\"quit\"}\n"
                          "{\"cmd\":\"tap\",\"text\":\"登录\"}\n");
    std::ostringstream out;
    EXPECT_EQ(host::runCommands(in, out), 1);
    EXPECT_EQ(taps, 1);
    std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

} // namespace

namespace {

class AutomationBarTest : public AutomationTest {
protected:
    void SetUp() override
    {
        AutomationTest::SetUp();
        bar = ui::NavigationBar::create({0, 300, 320, ui::NavigationBar::kHeight});
        top.setTitle("新建任务");
        below.setTitle("首页");
        top.setRightBarButtonItem(ui::BarButtonItem::create("保存", [this](ui::BarButtonItem&) { ++saves; }));
        bar->setTopItem(&top, true, &below);
        bar->onBack = [this] { ++backs; };
        window->addSubview(bar);
    }

    std::shared_ptr<ui::NavigationBar> bar;
    ui::NavigationItem top, below;
    int saves = 0, backs = 0;
};

} // namespace

TEST_F(AutomationBarTest, BarButtonsAreNodesThatTapsReachByTheirText)
{
    Value answer = send(R"({"cmd":"tap","text":"保存"})");
    ASSERT_TRUE(answer["ok"].asBool()) << answer.toJson();
    EXPECT_EQ(saves, 1);
    EXPECT_GT(answer["x"].asDouble(), 240) << "on the bar's right end";
    answer = send(R"({"cmd":"tap","text":"首页"})");
    ASSERT_TRUE(answer["ok"].asBool()) << answer.toJson();
    EXPECT_EQ(backs, 1);
    EXPECT_EQ(saves, 1);

    const Value tree = send(R"({"cmd":"tree"})");
    const Value& nodes = tree["tree"][size_t(0)]["children"][3];
    EXPECT_EQ(nodes["text"].asString(), "新建任务");
    const Value& buttons = nodes["children"];
    ASSERT_EQ(buttons.asArray().size(), 2u) << nodes.toJson();
    EXPECT_EQ(buttons[size_t(0)]["class"].asString(), "BackButton");
    EXPECT_EQ(buttons[size_t(0)]["text"].asString(), "首页");
    EXPECT_EQ(buttons[1]["class"].asString(), "BarButtonItem");
    EXPECT_EQ(buttons[1]["text"].asString(), "保存");
    EXPECT_EQ(buttons[1]["frame"][1].asDouble(), 300);

    // A bar button under something else is refused like a covered view.
    auto cover = ui::View::create({200, 290, 120, 60});
    cover->setBackgroundColor(graphics::Color::white());
    window->addSubview(cover);
    expectError(R"({"cmd":"tap","text":"保存"})", "is covered by");
    EXPECT_EQ(saves, 1);
}

TEST_F(AutomationTest, SecureFieldsShowDotsInTheTree)
{
    field->setText("秘密123");
    field->setSecureTextEntry(true);
    std::string tree = send(R"({"cmd":"tree"})").toJson();
    EXPECT_EQ(tree.find("秘密"), std::string::npos) << tree;
    EXPECT_NE(tree.find("\u2022\u2022\u2022\u2022\u2022"), std::string::npos);
    expectError(R"({"cmd":"tap","text":"秘密123"})", "no visible view");
}

TEST_F(AutomationTest, ScreenshotsOfATurnedDeviceAreSavedUpright)
{
    // A screen with a red mark at the interface's top left, below the status bar.
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    auto mark = ui::View::create({0, 30, 40, 20});
    mark->setBackgroundColor(graphics::Color::red());
    root->view()->setBackgroundColor(graphics::Color::white());
    root->view()->addSubview(mark);
    mivo::test::TempHome home;
    const auto path = home.path() / "shot.png";
    auto shoot = [&] {
        Value answer = send(R"({"cmd":"screenshot","path":")" + path.string() + R"("})");
        EXPECT_TRUE(answer["ok"].asBool());
        return graphics::PngCodec::decodeFile(path);
    };
    auto isRed = [](const graphics::Image& image, int x, int y) { return image.pixel(x, y) == 0xFFFF0000u; };
    const double scale = ui::Screen::mainScreen().scale();
    for (const char* turn : {"landscapeLeft", "landscapeRight", "portrait"}) {
        SCOPED_TRACE(turn);
        EXPECT_TRUE(send(std::string(R"({"cmd":"rotate","orientation":")") + turn + R"("})")["ok"].asBool());
        EXPECT_TRUE(send(R"({"cmd":"advance","seconds":1})")["ok"].asBool());
        auto image = shoot();
        ASSERT_TRUE(image);
        const bool landscape = std::string(turn) != "portrait";
        EXPECT_EQ(image->pixelWidth() > image->pixelHeight(), landscape);
        EXPECT_TRUE(isRed(*image, int(20 * scale), int(40 * scale))) << "the mark is at the top left";
        EXPECT_FALSE(isRed(*image, int(60 * scale), int(40 * scale)));
        EXPECT_FALSE(isRed(*image, image->pixelWidth() - int(20 * scale), int(40 * scale)));
        EXPECT_FALSE(isRed(*image, int(20 * scale), image->pixelHeight() - int(40 * scale)));
    }
}

TEST_F(AutomationTest, ATurnedScreenIsFoundTappedAndDraggedWhereItsScreenshotShowsIt)
{
    for (auto& loose : {std::shared_ptr<ui::View>(button), std::shared_ptr<ui::View>(field),
             std::shared_ptr<ui::View>(label)})
        loose->removeFromSuperview();
    mivo::test::TempHome home;
    const auto path = home.path() / "shot.png";
    for (const char* version : {"7.1", "8.0"}) {
        SCOPED_TRACE(version);
        ui::Device::currentDevice().setSystemVersion(version);
        auto root = ui::ViewController::create();
        window->setRootViewController(root);
        auto target = ui::Button::create(graphics::Rect {20, 40, 120, 44});
        target->setBackgroundColor(graphics::Color::red());
        target->setTitle("转屏", ui::ControlState::Normal);
        target->setAccessibilityLabel("turned");
        int hits = 0;
        target->addAction(ui::ControlEvents::TouchUpInside, [&](ui::Control&) { ++hits; });
        root->view()->addSubview(target);
        auto pad = ui::View::create({200, 100, 300, 150});
        root->view()->addSubview(pad);
        auto pan = ui::PanGestureRecognizer::create();
        graphics::Point moved;
        pan->addTarget([&](ui::GestureRecognizer&) { moved = pan->translationInView(root->view().get()); });
        pad->addGestureRecognizer(pan);

        for (const char* turn : {"landscapeLeft", "landscapeRight"}) {
            SCOPED_TRACE(turn);
            EXPECT_TRUE(
                send(std::string(R"({"cmd":"rotate","orientation":")") + turn + R"("})")["ok"].asBool());
            EXPECT_TRUE(send(R"({"cmd":"advance","seconds":1})")["ok"].asBool());
            EXPECT_EQ(send(R"({"cmd":"info"})")["screen"].toJson(), "[568,320]");
            Value found = send(R"({"cmd":"find","label":"turned"})");
            EXPECT_EQ(found["node"]["frame"].toJson(), "[20,40,120,44]");
            EXPECT_NE(
                send(R"({"cmd":"tree"})").toJson().find(R"("frame":[20,40,120,44])"), std::string::npos);
            ASSERT_TRUE(send(R"({"cmd":"screenshot","path":")" + path.string() + R"("})")["ok"].asBool());
            auto shot = graphics::PngCodec::decodeFile(path);
            ASSERT_TRUE(shot);
            auto red = mivo::test::PixelProbe(shot).boundingBox(graphics::Color::red());
            const double scale = ui::Screen::mainScreen().scale();
            ASSERT_TRUE(red);
            EXPECT_EQ(*red, (graphics::Rect {20 * scale, 40 * scale, 120 * scale, 44 * scale}));

            EXPECT_TRUE(send(R"({"cmd":"tap","x":80,"y":62})")["ok"].asBool());
            EXPECT_TRUE(send(R"({"cmd":"tap","text":"转屏"})")["ok"].asBool());
            EXPECT_EQ(hits, 2);
            hits = 0;
            EXPECT_TRUE(
                send(R"({"cmd":"drag","from":[250,150],"to":[350,170],"duration":0.3})")["ok"].asBool());
            EXPECT_NEAR(moved.x, 100, 1e-6) << "across the screen as it is seen";
            EXPECT_NEAR(moved.y, 20, 1e-6);
        }
        EXPECT_TRUE(send(R"({"cmd":"rotate","orientation":"portrait"})")["ok"].asBool());
        EXPECT_TRUE(send(R"({"cmd":"advance","seconds":1})")["ok"].asBool());
    }
}
