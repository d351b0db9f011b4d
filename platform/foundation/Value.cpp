#include "platform/foundation/Value.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace foundation {

using Json = nlohmann::json;

namespace {

constexpr const char* kDatePattern = "yyyy-MM-dd HH:mm:ss";
// Converting a tree recurses once per level; a line of a million '[' must not overflow the stack.
constexpr int kMaxJsonDepth = 512;

// The deepest nesting of arrays and objects in the text, brackets inside strings not counted.
int nestingDepth(std::string_view json)
{
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

const std::string& emptyString()
{
    static const std::string empty;
    return empty;
}

Value fromNlohmann(const Json& json)
{
    switch (json.type()) {
    case Json::value_t::boolean:
        return json.get<bool>();
    case Json::value_t::number_integer:
        return json.get<int64_t>();
    case Json::value_t::number_unsigned: {
        auto number = json.get<uint64_t>();
        if (number <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return static_cast<int64_t>(number);
        return static_cast<double>(number);
    }
    case Json::value_t::number_float:
        return json.get<double>();
    case Json::value_t::string:
        return json.get<std::string>();
    case Json::value_t::array: {
        Array array;
        array.reserve(json.size());
        for (const auto& element : json)
            array.push_back(fromNlohmann(element));
        return array;
    }
    case Json::value_t::object: {
        Map map;
        for (const auto& [key, element] : json.items())
            map.emplace(key, fromNlohmann(element));
        return map;
    }
    default:
        return Value();
    }
}

Json toNlohmann(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return nullptr;
    case Value::Type::Bool:
        return value.asBool();
    case Value::Type::Int:
        return value.asInt();
    case Value::Type::Double:
        return value.asDouble();
    case Value::Type::String:
        return value.asString();
    case Value::Type::Date:
        return value.asDate().formatLocal(kDatePattern);
    case Value::Type::Array: {
        Json array = Json::array();
        for (const Value& element : value.asArray())
            array.push_back(toNlohmann(element));
        return array;
    }
    case Value::Type::Map: {
        Json object = Json::object();
        for (const auto& [key, element] : value.asMap())
            object[key] = toNlohmann(element);
        return object;
    }
    }
    return nullptr;
}

} // namespace

const Value& Value::null()
{
    static const Value null;
    return null;
}

bool Value::asBool() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_storage);
    case Type::Int:
        return std::get<int64_t>(m_storage) != 0;
    case Type::Double:
        return std::get<double>(m_storage) != 0;
    default:
        return false;
    }
}

bool Value::boolValue() const
{
    if (!isString())
        return asBool();
    const std::string& text = asString();
    size_t i = text.find_first_not_of(" \t\n\r\f\v");
    if (i == std::string::npos)
        return false;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i == text.size())
        return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

int64_t Value::asInt() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_storage) ? 1 : 0;
    case Type::Int:
        return std::get<int64_t>(m_storage);
    case Type::Double: {
        // Out-of-range or NaN conversions are undefined; saturate instead.
        double d = std::get<double>(m_storage);
        if (d != d)
            return 0;
        if (d >= 9223372036854775807.0)
            return std::numeric_limits<int64_t>::max();
        if (d <= -9223372036854775808.0)
            return std::numeric_limits<int64_t>::min();
        return static_cast<int64_t>(d);
    }
    default:
        return 0;
    }
}

double Value::asDouble() const
{
    switch (type()) {
    case Type::Bool:
        return std::get<bool>(m_storage) ? 1 : 0;
    case Type::Int:
        return static_cast<double>(std::get<int64_t>(m_storage));
    case Type::Double:
        return std::get<double>(m_storage);
    default:
        return 0;
    }
}

const std::string& Value::asString() const
{
    if (auto* text = std::get_if<std::string>(&m_storage))
        return *text;
    return emptyString();
}

Date Value::asDate() const
{
    if (auto* date = std::get_if<Date>(&m_storage))
        return *date;
    return Date();
}

const Array& Value::asArray() const
{
    static const Array empty;
    if (auto* array = std::get_if<Array>(&m_storage))
        return *array;
    return empty;
}

const Map& Value::asMap() const
{
    static const Map empty;
    if (auto* map = std::get_if<Map>(&m_storage))
        return *map;
    return empty;
}

Array& Value::mutableArray()
{
    if (!isArray())
        m_storage = Array();
    return std::get<Array>(m_storage);
}

Map& Value::mutableMap()
{
    if (!isMap())
        m_storage = Map();
    return std::get<Map>(m_storage);
}

const Value& Value::operator[](const std::string& key) const
{
    const Map& map = asMap();
    auto it = map.find(key);
    return it == map.end() ? null() : it->second;
}

const Value& Value::operator[](size_t index) const
{
    const Array& array = asArray();
    return index < array.size() ? array[index] : null();
}

bool Value::contains(const std::string& key) const
{
    return asMap().count(key) > 0;
}

size_t Value::size() const
{
    if (isArray())
        return asArray().size();
    if (isMap())
        return asMap().size();
    return 0;
}

Value& Value::set(const std::string& key, Value value)
{
    mutableMap()[key] = std::move(value);
    return *this;
}

Value& Value::append(Value value)
{
    mutableArray().push_back(std::move(value));
    return *this;
}

std::optional<Value> Value::fromJson(std::string_view json, std::string* error)
{
    if (nestingDepth(json) > kMaxJsonDepth) {
        if (error)
            *error = "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
        return std::nullopt;
    }
    try {
        return fromNlohmann(Json::parse(json.begin(), json.end()));
    } catch (const Json::exception& e) {
        if (error)
            *error = e.what();
        return std::nullopt;
    }
}

std::string Value::toJson(int indent) const
{
    // Invalid UTF-8 in a text is replaced rather than thrown about.
    return toNlohmann(*this).dump(indent, ' ', false, Json::error_handler_t::replace);
}

} // namespace foundation
