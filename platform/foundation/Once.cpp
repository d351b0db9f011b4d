#include "platform/foundation/Once.h"

namespace foundation {

void dispatchOnce(OnceFlag& flag, const std::function<void()>& work)
{
    std::call_once(flag.m_flag, work);
}

} // namespace foundation
