#include "components/alert/ModalAlertView.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LayerState.h"
#include "tests/components/alert/AlertTestSupport.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using graphics::Color;

namespace {

constexpr double kNone = NAN;

class ModalAlertViewAnimationTest : public alerttest::AlertTest {
protected:
    std::shared_ptr<ModalAlertView> show(int64_t showType, int64_t hideType = 0, int64_t backdrop = 0)
    {
        auto alert = ModalAlertView::create();
        alert->setShowAnimationType(showType);
        alert->setHideAnimationType(hideType);
        alert->setBackgroundType(backdrop);
        alert->showSuccess(host, "已保存", "任务已保存到本地。", "确定", 0);
        return alert;
    }
    static const ui::LayerState& shown(const std::shared_ptr<ui::View>& view)
    {
        return view->layer().presentation();
    }
    static bool attached(const std::shared_ptr<ModalAlertView>& alert)
    {
        return alert->view()->superview() != nullptr && alert->backgroundView()->superview() != nullptr;
    }
};

} // namespace

TEST_F(ModalAlertViewAnimationTest, ShowAnimationsStartWhereTheirTypeSaysAndEndCentred)
{
    const struct {
        int64_t type;
        double startX, startY; // the presented frame before the first layout pass, if it moves
        double scale; // the presented starting scale, if it scales
        double half; // at this time the view is on its way in, 0.05 after twice it is opaque
        double arrived; // from here on it rests in the centre
    } table[] = {
        {0, kNone, kNone, kNone, 0.15, 0.35},
        {1, 0, 568, kNone, 0.15, 0.6},
        {2, 0, -568, kNone, 0.25, 0.55},
        {3, -320, 0, kNone, 0.15, 0.6},
        {4, 320, 0, kNone, 0.15, 0.6},
        {5, kNone, kNone, 3.0, 0.15, 0.35},
        {6, kNone, kNone, 0.1, 0.15, 0.35},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.type);
        auto alert = show(row.type);
        EXPECT_EQ(alert->view()->alpha(), 1);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_EQ(shown(alert->view()).opacity, 0);
        if (!std::isnan(row.startX))
            EXPECT_RECT_EQ(shown(alert->view()).frame(), row.startX, row.startY, 320, 568);
        if (!std::isnan(row.scale)) {
            EXPECT_EQ(alert->view()->transform().a, 1);
            EXPECT_NEAR(shown(alert->view()).transform.a, row.scale, 1e-9);
            EXPECT_NEAR(shown(alert->view()).transform.d, row.scale, 1e-9);
        }
        settle();
        runFor(row.half);
        EXPECT_GT(shown(alert->view()).opacity, 0);
        runFor(row.half + 0.05);
        EXPECT_EQ(shown(alert->view()).opacity, 1);
        EXPECT_TRUE(shown(alert->view()).transform.isIdentity());
        runFor(row.arrived - 2 * row.half - 0.05);
        EXPECT_RECT_EQ(shown(alert->view()).frame(), alert->view()->frame().minX(),
            alert->view()->frame().minY(), 240, alert->view()->frame().height());
        EXPECT_NEAR(shown(alert->view()).position.x, 160, 1e-6);
        EXPECT_NEAR(shown(alert->view()).position.y, 284, 1e-6);
        alert->hideView();
        runFor(0.7);
    }
}

TEST_F(ModalAlertViewAnimationTest, TheDefaultSpringShowsTheShadowAtOnceTheFadeInRaisesIt)
{
    auto spring = show(2);
    EXPECT_EQ(spring->backgroundView()->alpha(), 0.7);
    EXPECT_EQ(shown(spring->backgroundView()).opacity, 0.7);
    EXPECT_EQ(spring->backgroundView()->backgroundColor(), Color::black());
    EXPECT_EQ(spring->backgroundOpacity(), 0.7);
    // Before the layout pass the view has the backdrop's size.
    EXPECT_RECT_EQ(spring->view()->frame(), 0, 0, 320, 568);
    spring->hideView();
    runFor(0.7);

    auto fade = show(0);
    EXPECT_EQ(fade->backgroundView()->alpha(), 0.7);
    EXPECT_EQ(shown(fade->backgroundView()).opacity, 0);
    runFor(0.15);
    // Ease-in: less than half way at half the time.
    EXPECT_GT(shown(fade->backgroundView()).opacity, 0);
    EXPECT_LT(shown(fade->backgroundView()).opacity, 0.35);
    EXPECT_LT(shown(fade->view()).opacity, 0.5);
    runFor(0.17);
    EXPECT_EQ(shown(fade->backgroundView()).opacity, 0.7);
}

