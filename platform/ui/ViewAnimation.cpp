#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/AnimationGroup.h"
#include "platform/ui/View.h"

// The block-animation entry points of View; the animations themselves live in the layers.
namespace ui {

namespace {

void runBlock(double duration, double delay, AnimationOptions options, std::optional<double> damping,
    double velocity, const std::function<void()>& animations, View::Completion completion)
{
    auto& context = AnimationContext::shared();
    if (duration <= 0 || !context.animationsEnabled()) {
        // No animation: the changes land at once and the completion follows at the next turn.
        View::performWithoutAnimation(animations);
        if (completion)
            foundation::RunLoop::main().post([completion = std::move(completion)] { completion(true); });
        return;
    }
    auto group = std::make_shared<AnimationGroup>(std::move(completion));
    AnimationContext::Block block;
    block.duration = duration;
    block.delay = std::max(delay, 0.0);
    block.options = options;
    block.springDamping = damping;
    block.springVelocity = velocity;
    block.group = group;
    context.pushBlock(block);
    if (animations)
        animations();
    context.popBlock();
    group->seal();
}

} // namespace

void View::animate(double duration, const std::function<void()>& animations)
{
    runBlock(duration, 0, AnimationOptions::None, std::nullopt, 0, animations, nullptr);
}

void View::animate(double duration, const std::function<void()>& animations, Completion completion)
{
    runBlock(duration, 0, AnimationOptions::None, std::nullopt, 0, animations, std::move(completion));
}

void View::animate(double duration, double delay, AnimationOptions options,
    const std::function<void()>& animations, Completion completion)
{
    runBlock(duration, delay, options, std::nullopt, 0, animations, std::move(completion));
}

void View::animateWithSpring(double duration, double delay, double dampingRatio, double initialVelocity,
    AnimationOptions options, const std::function<void()>& animations, Completion completion)
{
    runBlock(duration, delay, options, dampingRatio, initialVelocity, animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& actions)
{
    auto& context = AnimationContext::shared();
    AnimationContext::Block block;
    block.enabled = false;
    context.pushBlock(block);
    if (actions)
        actions();
    context.popBlock();
}

void View::setAnimationsEnabled(bool enabled)
{
    AnimationContext::shared().setAnimationsEnabled(enabled);
}

bool View::areAnimationsEnabled()
{
    return AnimationContext::shared().animationsEnabled();
}

} // namespace ui
