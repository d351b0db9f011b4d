#include "components/inputbox/InputBoxView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class InputBoxViewTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        ui::Application::shared().resetForTesting();
        ui::Keyboard::shared().reset();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }
    void TearDown() override
    {
        runFor(2);
        ui::Keyboard::shared().reset();
        ui::Application::shared().resetForTesting();
        window.reset();
        ManualClockTest::TearDown();
    }
    static void tap(const std::shared_ptr<ui::Button>& button)
    {
        button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    }
    static void type(const std::shared_ptr<ui::TextField>& field, const std::string& keys)
    {
        for (char key : keys)
            field->insertText(std::string(1, key));
    }

    std::shared_ptr<ui::Window> window;
};

TEST_F(InputBoxViewTest, NumberFormatting)
{
    const struct {
        int32_t decimals;
        const char* typed;
        const char* shown;
    } table[] = {
        {2, "1", "0.01"},
        {2, "0.012", "0.12"},
        {2, "0.125", "1.25"},
        {2, "1.2", "0.12"},
        {2, "", "0.00"},
        {0, "1", "1"},
        {0, "12", "12"},
        {3, "0.0017", "0.017"},
        {-1, "12", "12"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(InputBoxView::formattedNumber(row.typed, row.decimals), row.shown);
    }

    auto box = InputBoxView::boxOfType(InputBoxView::Number);
    box->setNumberOfDecimals(2);
    box->show();
    auto field = box->textInput();
    ASSERT_TRUE(field->becomeFirstResponder());
    std::vector<std::string> shown;
    for (char key : std::string("12a5")) {
        field->insertText(std::string(1, key));
        shown.push_back(field->text());
    }
    EXPECT_EQ(shown, (std::vector<std::string> {"0.01", "0.12", "0.12", "1.25"}));
    field->deleteBackward();
    EXPECT_EQ(field->text(), "0.12");
}

TEST_F(InputBoxViewTest, BoxTypesMakeTheirFields)
{
    const struct {
        int64_t type;
        size_t fields;
        ui::KeyboardType keyboard;
        ui::TextAutocorrectionType autocorrection;
        double panelHeight;
    } table[] = {
        {0, 1, ui::KeyboardType::Default, ui::TextAutocorrectionType::No, 155},
        {1, 1, ui::KeyboardType::NumberPad, ui::TextAutocorrectionType::Default, 155},
        {2, 1, ui::KeyboardType::PhonePad, ui::TextAutocorrectionType::Default, 155},
        {3, 1, ui::KeyboardType::EmailAddress, ui::TextAutocorrectionType::No, 155},
        {4, 1, ui::KeyboardType::Default, ui::TextAutocorrectionType::Default, 155},
        {5, 2, ui::KeyboardType::Default, ui::TextAutocorrectionType::No, 200},
        {9, 0, ui::KeyboardType::Default, ui::TextAutocorrectionType::Default, 155},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.type);
        auto box = InputBoxView::boxOfType(row.type);
        box->setTitle("标题");
        box->setMessage("消息");
        box->show();
        box->show(); // a second show rebuilds, it does not stack
        EXPECT_EQ(box->elements().size(), row.fields);
        EXPECT_EQ(box->actualBox()->frame().height(), row.panelHeight);
        EXPECT_EQ(box->actualBox()->subviews().size(), 1u);
        EXPECT_EQ(box->actualBox()->frame().width(), 270);
        EXPECT_EQ(box->visualEffectView()->frame().height(), row.panelHeight + 45);
        EXPECT_EQ(box->cancelButton()->frame(), (graphics::Rect {0, row.panelHeight - 40, 135, 40}));
        EXPECT_EQ(box->submitButton()->frame(), (graphics::Rect {135, row.panelHeight - 40, 135, 40}));
        EXPECT_EQ(*box->cancelButton()->currentTitle(), "Cancel");
        EXPECT_EQ(*box->submitButton()->currentTitle(), "OK");
        if (row.fields > 0) {
            EXPECT_EQ(box->textInput()->keyboardType(), row.keyboard);
            EXPECT_EQ(box->textInput()->autocorrectionType(), row.autocorrection);
            EXPECT_EQ(box->textInput()->frame().minX(), 10);
            EXPECT_EQ(box->textInput()->frame().width(), 250);
            double gap = row.type == 5 ? 10 : 20.0 / 3.0;
            EXPECT_NEAR(box->textInput()->frame().minY(), box->messageLabel()->frame().maxY() + gap, 1e-9);
        }
        if (row.type == 5) {
            EXPECT_TRUE(box->secureInput()->isSecureTextEntry());
            EXPECT_EQ(box->secureInput()->frame().minY(), box->textInput()->frame().maxY() + 10);
        } else {
            EXPECT_EQ(box->secureInput(), nullptr);
        }
        box->removeFromSuperview();
    }
}

