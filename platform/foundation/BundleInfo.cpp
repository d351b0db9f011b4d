#include "platform/foundation/BundleInfo.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <mutex>
#include <optional>

namespace foundation {

namespace {

std::mutex& infoMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::optional<Value>& cachedInfo()
{
    static std::optional<Value> info;
    return info;
}

Value loadInfo()
{
    auto path = Paths::resource("Info.json");
    auto text = readFile(path);
    if (!text) {
        log(format("Bundle info %s could not be read", path.c_str()));
        return Map {};
    }
    std::string error;
    auto info = Value::fromJson(*text, &error);
    if (!info || !info->isMap()) {
        log(format("Bundle info %s is not a JSON object: %s", path.c_str(), error.c_str()));
        return Map {};
    }
    return *info;
}

} // namespace

Value BundleInfo::value(const std::string& key)
{
    std::lock_guard lock(infoMutex());
    if (!cachedInfo())
        cachedInfo() = loadInfo();
    return (*cachedInfo())[key];
}

void BundleInfo::reload()
{
    std::lock_guard lock(infoMutex());
    cachedInfo().reset();
}

std::string BundleInfo::bundleName()
{
    return value("CFBundleName").asString();
}

std::string BundleInfo::shortVersion()
{
    return value("CFBundleShortVersionString").asString();
}

bool BundleInfo::viewControllerBasedStatusBarAppearance()
{
    return value("UIViewControllerBasedStatusBarAppearance").asBool();
}

} // namespace foundation
