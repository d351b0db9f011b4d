#include "platform/ui/AnimationGroup.h"

#include "platform/foundation/RunLoop.h"

namespace ui {

void AnimationGroup::leave(bool finished)
{
    if (!finished)
        m_finished = false;
    if (--m_pending <= 0 && m_sealed)
        fire();
}

void AnimationGroup::seal()
{
    m_sealed = true;
    if (m_pending > 0)
        return;
    // Nothing animates: the platform still answers, at the next turn of the run loop.
    auto self = shared_from_this();
    foundation::RunLoop::main().post([self] { self->fire(); });
}

void AnimationGroup::fire()
{
    if (m_fired)
        return;
    m_fired = true;
    auto completion = std::move(m_completion);
    if (completion)
        completion(m_finished);
}

} // namespace ui
