#include "core/store/GetCourseArrayModel.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <cctype>
#include <cstdlib>

namespace {

// An integer read the way a number or a numeric text reads as one: leading digits of a text,
// 0 when there are none.
int64_t integerOf(const foundation::Value& value)
{
    if (value.isNumber() || value.isBool())
        return value.asInt();
    if (value.isString())
        return std::strtoll(value.asString().c_str(), nullptr, 10);
    return 0;
}

} // namespace

foundation::Array GetCourseArrayModel::getConstantArrayByType(int listType)
{
    auto path = foundation::Paths::resource("carcourse.txt");
    auto contents = foundation::readFile(path);
    if (!contents) {
        foundation::logf("--------error------@cannot read %s", path.c_str());
        return {};
    }
    // Every line feed and space goes, inside texts too, before the JSON is read.
    std::string compact;
    compact.reserve(contents->size());
    for (char c : *contents) {
        if (c != '\n' && c != ' ')
            compact += c;
    }
    std::string error;
    auto lists = foundation::Value::fromJson(compact, &error);
    if (!lists || !lists->isArray()) {
        foundation::logf("--------error------@%s is not a JSON array: %s", path.c_str(), error.c_str());
        return {};
    }
    for (const auto& entry : lists->asArray()) {
        if (entry.isMap() && integerOf(entry["type"]) == listType)
            return entry["constant"].asArray();
    }
    return {};
}