TEST_F(ModalAlertViewAnimationTest, HideAnimationsMoveOrScaleThenFadeAndDetach)
{
    const struct {
        int64_t type;
        double dx, dy; // the move, if it moves
        double scale; // the final scale, if it scales
        double attachedUntil, detachedBy; // from the hide
    } table[] = {
        {0, kNone, kNone, kNone, 0.28, 0.33},
        {1, 0, 568, kNone, 0.56, 0.66},
        {2, 0, -568, kNone, 0.56, 0.66},
        {3, -320, 0, kNone, 0.56, 0.66},
        {4, 320, 0, kNone, 0.56, 0.66},
        {5, kNone, kNone, 0.1, kNone, 0.66},
        {6, kNone, kNone, 3.0, kNone, 0.66},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.type);
        auto alert = show(0, row.type);
        runFor(0.6);
        const graphics::Rect before = alert->view()->frame();
        auto dismissed = countDismissals(*alert);
        alert->hideView();
        EXPECT_EQ(*dismissed, 1);
        if (!std::isnan(row.dx)) {
            // A move first, then the fade.
            EXPECT_RECT_EQ(alert->view()->frame(), before.minX() + row.dx, before.minY() + row.dy,
                before.width(), before.height());
            EXPECT_EQ(alert->view()->alpha(), 1);
            runFor(0.31);
            EXPECT_RECT_EQ(shown(alert->view()).frame(), before.minX() + row.dx, before.minY() + row.dy,
                before.width(), before.height());
            EXPECT_EQ(alert->view()->alpha(), 0);
            runFor(row.attachedUntil - 0.31);
        } else if (!std::isnan(row.scale)) {
            // The scale and the card's fade at once, the shadow after them.
            EXPECT_NEAR(alert->view()->transform().a, row.scale, 1e-9);
            EXPECT_EQ(alert->view()->alpha(), 0);
            EXPECT_EQ(alert->backgroundView()->alpha(), 0.7);
            runFor(0.31);
            EXPECT_NEAR(shown(alert->view()).transform.a, row.scale, 1e-9);
            EXPECT_EQ(alert->backgroundView()->alpha(), 0);
        } else {
            EXPECT_FALSE(alert->isVisible());
            EXPECT_EQ(alert->view()->alpha(), 0);
            EXPECT_EQ(alert->backgroundView()->alpha(), 0);
            runFor(0.15);
            EXPECT_GT(shown(alert->backgroundView()).opacity, 0.0);
            EXPECT_LT(shown(alert->backgroundView()).opacity, 0.7);
            runFor(row.attachedUntil - 0.15);
        }
        if (!std::isnan(row.attachedUntil)) {
            EXPECT_TRUE(attached(alert));
        }
        runFor(row.detachedBy - (std::isnan(row.attachedUntil) ? 0.31 : row.attachedUntil));
        EXPECT_FALSE(alert->view()->superview());
        EXPECT_FALSE(alert->backgroundView()->superview());
        EXPECT_TRUE(host->childViewControllers().empty());
    }
}

TEST_F(ModalAlertViewAnimationTest, UnknownTypesAnimateNothing)
{
    auto alert = show(42, 42);
    EXPECT_EQ(alert->view()->alpha(), 0);
    EXPECT_FALSE(alert->isVisible());
    auto dismissed = countDismissals(*alert);
    alert->hideView();
    EXPECT_EQ(*dismissed, 1);
    runFor(1);
    EXPECT_TRUE(attached(alert));
}

TEST_F(ModalAlertViewAnimationTest, BlurAndTransparentBackdropsRiseToFullOpacity)
{
    for (int64_t backdrop : {1, 2}) {
        SCOPED_TRACE(backdrop);
        auto alert = show(0, 0, backdrop);
        if (backdrop == 1) {
            ASSERT_TRUE(alert->backgroundView()->image());
            EXPECT_EQ(alert->backgroundView()->image()->pixelWidth(), 640);
            EXPECT_EQ(alert->backgroundView()->image()->pixelHeight(), 1136);
        } else {
            EXPECT_EQ(alert->backgroundView()->backgroundColor(), Color::clear());
        }
        EXPECT_EQ(alert->backgroundOpacity(), 1.0);
        EXPECT_EQ(shown(alert->backgroundView()).opacity, 0);
        runFor(0.15);
        EXPECT_GT(shown(alert->backgroundView()).opacity, 0);
        runFor(0.17);
        EXPECT_EQ(shown(alert->backgroundView()).opacity, 1.0);
        alert->hideView();
        runFor(0.7);
    }
}

