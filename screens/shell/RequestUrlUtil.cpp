#include "screens/shell/RequestUrlUtil.h"

#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/util/DateUtil.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"

std::string RequestUrlUtil::urlFor(const std::string& path)
{
    return foundation::format("%s%s%lld", GetBaseUrlAndPortModel::getBaseUrlAndPort().c_str(), path.c_str(),
        static_cast<long long>(DateUtil::getCurrentTimeIntervalSince1970()));
}

bool RequestUrlUtil::succeeded(const foundation::Value& reply)
{
    return reply["Success"].boolValue();
}

std::string RequestUrlUtil::message(const foundation::Value& reply, const std::string& fallback)
{
    const auto& msg = reply["Msg"];
    return msg.isString() && !msg.asString().empty() ? msg.asString() : fallback;
}

std::string RequestUrlUtil::currentUserName()
{
    return foundation::UserDefaults::standard().string("userName").value_or("");
}
