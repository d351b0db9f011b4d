#include "platform/net/HttpTask.h"

namespace net {

void HttpTask::cancel()
{
    if (!m_cancelled.exchange(true) && m_wake)
        m_wake();
}

} // namespace net
