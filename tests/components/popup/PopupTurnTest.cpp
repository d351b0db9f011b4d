#include "components/popup/Popup.h"
#include "platform/ui/TextField.h"
#include "tests/components/TurningScreenTest.h"
#include "tests/support/ExpectRect.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

using graphics::Color;
using graphics::Rect;
using mivo::test::boxNear;
using mivo::test::PixelProbe;

namespace {

constexpr Color kBox = Color::rgba(0.937, 0.945, 0.961, 1);
constexpr Color kCancel = Color::rgba(0.91, 0.184, 0.184, 1);
constexpr Color kSuccess = Color::rgba(0.408, 0.478, 0.682, 1);
constexpr double kSide = Popup::kBoxSide;

// The popup with the phone turned, on both system paths.
class PopupTurnTest : public componenttest::TurningScreenTest {
protected:
    void SetUp() override
    {
        TurningScreenTest::SetUp();
        Popup::resetSharedStateForTesting();
        screen->view()->setBackgroundColor(Color::darkGray());
    }

    // The login screen's server address dialog, shown.
    std::shared_ptr<Popup> showConfiguration(uint64_t incoming = 0, uint64_t outgoing = 0)
    {
        auto popup = Popup::create(
            "系统配置", "请分别输入服务器对应的IP地址和端口号",
            std::vector<std::string> {"服务器的IP地址", "服务器的端口号"}, "取消", "确认", "http://127.0.0.1",
            "8080", [this] { ++cancels; }, [this] { ++successes; });
        popup->setKeyboardTypeForTextFields(
            foundation::Array {foundation::Value("DEFAULT"), foundation::Value("NUMBER")});
        popup->setIncomingTransition(incoming);
        popup->setOutgoingTransition(outgoing);
        popup->showPopup();
        return popup;
    }

    Rect centredBox() const
    {
        return {area().width / 2 - kSide / 2, area().height / 2 - kSide / 2, kSide, kSide};
    }
    // Where the centred box's success button lies on the screen (its colour is also the subtitle's).
    Rect successOnScreen() const
    {
        return onScreen({centredBox().minX() + 154, centredBox().minY() + 252, 138, 40});
    }

    // The box is drawn whole in the middle of the interface, upright: its buttons at its foot.
    void expectUprightInTheMiddle() const
    {
        const Rect box = centredBox();
        auto probe = PixelProbe::screen();
        EXPECT_TRUE(boxNear(probe.boundingBox(kBox), onScreen(box), 1.5));
        EXPECT_TRUE(
            boxNear(probe.boundingBox(kCancel), onScreen({box.minX() + 8, box.minY() + 252, 138, 40})));
        EXPECT_NEAR(probe.fraction(successOnScreen().insetBy(4, 4), kSuccess), 1, 0.05);
    }

    // Taps the middle of where the cancel button is drawn.
    void tapDrawnCancel()
    {
        auto drawn = PixelProbe::screen().boundingBox(kCancel);
        ASSERT_TRUE(drawn);
        ui::Application::shared().tap(drawn->center());
    }

    int cancels {0};
    int successes {0};
};

TEST_P(PopupTurnTest, OpenedTurnedTheBoxStandsUprightInTheMiddleAndItsButtonsTakeTapsWhereDrawn)
{
    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight,
             ui::DeviceOrientation::Portrait}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        auto popup = showConfiguration();
        runFor(0.2);
        expectUprightInTheMiddle();
        const int before = cancels;
        tapDrawnCancel();
        runFor(0.3);
        EXPECT_EQ(cancels, before + 1);
        EXPECT_EQ(popup->superview(), nullptr);
    }
}

TEST_P(PopupTurnTest, AShownPopupFollowsTheTurnsBothWaysWithItsBackdrop)
{
    auto popup = showConfiguration();
    popup->setBackgroundBlurType(0);
    runFor(0.2);
    const Rect upright = popup->popupView()->frame();
    for (auto orientation : {ui::DeviceOrientation::LandscapeLeft, ui::DeviceOrientation::LandscapeRight}) {
        SCOPED_TRACE(int(orientation));
        turn(orientation);
        expectUprightInTheMiddle();
        const auto& backdrop = *popup->backgroundView();
        EXPECT_TRUE(boxNear(backdrop.convertRectToView(backdrop.bounds(), nullptr), window->bounds(), 1e-6));
    }
    turn(ui::DeviceOrientation::Portrait);
    EXPECT_TRUE(popup->transform().isIdentity());
    EXPECT_EQ(popup->frame(), ui::Screen::mainScreen().bounds());
    EXPECT_EQ(popup->popupView()->frame(), upright);
    expectUprightInTheMiddle();

    // The field and the success button answer where they are drawn.
    turn(ui::DeviceOrientation::LandscapeRight);
    auto field = popup->textFields()[1];
    ui::Application::shared().tap(field->convertRectToView(field->bounds(), nullptr).center());
    EXPECT_TRUE(field->isFirstResponder());
    ui::Application::shared().tap(successOnScreen().center());
    runFor(0.3);
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(cancels, 0);
}

TEST_P(PopupTurnTest, TheKeyboardLiftFollowsTheScreenHeightThroughTurns)
{
    auto popup = showConfiguration();
    runFor(0.2);
    ASSERT_TRUE(popup->textFields()[0]->becomeFirstResponder());
    runFor(0.3);
    // Lifted above the keyboard upright; a landscape height has no lift.
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 284 - 216 - 30, kSide, kSide);
    turn(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_TRUE(popup->textFields()[0]->isFirstResponder());
    expectUprightInTheMiddle();
    turn(ui::DeviceOrientation::Portrait);
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 284 - 216 - 30, kSide, kSide);
}

TEST_P(PopupTurnTest, TheBoxComesAndGoesAlongTheInterface)
{
    turn(ui::DeviceOrientation::LandscapeLeft);
    const double cx = area().width / 2 - kSide / 2, cy = area().height / 2 - kSide / 2;
    // In from the interface's top: half-way, its lower part shows below the top edge.
    auto popup = showConfiguration(3, 5);
    runFor(0.06);
    auto drawn = drawnInInterface(kBox);
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(boxNear(drawn, {cx, 0, kSide, drawn->height()}, 1.5));
    EXPECT_GT(drawn->height(), 20);
    EXPECT_LT(drawn->maxY(), cy + kSide - 20);
    runFor(0.2);

    // Out to the interface's right: half-way, it has moved right at its height.
    tapDrawnCancel();
    runFor(0.06);
    drawn = drawnInInterface(kBox);
    ASSERT_TRUE(drawn);
    EXPECT_GT(drawn->minX(), cx + 20);
    EXPECT_NEAR(drawn->minY(), cy, 1.5);
    EXPECT_NEAR(drawn->height(), kSide, 1.5);
    runFor(0.2);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(PixelProbe::screen().boundingBox(kBox));
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, PopupTurnTest, ::testing::Values("7.1", "8.0"));

} // namespace