TEST_F(InputBoxViewTest, PanelWidthFollowsTheWindow)
{
    EXPECT_EQ(InputBoxView::create()->actualBox()->frame().width(), 270);
    ui::Application::shared().resetForTesting();
    ui::Screen::mainScreen().useTabletProfile();
    window = ui::Window::create(ui::Screen::mainScreen().bounds());
    window->makeKeyAndVisible();
    auto wide = InputBoxView::create();
    EXPECT_EQ(wide->actualBox()->frame().width(), 325);
    EXPECT_EQ(wide->actualBox()->center(), (graphics::Point {384, 512}));
    ui::Screen::mainScreen().usePhoneProfile();
}

TEST_F(InputBoxViewTest, BlurStylesPickTheirColours)
{
    const struct {
        int64_t style;
        ui::BlurEffectStyle shown;
        graphics::Color text;
    } table[] = {
        {0, ui::BlurEffectStyle::Light, graphics::Color::rgba(0, 0, 0)},
        {1, ui::BlurEffectStyle::Light, graphics::Color::rgba(0, 0, 0)},
        {2, ui::BlurEffectStyle::Dark, graphics::Color::rgba(1, 1, 1)},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.style);
        auto box = InputBoxView::create();
        box->setBlurEffectStyle(row.style);
        box->show();
        EXPECT_EQ(box->visualEffectView()->effect()->style, row.shown);
        EXPECT_EQ(box->titleLabel()->textColor(), row.text);
        EXPECT_EQ(box->cancelButton()->titleColorForState(ui::ControlState::Normal), row.text);
        EXPECT_EQ(
            box->cancelButton()->titleColorForState(ui::ControlState::Highlighted), graphics::Color::gray());
        box->removeFromSuperview();
    }
}

TEST_F(InputBoxViewTest, FieldsKeepTheirOwnTextColourOrWhatCustomiseGaveThem)
{
    const graphics::Color platformDefault = ui::TextField::create()->textColor();
    for (int64_t style : {1, 2}) {
        SCOPED_TRACE(style);
        auto plain = InputBoxView::boxOfType(InputBoxView::Login);
        plain->setBlurEffectStyle(style);
        plain->show();
        for (auto& field : plain->elements())
            EXPECT_EQ(field->textColor(), platformDefault);
        plain->removeFromSuperview();

        auto customised = InputBoxView::boxOfType(InputBoxView::Login);
        customised->setBlurEffectStyle(style);
        customised->setCustomise([](std::shared_ptr<ui::TextField> field) {
            field->setTextColor(graphics::Color::red());
            return field;
        });
        customised->show();
        for (auto& field : customised->elements()) {
            EXPECT_EQ(field->textColor(), graphics::Color::red());
            // The box's own look still goes on after the block.
            EXPECT_EQ(field->backgroundColor(), graphics::Color::white(1, style == 2 ? 0.07 : 0.5));
        }
        customised->removeFromSuperview();
    }
}

