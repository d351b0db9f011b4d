#include "platform/ui/ProgressView.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "tests/platform/ui/UiTest.h"

namespace {

class ProgressViewTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
    }
    std::shared_ptr<ui::Window> window;
};

TEST_F(ProgressViewTest, ProgressIsPinnedAndFillsTheBarInItsTint)
{
    auto progress = ui::ProgressView::create(graphics::Rect {0, 0, 200, 2});
    window->addSubview(progress);
    progress->setProgress(1.5f);
    EXPECT_EQ(progress->progress(), 1.0f);
    progress->setProgress(-1.0f);
    EXPECT_EQ(progress->progress(), 0.0f);
    progress->setProgress(0.25f);
    EXPECT_EQ(progress->barFrame(), (graphics::Rect {0, 0, 50, 2}));
    ASSERT_EQ(progress->subviews().size(), 1u);
    EXPECT_EQ(progress->subviews()[0]->frame().width(), 50);
    EXPECT_EQ(progress->fillColor(), graphics::Color::rgba(0, 122.0 / 255, 1));
    window->setTintColor(graphics::Color::white());
    EXPECT_EQ(progress->fillColor(), graphics::Color::white());
    progress->setProgressTintColor(graphics::Color::red());
    EXPECT_EQ(progress->fillColor(), graphics::Color::red());
}

TEST_F(ProgressViewTest, AnimatedProgressMovesOnTheClock)
{
    auto progress = ui::ProgressView::create(graphics::Rect {0, 0, 200, 2});
    window->addSubview(progress);
    progress->setProgress(1.0f, true);
    auto& bar = *progress->subviews()[0];
    EXPECT_EQ(bar.frame().width(), 200); // the model value at once
    runFor(ui::ProgressView::kAnimationDuration / 2);
    double midway = bar.layer().presentation().bounds.width();
    EXPECT_GT(midway, 20);
    EXPECT_LT(midway, 180);
    runFor(ui::ProgressView::kAnimationDuration);
    EXPECT_EQ(bar.layer().presentation().bounds.width(), 200);
}

TEST_F(ProgressViewTest, ActivityIndicatorTurnsWithTheClockAndHidesWhenStopped)
{
    auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    window->addSubview(spinner);
    EXPECT_EQ(spinner->bounds().width(), 37);
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_FALSE(spinner->isAnimating());

    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->leadingSpoke(), 0);
    runFor(0.26);
    EXPECT_EQ(spinner->leadingSpoke(), 3);
    runFor(1.0);
    EXPECT_EQ(spinner->leadingSpoke(), 3); // a full turn later

    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    spinner->setHidesWhenStopped(false);
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_EQ(spinner->color(), graphics::Color::white());
    EXPECT_EQ(ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::Gray)->color(),
        graphics::Color::gray());
}

} // namespace
