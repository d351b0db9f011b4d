#include "platform/data/EntityDescription.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Format.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace data {

using foundation::Value;

const char* attributeTypeName(AttributeType type)
{
    switch (type) {
    case AttributeType::Text:
        return "text";
    case AttributeType::Int64:
        return "int64";
    case AttributeType::Double:
        return "double";
    case AttributeType::Bool:
        return "bool";
    case AttributeType::Date:
        return "date";
    }
    return "?";
}

namespace {

std::optional<int64_t> parseInteger(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size())
        return std::nullopt;
    return static_cast<int64_t>(parsed);
}

std::optional<double> parseDouble(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed))
        return std::nullopt;
    return parsed;
}

std::string decimalText(double d)
{
    if (std::floor(d) == d && std::fabs(d) < 1e15)
        return foundation::format("%lld", static_cast<long long>(d));
    return foundation::format("%.17g", d);
}

} // namespace

std::optional<Value> coerceValue(const Value& value, AttributeType type)
{
    if (value.isNull())
        return Value();
    switch (type) {
    case AttributeType::Text:
        if (value.isString())
            return value;
        if (value.isInt())
            return Value(foundation::format("%lld", static_cast<long long>(value.asInt())));
        if (value.isDouble())
            return Value(decimalText(value.asDouble()));
        return std::nullopt;
    case AttributeType::Int64:
        if (value.isInt())
            return value;
        if (value.isBool())
            return Value(static_cast<int64_t>(value.asBool() ? 1 : 0));
        if (value.isDouble()) {
            double d = value.asDouble();
            if (std::floor(d) == d && std::fabs(d) < 9.2e18)
                return Value(static_cast<int64_t>(d));
            return std::nullopt;
        }
        if (value.isString()) {
            if (auto parsed = parseInteger(value.asString()))
                return Value(*parsed);
        }
        return std::nullopt;
    case AttributeType::Double:
        if (value.isDouble())
            return value;
        if (value.isInt())
            return Value(static_cast<double>(value.asInt()));
        if (value.isString()) {
            if (auto parsed = parseDouble(value.asString()))
                return Value(*parsed);
        }
        return std::nullopt;
    case AttributeType::Bool:
        if (value.isBool())
            return value;
        if (value.isNumber())
            return Value(value.asDouble() != 0);
        if (value.isString()) {
            const std::string& s = value.asString();
            if (s == "YES" || s == "yes" || s == "true" || s == "1")
                return Value(true);
            if (s == "NO" || s == "no" || s == "false" || s == "0")
                return Value(false);
        }
        return std::nullopt;
    case AttributeType::Date:
        if (value.isDate())
            return value;
        if (value.isNumber())
            return Value(foundation::Date(value.asDouble()));
        if (value.isString()) {
            if (auto date = foundation::Date::parseLocal(value.asString(), "yyyy-MM-dd HH:mm:ss"))
                return Value(*date);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

EntityDescription::EntityDescription(
    std::string name, std::vector<AttributeDescription> attributes, size_t index)
    : m_name(std::move(name))
    , m_attributes(std::move(attributes))
    , m_index(index)
{
    for (size_t i = 0; i < m_attributes.size(); ++i)
        m_attributeIndex.emplace(m_attributes[i].name, i);
}

std::optional<size_t> EntityDescription::indexOfAttribute(const std::string& name) const
{
    auto it = m_attributeIndex.find(name);
    if (it == m_attributeIndex.end())
        return std::nullopt;
    return it->second;
}

void EntityDescription::addIndex(std::vector<std::string> attributeNames)
{
    if (attributeNames.empty())
        throw foundation::Exception(
            "NSInvalidArgumentException", "entity " + m_name + ": an index needs a column");
    for (auto& name : attributeNames) {
        if (!indexOfAttribute(name))
            throw foundation::Exception(
                "NSInvalidArgumentException", "entity " + m_name + ": no attribute '" + name + "' to index");
    }
    m_indexes.push_back(std::move(attributeNames));
}

const AttributeDescription* EntityDescription::attribute(const std::string& name) const
{
    auto index = indexOfAttribute(name);
    return index ? &m_attributes[*index] : nullptr;
}

bool EntityDescription::isValidIdentifier(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    // Reserved for the primary key column and SQLite's own tables.
    return name.rfind("Z_", 0) != 0 && name.rfind("sqlite_", 0) != 0;
}

} // namespace data
