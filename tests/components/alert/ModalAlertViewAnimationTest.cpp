#include "components/alert/ModalAlertView.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LayerState.h"
#include "tests/components/alert/AlertTestSupport.h"

#include <gtest/gtest.h>

using graphics::Color;

namespace {

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

TEST_F(ModalAlertViewAnimationTest, DefaultDropsInWithASpringOverTheShadowAndFadesOut)
{
    auto alert = show(2);
    // The shadow is there at once; the view's model alpha is 1 at once too.
    EXPECT_EQ(alert->backgroundView()->alpha(), 0.7);
    EXPECT_EQ(shown(alert->backgroundView()).opacity, 0.7);
    EXPECT_EQ(alert->backgroundView()->backgroundColor(), Color::black());
    EXPECT_EQ(alert->backgroundOpacity(), 0.7);
    EXPECT_EQ(alert->view()->alpha(), 1);
    EXPECT_TRUE(alert->isVisible());
    // Before the layout pass the view has the backdrop's size, one screen above.
    EXPECT_RECT_EQ(alert->view()->frame(), 0, 0, 320, 568);
    EXPECT_RECT_EQ(shown(alert->view()).frame(), 0, -568, 320, 568);
    EXPECT_EQ(shown(alert->view()).opacity, 0);

    settle();
    const graphics::Rect card = alert->view()->frame();
    EXPECT_EQ(card.width(), 240);
    runFor(0.25);
    EXPECT_GT(shown(alert->view()).opacity, 0);
    runFor(0.3);
    EXPECT_RECT_EQ(shown(alert->view()).frame(), card.minX(), card.minY(), 240, card.height());
    EXPECT_EQ(shown(alert->view()).opacity, 1);

    alert->hideView();
    EXPECT_EQ(alert->view()->alpha(), 0);
    EXPECT_EQ(alert->backgroundView()->alpha(), 0);
    EXPECT_FALSE(alert->isVisible());
    runFor(0.15);
    EXPECT_GT(shown(alert->backgroundView()).opacity, 0.0);
    EXPECT_LT(shown(alert->backgroundView()).opacity, 0.7);
    runFor(0.13);
    EXPECT_TRUE(attached(alert));
    runFor(0.05);
    EXPECT_FALSE(alert->view()->superview());
    EXPECT_FALSE(alert->backgroundView()->superview());
    EXPECT_TRUE(host->childViewControllers().empty());
}

TEST_F(ModalAlertViewAnimationTest, FadeInTakesTheShadowFromZeroBackToItsOpacity)
{
    auto alert = show(0);
    EXPECT_EQ(alert->backgroundView()->alpha(), 0.7);
    EXPECT_EQ(shown(alert->backgroundView()).opacity, 0);
    EXPECT_EQ(shown(alert->view()).opacity, 0);
    runFor(0.15);
    // Ease-in: less than half way at half the time.
    EXPECT_GT(shown(alert->backgroundView()).opacity, 0);
    EXPECT_LT(shown(alert->backgroundView()).opacity, 0.35);
    EXPECT_LT(shown(alert->view()).opacity, 0.5);
    runFor(0.17);
    EXPECT_EQ(shown(alert->backgroundView()).opacity, 0.7);
    EXPECT_EQ(shown(alert->view()).opacity, 1);
}

TEST_F(ModalAlertViewAnimationTest, EdgeSlideInsStartOffScreenAndSettleOnTheCentre)
{
    const struct {
        int64_t type;
        double x, y;
    } starts[] = {{1, 0, 568}, {3, -320, 0}, {4, 320, 0}};
    for (const auto& start : starts) {
        SCOPED_TRACE(start.type);
        auto alert = show(start.type);
        EXPECT_RECT_EQ(shown(alert->view()).frame(), start.x, start.y, 320, 568);
        EXPECT_EQ(shown(alert->view()).opacity, 0);
        settle();
        runFor(0.15);
        EXPECT_GT(shown(alert->view()).opacity, 0);
        runFor(0.2);
        EXPECT_EQ(shown(alert->view()).opacity, 1);
        runFor(0.25);
        // Centred on the backdrop at the end.
        EXPECT_NEAR(shown(alert->view()).position.x, 160, 1e-6);
        EXPECT_NEAR(shown(alert->view()).position.y, 284, 1e-6);
        alert->hideView();
        runFor(0.4);
    }
}

TEST_F(ModalAlertViewAnimationTest, ScaleInsGrowOrShrinkToTheIdentity)
{
    for (auto [type, scale] : {std::pair {int64_t {5}, 3.0}, std::pair {int64_t {6}, 0.1}}) {
        SCOPED_TRACE(type);
        auto alert = show(type);
        EXPECT_EQ(alert->view()->transform().a, 1);
        EXPECT_NEAR(shown(alert->view()).transform.a, scale, 1e-9);
        EXPECT_NEAR(shown(alert->view()).transform.d, scale, 1e-9);
        EXPECT_EQ(shown(alert->view()).opacity, 0);
        runFor(0.32);
        EXPECT_TRUE(shown(alert->view()).transform.isIdentity());
        EXPECT_EQ(shown(alert->view()).opacity, 1);
        alert->hideView();
        runFor(0.4);
    }
}

TEST_F(ModalAlertViewAnimationTest, SlideOutsMoveForPointThreeSecondsThenFadeAndDetach)
{
    const struct {
        int64_t type;
        double dx, dy;
    } moves[] = {{1, 0, 568}, {2, 0, -568}, {3, -320, 0}, {4, 320, 0}};
    for (const auto& move : moves) {
        SCOPED_TRACE(move.type);
        auto alert = show(0, move.type);
        runFor(0.6);
        const graphics::Rect before = alert->view()->frame();
        int dismissed = 0;
        alert->alertIsDismissed([&] { ++dismissed; });
        alert->hideView();
        EXPECT_EQ(dismissed, 1);
        EXPECT_RECT_EQ(alert->view()->frame(), before.minX() + move.dx, before.minY() + move.dy,
            before.width(), before.height());
        EXPECT_EQ(alert->view()->alpha(), 1);
        runFor(0.31);
        EXPECT_RECT_EQ(shown(alert->view()).frame(), before.minX() + move.dx, before.minY() + move.dy,
            before.width(), before.height());
        EXPECT_EQ(alert->view()->alpha(), 0);
        runFor(0.25);
        EXPECT_TRUE(attached(alert));
        runFor(0.1);
        EXPECT_FALSE(attached(alert));
    }
}

TEST_F(ModalAlertViewAnimationTest, ScaleOutsThenFade)
{
    for (auto [type, scale] : {std::pair {int64_t {5}, 0.1}, std::pair {int64_t {6}, 3.0}}) {
        SCOPED_TRACE(type);
        auto alert = show(0, type);
        runFor(0.6);
        alert->hideView();
        EXPECT_NEAR(alert->view()->transform().a, scale, 1e-9);
        EXPECT_EQ(alert->view()->alpha(), 0);
        EXPECT_EQ(alert->backgroundView()->alpha(), 0.7);
        runFor(0.31);
        EXPECT_NEAR(shown(alert->view()).transform.a, scale, 1e-9);
        EXPECT_EQ(alert->backgroundView()->alpha(), 0);
        runFor(0.35);
        EXPECT_FALSE(attached(alert));
    }
}

TEST_F(ModalAlertViewAnimationTest, UnknownTypesAnimateNothing)
{
    auto alert = show(42, 42);
    EXPECT_EQ(alert->view()->alpha(), 0);
    EXPECT_FALSE(alert->isVisible());
    int dismissed = 0;
    alert->alertIsDismissed([&] { ++dismissed; });
    alert->hideView();
    EXPECT_EQ(dismissed, 1);
    runFor(1);
    EXPECT_TRUE(attached(alert));
}

TEST_F(ModalAlertViewAnimationTest, BlurAndTransparentBackdropsRiseToFullOpacity)
{
    auto blurred = show(0, 0, 1);
    ASSERT_TRUE(blurred->backgroundView()->image());
    EXPECT_EQ(blurred->backgroundView()->image()->pixelWidth(), 640);
    EXPECT_EQ(blurred->backgroundView()->image()->pixelHeight(), 1136);
    EXPECT_EQ(blurred->backgroundOpacity(), 1.0);
    EXPECT_EQ(shown(blurred->backgroundView()).opacity, 0);
    runFor(0.32);
    EXPECT_EQ(shown(blurred->backgroundView()).opacity, 1.0);
    blurred->hideView();
    runFor(0.4);

    auto clear = show(0, 0, 2);
    EXPECT_EQ(clear->backgroundView()->backgroundColor(), Color::clear());
    EXPECT_EQ(clear->backgroundOpacity(), 1.0);
    EXPECT_EQ(shown(clear->backgroundView()).opacity, 0);
    runFor(0.15);
    EXPECT_GT(shown(clear->backgroundView()).opacity, 0);
    runFor(0.17);
    EXPECT_EQ(shown(clear->backgroundView()).opacity, 1.0);
}