TEST_F(ModalAlertViewAnimationTest, AShowDuringTheHideKeepsTheNewMessageUp)
{
    // A screen that keeps one alert may show its next message while the last one still fades.
    for (int64_t hideType : {0, 3, 5, 6}) {
        SCOPED_TRACE(hideType);
        auto alert = show(2, hideType);
        runFor(0.6);
        auto dismissed = countDismissals(*alert);
        alert->hideView();
        runFor(0.1);
        alert->showSuccess(host, "数据全部上传成功!", "", std::nullopt, 0);
        runFor(1);
        EXPECT_EQ(*dismissed, 1);
        EXPECT_TRUE(attached(alert));
        EXPECT_EQ(host->childViewControllers().size(), 1u);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_EQ(shown(alert->view()).opacity, 1);
        EXPECT_TRUE(shown(alert->view()).transform.isIdentity());
        EXPECT_NEAR(shown(alert->view()).position.x, 160, 1e-6);
        EXPECT_NEAR(shown(alert->backgroundView()).opacity, 0.7, 1e-9);

        // Its own hide still detaches it.
        alert->hideView();
        runFor(0.7);
        EXPECT_FALSE(alert->view()->superview());
        EXPECT_FALSE(alert->backgroundView()->superview());
        EXPECT_TRUE(host->childViewControllers().empty());
    }
}

TEST_F(ModalAlertViewAnimationTest, AnAlertHiddenByScalingShowsAgainAtItsSize)
{
    for (int64_t hideType : {5, 6}) {
        SCOPED_TRACE(hideType);
        auto alert = show(2, hideType);
        runFor(0.6);
        alert->hideView();
        runFor(0.7);
        ASSERT_FALSE(alert->view()->superview());
        alert->showSuccess(host, "提示", "数据全部上传成功!", std::nullopt, 0);
        runFor(1);
        EXPECT_TRUE(alert->view()->transform().isIdentity());
        EXPECT_TRUE(shown(alert->view()).transform.isIdentity());
        EXPECT_NEAR(shown(alert->view()).frame().width(), 240, 1e-6);
        alert->hideView();
        runFor(0.7);
    }
}

TEST_F(ModalAlertViewAnimationTest, MidWayThroughTheSlideInTheWholeAlertIsDrawn)
{
    auto alert = show(2);
    settle();
    // The spring has carried it past its place, opaque, and not yet back.
    runFor(0.16);
    const ui::LayerState& state = shown(alert->view());
    ASSERT_GE(state.opacity, 1);
    const double dy = state.position.y - alert->view()->layer().position().y;
    ASSERT_GT(dy, 20);
    auto moving = mivo::test::PixelProbe::screen().boundingBox(Color::white());
    runFor(1);
    auto resting = mivo::test::PixelProbe::screen().boundingBox(Color::white());
    ASSERT_TRUE(resting);
    // The white box where it comes to rest, as far off it as the spring is now.
    EXPECT_TRUE(mivo::test::boxNear(moving, resting->offsetBy(0, dy).intersection(window->bounds())));
}

TEST_F(ModalAlertViewAnimationTest, BeforeSystemSevenTheSlideFromTopIsTheEdgeSlideIn)
{
    for (const char* version : {"6.1", "7.0"}) {
        SCOPED_TRACE(version);
        ui::Device::currentDevice().setSystemVersion(version);
        auto alert = show(2);
        EXPECT_RECT_EQ(shown(alert->view()).frame(), 0, -568, 320, 568);
        settle();
        runFor(0.16);
        const ui::LayerState& state = shown(alert->view());
        const double dy = state.position.y - alert->view()->layer().position().y;
        const double opacity = state.opacity;
        const auto moving = mivo::test::PixelProbe::screen();
        const bool older = std::string(version) == "6.1";
        if (older) {
            // The platform's default curve: still well above its place and fading in, no overshoot.
            EXPECT_LT(dy, -100);
            EXPECT_GT(opacity, 0);
            EXPECT_LT(opacity, 1);
        } else {
            // The spring has already carried it past its place.
            EXPECT_GT(dy, 20);
            EXPECT_GE(opacity, 1);
        }
        // In place after 0.3 s; the older path then settles the centre in 0.2 s.
        runFor(0.15);
        EXPECT_EQ(shown(alert->backgroundView()).opacity, 0.7);
        if (older) {
            EXPECT_EQ(shown(alert->view()).opacity, 1);
            EXPECT_NEAR(shown(alert->view()).position.y, alert->view()->layer().position().y, 1e-6);
        }
        runFor(1);
        auto resting = mivo::test::PixelProbe::screen().boundingBox(Color::white());
        ASSERT_TRUE(resting);
        // The whole card, drawn as far off its place as it was shown (and as see-through).
        const graphics::Rect expected = resting->offsetBy(0, dy).intersection(window->bounds());
        const Color card = moving.colorAt({expected.minX() + 4, expected.midY()});
        EXPECT_TRUE(mivo::test::boxNear(moving.boundingBox(card, 8), expected));
        alert->hideView();
        runFor(0.7);
    }
}
