#include "core/store/UpdateTime.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"

namespace {

std::string key(const char* list, int64_t userId)
{
    return foundation::format("%sUpdatetime_%llu", list, static_cast<unsigned long long>(userId));
}

std::string read(const std::string& key)
{
    auto value = foundation::UserDefaults::standard().value(key);
    if (value.isInt())
        return std::to_string(value.asInt());
    return value.asString();
}

} // namespace

std::string UpdateTime::finishedUpdateTime(int64_t userId)
{
    return read(key("finished", userId));
}

void UpdateTime::setFinishedUpdateTime(int64_t userId, const std::string& time)
{
    foundation::UserDefaults::standard().set(key("finished", userId), time);
}

std::string UpdateTime::rejectedUpdateTime(int64_t userId)
{
    return read(key("rejected", userId));
}

void UpdateTime::setRejectedUpdateTime(int64_t userId, const std::string& time)
{
    foundation::UserDefaults::standard().set(key("rejected", userId), time);
}
