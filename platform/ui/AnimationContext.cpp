#include "platform/ui/AnimationContext.h"

#include "platform/ui/Animation.h"
#include "platform/ui/AnimationGroup.h"
#include "platform/ui/Transaction.h"

namespace ui {

AnimationContext& AnimationContext::shared()
{
    // Never destroyed: views released during exit may still ask for it.
    static auto* context = new AnimationContext;
    return *context;
}

TimingFunction timingForOptions(AnimationOptions options)
{
    switch (curveOf(options)) {
    case AnimationOptions::CurveEaseIn:
        return TimingFunction::easeIn();
    case AnimationOptions::CurveEaseOut:
        return TimingFunction::easeOut();
    case AnimationOptions::CurveLinear:
        return TimingFunction::linear();
    default:
        return TimingFunction::easeInEaseOut();
    }
}

const AnimationContext::Block* AnimationContext::currentBlock() const
{
    if (m_blocks.empty() || !m_enabled || actionsDisabled())
        return nullptr;
    const Block& block = m_blocks.back();
    return block.enabled && block.duration > 0 ? &block : nullptr;
}

bool AnimationContext::actionsDisabled() const
{
    return !m_transactions.empty() && m_transactions.back().disableActions;
}

std::shared_ptr<BasicAnimation> AnimationContext::makeAnimation(const char* keyPath, double now) const
{
    const Block* block = currentBlock();
    if (!block)
        return nullptr;
    std::shared_ptr<BasicAnimation> animation;
    if (block->springDamping) {
        auto spring = SpringAnimation::create(keyPath);
        spring->setDampingRatio(*block->springDamping);
        spring->setInitialVelocity(block->springVelocity);
        animation = spring;
    } else {
        animation = BasicAnimation::create(keyPath);
        animation->setTimingFunction(timingForOptions(block->options));
    }
    animation->setDuration(block->duration);
    animation->setBeginTime(now + block->delay);
    // A delayed animation shows its start value until it begins, as the platform's do.
    animation->setFillMode(FillMode::Backwards);
    return animation;
}

void AnimationContext::reset()
{
    m_blocks.clear();
    m_transactions.clear();
    m_enabled = true;
}

void Transaction::begin()
{
    auto completion = std::make_shared<std::function<void()>>();
    auto group = std::make_shared<AnimationGroup>([completion](bool) {
        if (*completion)
            (*completion)();
    });
    AnimationContext::shared().transactions().push_back({group, completion, false});
}

void Transaction::commit()
{
    auto& transactions = AnimationContext::shared().transactions();
    if (transactions.empty())
        return;
    auto entry = std::move(transactions.back());
    transactions.pop_back();
    entry.group->seal();
}

void Transaction::setCompletionBlock(std::function<void()> block)
{
    auto& transactions = AnimationContext::shared().transactions();
    if (!transactions.empty())
        *transactions.back().completion = std::move(block);
}

void Transaction::setDisableActions(bool disable)
{
    auto& transactions = AnimationContext::shared().transactions();
    if (!transactions.empty())
        transactions.back().disableActions = disable;
}

bool Transaction::disableActions()
{
    return AnimationContext::shared().actionsDisabled();
}

int Transaction::depth()
{
    return static_cast<int>(AnimationContext::shared().transactions().size());
}

} // namespace ui
