#include "platform/ui/Layer.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/Transaction.h"
#include "platform/ui/View.h"
#include "tests/platform/ui/UiTest.h"

#include <vector>

namespace {

using ui::BasicAnimation;
using ui::FillMode;
using ui::TimingFunction;
using ui::View;

class LayerTest : public mivo::test::UiTest {
protected:
    std::shared_ptr<View> view = View::create({0, 0, 100, 100});
    ui::Layer& layer() { return view->layer(); }
};

TEST_F(LayerTest, KeyPathAnimationShowsItsCurveWithoutTouchingTheModel)
{
    layer().setCornerRadius(8);
    auto animation = BasicAnimation::create("cornerRadius");
    animation->setTimingFunction(TimingFunction::easeInEaseOut());
    animation->setFromValue(layer().cornerRadius());
    animation->setToValue(0.0);
    animation->setDuration(0.3);
    std::vector<bool> stops;
    animation->setDidStop([&](bool finished) { stops.push_back(finished); });
    layer().addAnimation(animation, "cornerRadius");
    EXPECT_EQ(layer().cornerRadius(), 8);
    layer().setCornerRadius(0);
    EXPECT_EQ(layer().presentation().cornerRadius, 8);

    runFor(0.075);
    EXPECT_NEAR(
        layer().presentation().cornerRadius, 8 * (1 - TimingFunction::easeInEaseOut().valueAt(0.25)), 1e-9);
    runFor(0.075);
    EXPECT_NEAR(layer().presentation().cornerRadius, 4, 1e-9);
    runFor(0.15);
    EXPECT_EQ(stops, std::vector<bool> {true});
    EXPECT_EQ(layer().presentation().cornerRadius, 0);
    EXPECT_EQ(layer().animationForKey("cornerRadius"), nullptr);
}

TEST_F(LayerTest, TransformAnimationsShowOverTheAffineModelAndFillForwardsHoldsTheEnd)
{
    auto animation = BasicAnimation::create("transform");
    animation->setTimingFunction(TimingFunction::linear());
    animation->setFromValue(ui::Transform3D::makeScale(3, 3, 1));
    animation->setDuration(1);
    layer().addAnimation(animation, "grow");
    runFor(0.5);
    EXPECT_NEAR(layer().presentation().transform.a, 2, 1e-9);
    EXPECT_NEAR(layer().presentation().transform.d, 2, 1e-9);
    runFor(0.5);
    EXPECT_TRUE(layer().presentation().transform.isIdentity());

    auto scale = BasicAnimation::create("transform.scale");
    scale->setFromValue(1.0);
    scale->setToValue(2.0);
    scale->setDuration(0.2);
    scale->setFillMode(FillMode::Forwards);
    scale->setRemovedOnCompletion(false);
    layer().addAnimation(scale, "grow");
    runFor(1);
    EXPECT_NEAR(layer().presentation().transform.a, 2, 1e-9);
    EXPECT_TRUE(layer().affineTransform().isIdentity());
    layer().removeAnimation("grow");
    EXPECT_TRUE(layer().presentation().transform.isIdentity());
}

TEST_F(LayerTest, TheLayerKeepsACopyAndAKeyReplacesItsAnimation)
{
    auto first = BasicAnimation::create("opacity");
    first->setFromValue(0.0);
    first->setDuration(1);
    std::vector<std::string> stops;
    first->setDidStop([&](bool finished) { stops.push_back(finished ? "first finished" : "first stopped"); });
    layer().addAnimation(first, "fade");
    first->setDuration(10); // not the running copy
    runFor(0.5);
    EXPECT_NEAR(layer().presentation().opacity, TimingFunction::defaultCurve().valueAt(0.5), 1e-9);

    auto second = BasicAnimation::create("opacity");
    second->setToValue(0.0);
    second->setDuration(1);
    layer().addAnimation(second, "fade");
    turn();
    EXPECT_EQ(stops, std::vector<std::string> {"first stopped"});
    EXPECT_EQ(layer().animationKeys(), std::vector<std::string> {"fade"});
}

TEST_F(LayerTest, TransactionCompletionWaitsForItsAnimations)
{
    int done = 0;
    ui::Transaction::begin();
    ui::Transaction::setCompletionBlock([&] { ++done; });
    View::animate(0.4, [&] { view->setAlpha(0); });
    auto slide = BasicAnimation::create("position.x");
    slide->setToValue(300.0);
    slide->setDuration(0.6);
    layer().addAnimation(slide, "slide");
    ui::Transaction::commit();
    runFor(0.5);
    EXPECT_EQ(done, 0);
    runFor(0.1);
    EXPECT_EQ(done, 1);

    ui::Transaction::begin();
    ui::Transaction::setCompletionBlock([&] { ++done; });
    ui::Transaction::commit();
    EXPECT_EQ(done, 1);
    turn();
    EXPECT_EQ(done, 2);
}

TEST_F(LayerTest, DisabledActionsKeepChangesInsideBlocksStill)
{
    View::animate(1, [&] {
        ui::Transaction::begin();
        ui::Transaction::setDisableActions(true);
        layer().setBorderWidth(3);
        ui::Transaction::commit();
        layer().setShadowOpacity(0.5);
    });
    EXPECT_EQ(layer().presentation().borderWidth, 3);
    EXPECT_EQ(layer().presentation().shadowOpacity, 0);
    EXPECT_EQ(layer().shadowOpacity(), 0.5);
}

TEST_F(LayerTest, MasksToBoundsClipsTheViewAndNilColoursAnimateThroughClear)
{
    layer().setMasksToBounds(true);
    EXPECT_TRUE(view->clipsToBounds());

    view->setBackgroundColor(graphics::Color::red());
    View::animate(
        1, 0, ui::AnimationOptions::CurveLinear, [&] { view->setBackgroundColor(std::nullopt); }, nullptr);
    EXPECT_FALSE(view->backgroundColor().has_value());
    runFor(0.5);
    ASSERT_TRUE(layer().presentation().backgroundColor.has_value());
    EXPECT_NEAR(layer().presentation().backgroundColor->a, 0.5, 1e-9);
    runFor(0.5);
    EXPECT_FALSE(layer().presentation().backgroundColor.has_value());
}

TEST_F(LayerTest, DisplayGenerationMovesWithChangesAndRunningAnimations)
{
    uint64_t before = View::displayGeneration();
    view->setAlpha(0.5);
    EXPECT_GT(View::displayGeneration(), before);
    View::animate(1, [&] { view->setAlpha(1); });
    before = View::displayGeneration();
    runFor(0.1);
    EXPECT_GT(View::displayGeneration(), before);
    runFor(1);
    before = View::displayGeneration();
    runFor(0.1);
    EXPECT_EQ(View::displayGeneration(), before);
}

// A shape layer that gives every from-to animation added to it its own curve.
class CurvedLayer final : public ui::ShapeLayer {
public:
    using ShapeLayer::ShapeLayer;
    static constexpr TimingFunction kCurve {0.215, 0.61, 0.355, 1.0};
    void addAnimation(const std::shared_ptr<ui::Animation>& animation, const std::string& key) override
    {
        if (auto basic = std::dynamic_pointer_cast<BasicAnimation>(animation))
            basic->setTimingFunction(kCurve);
        ShapeLayer::addAnimation(animation, key);
    }
};

class CurvedView final : public View {
public:
    explicit CurvedView(graphics::Rect frame)
        : View(frame, [](View& view) { return std::make_unique<CurvedLayer>(view); })
    { }
};

TEST_F(LayerTest, ViewsCanBeBackedByALayerSubclassThatSeesBlockAnimations)
{
    auto curved = std::make_shared<CurvedView>(graphics::Rect {0, 0, 100, 100});
    auto* shape = dynamic_cast<ui::ShapeLayer*>(&curved->layer());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->fillColor(), graphics::Color::black());
    EXPECT_EQ(curved->frame(), (graphics::Rect {0, 0, 100, 100}));

    View::animate(
        1, 0, ui::AnimationOptions::CurveLinear,
        [&] {
            curved->setCenter({150, 50});
        },
        nullptr);
    runFor(0.3);
    EXPECT_NEAR(curved->layer().presentation().position.x, 50 + 100 * CurvedLayer::kCurve.valueAt(0.3), 1e-9);
}
} // namespace