TEST_F(InputBoxViewTest, SubmitKeepsOrClosesAsTheBlockAnswers)
{
    auto box = InputBoxView::boxOfType(InputBoxView::Login);
    std::vector<std::pair<std::string, std::string>> submitted;
    bool accept = false;
    box->setOnSubmit([&](std::optional<std::string> text, std::optional<std::string> secure) {
        submitted.emplace_back(text.value_or("-"), secure.value_or("-"));
        return accept;
    });
    box->show();
    runFor(0.3);
    box->textInput()->setText("inspector");
    box->secureInput()->setText("123456");
    tap(box->submitButton());
    runFor(1);
    EXPECT_EQ(box->superview(), window);
    EXPECT_EQ(box->textInput()->text(), "inspector");
    accept = true;
    tap(box->submitButton());
    runFor(0.29);
    EXPECT_EQ(box->superview(), window);
    runFor(0.02);
    EXPECT_EQ(box->superview(), nullptr);
    ASSERT_EQ(submitted.size(), 2u);
    EXPECT_EQ(submitted[0], (std::pair<std::string, std::string> {"inspector", "123456"}));

    auto plain = InputBoxView::boxOfType(7);
    plain->show();
    tap(plain->submitButton());
    runFor(0.31);
    EXPECT_EQ(plain->superview(), nullptr);

    int cancels = 0;
    auto cancelled = InputBoxView::create();
    cancelled->setOnCancel([&] { ++cancels; });
    cancelled->show();
    tap(cancelled->cancelButton());
    EXPECT_EQ(cancels, 1);
    runFor(0.31);
    EXPECT_EQ(cancelled->superview(), nullptr);
    EXPECT_FALSE(ui::Device::currentDevice().isGeneratingDeviceOrientationNotifications());
}

TEST_F(InputBoxViewTest, KeyboardLiftsThePanelByOrientationIdiomAndType)
{
    const struct {
        ui::UserInterfaceIdiom idiom;
        ui::DeviceOrientation orientation;
        int64_t type;
        double lift;
    } table[] = {
        {ui::UserInterfaceIdiom::Phone, ui::DeviceOrientation::Portrait, 0, 115},
        {ui::UserInterfaceIdiom::Phone, ui::DeviceOrientation::Portrait, 5, 115},
        {ui::UserInterfaceIdiom::Phone, ui::DeviceOrientation::LandscapeLeft, 0, 80},
        {ui::UserInterfaceIdiom::Phone, ui::DeviceOrientation::LandscapeRight, 5, 125},
        {ui::UserInterfaceIdiom::Pad, ui::DeviceOrientation::Portrait, 5, 0},
        {ui::UserInterfaceIdiom::Pad, ui::DeviceOrientation::FaceUp, 0, 0},
        {ui::UserInterfaceIdiom::Pad, ui::DeviceOrientation::LandscapeLeft, 0, 100},
        {ui::UserInterfaceIdiom::Pad, ui::DeviceOrientation::LandscapeLeft, 5, 145},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.lift);
        ui::Device::currentDevice().setUserInterfaceIdiom(row.idiom);
        auto box = InputBoxView::boxOfType(row.type);
        box->show();
        runFor(0.3);
        ui::Device::currentDevice().setOrientation(row.orientation);
        runFor(0.5);
        double centred = box->actualBox()->frame().minY();
        EXPECT_EQ(box->yCorrection(), row.lift);
        box->keyboardDidShow();
        runFor(0.5);
        EXPECT_NEAR(box->actualBox()->frame().minY(), centred - row.lift, 1e-9);
        box->keyboardDidHide();
        runFor(0.5);
        EXPECT_NEAR(box->actualBox()->frame().minY(), centred, 1e-9);
        box->removeFromSuperview();
        ui::Device::currentDevice().reset();
    }
}

TEST_F(InputBoxViewTest, ShowingTheKeyboardForAFieldLiftsThePanel)
{
    auto box = InputBoxView::create();
    box->show();
    runFor(0.3);
    double centred = box->actualBox()->frame().minY();
    ASSERT_TRUE(box->textInput()->becomeFirstResponder());
    runFor(0.6);
    EXPECT_NEAR(box->actualBox()->frame().minY(), centred - 115, 1e-9);
}

TEST_F(InputBoxViewTest, CustomiseMayReplaceTheFields)
{
    auto box = InputBoxView::boxOfType(InputBoxView::Login);
    int calls = 0;
    box->setCustomise([&](std::shared_ptr<ui::TextField> field) -> std::shared_ptr<ui::TextField> {
        ++calls;
        if (calls == 1)
            return nullptr; // keeps ours
        auto replacement = ui::TextField::create(field->frame());
        replacement->setPlaceholder("密码");
        return replacement;
    });
    box->show();
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(box->elements().size(), 2u);
    EXPECT_NE(box->textInput(), nullptr);
    EXPECT_EQ(box->secureInput()->placeholder(), "密码");
    EXPECT_EQ(box->elements()[1], box->secureInput());
}

