#include "core/net/UserInfo.h"

std::shared_ptr<UserInfo> UserInfo::sharedInstance()
{
    static const std::shared_ptr<UserInfo> instance = std::make_shared<UserInfo>();
    return instance;
}