TEST_F(InputBoxViewTest, ALongMessageWrapsToTwoLinesAndPushesTheField)
{
    auto shortBox = InputBoxView::create();
    shortBox->setMessage("短");
    shortBox->show();
    auto longBox = InputBoxView::create();
    longBox->setMessage(std::string(40, 'w') + " " + std::string(40, 'w') + " " + std::string(40, 'w'));
    longBox->show();
    EXPECT_GT(longBox->messageLabel()->frame().height(), shortBox->messageLabel()->frame().height());
    EXPECT_LT(longBox->messageLabel()->frame().height(), 3 * shortBox->messageLabel()->frame().height());
    EXPECT_GT(longBox->textInput()->frame().minY(), shortBox->textInput()->frame().minY());
}

// Where the screen shows a marker colour: the middle of its bounding box.
std::optional<graphics::Point> shownAt(const graphics::Color& marker)
{
    auto box = mivo::test::PixelProbe::screen().boundingBox(marker);
    if (!box)
        return std::nullopt;
    return graphics::Point {box->midX(), box->midY()};
}

void expectNear(std::optional<graphics::Point> shown, graphics::Point expected)
{
    ASSERT_TRUE(shown);
    EXPECT_NEAR(shown->x, expected.x, 1);
    EXPECT_NEAR(shown->y, expected.y, 1);
}

TEST_F(InputBoxViewTest, TheBoxTurnsWithTheInterfaceAndLiftsAlongItsVertical)
{
    auto screen = ui::ViewController::create();
    window->setRootViewController(screen);
    screen->view()->setBackgroundColor(graphics::Color::rgba(0, 0, 1));
    auto box = InputBoxView::create();
    box->show();
    // Markers in the panel's top-left and bottom-right corners tell where it is and which way up.
    const auto red = graphics::Color::rgba(1, 0, 0), green = graphics::Color::rgba(0, 1, 0);
    graphics::Size panel = box->actualBox()->bounds().size;
    for (auto [frame, color] : {std::pair {graphics::Rect {0, 0, 10, 10}, red},
             {graphics::Rect {panel.width - 10, panel.height - 10, 10, 10}, green}}) {
        auto marker = ui::View::create(frame);
        marker->setBackgroundColor(color);
        box->actualBox()->addSubview(marker);
    }
    runFor(0.3);

    // Where a point of the panel shows, the panel centred in the interface lifted by `lift`.
    auto interface = [&](graphics::Point inPanel, double lift) {
        graphics::Size size = screen->view()->bounds().size;
        graphics::Point origin {(size.width - panel.width) / 2, (size.height - panel.height) / 2 - lift};
        return screen->view()->convertPointToView({origin.x + inPanel.x, origin.y + inPanel.y}, nullptr);
    };
    graphics::Point upright = interface({5, 5}, 0);
    expectNear(shownAt(red), upright);

    // The device turned left: the interface turns right, and the box with it.
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::LandscapeLeft);
    foundation::RunLoop::main().runOnce();
    ASSERT_EQ(screen->view()->bounds().size, (graphics::Size {568, 320}));
    runFor(0.15);
    auto midway = shownAt(red);
    ASSERT_TRUE(midway);
    for (graphics::Point end : {upright, interface({5, 5}, 0)}) // still turning
        EXPECT_GT(std::hypot(midway->x - end.x, midway->y - end.y), 20);
    runFor(0.2);
    expectNear(shownAt(red), interface({5, 5}, 0));
    expectNear(shownAt(green), interface({panel.width - 5, panel.height - 5}, 0));

    // The keyboard lifts it towards the interface's top, by the landscape phone's 80 points.
    ASSERT_TRUE(box->textInput()->becomeFirstResponder());
    runFor(0.6);
    expectNear(shownAt(red), interface({5, 5}, 80));

    // Turned back, it stands upright again, lifted by the portrait's 115.
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::Portrait);
    runFor(0.4);
    box->keyboardDidShow();
    runFor(0.4);
    expectNear(shownAt(red), interface({5, 5}, 115));
}

} // namespace
