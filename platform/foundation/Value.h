#pragma once

#include "platform/foundation/Date.h"

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

class Value;
using Array = std::vector<Value>;
using Map = std::map<std::string, Value>;

// A dynamically typed value: what dictionaries passed between screens, the store, user defaults
// and JSON hold. Accessors of the wrong type return a neutral default instead of failing.
class Value {
public:
    enum class Type { Null, Bool, Int, Double, String, Date, Array, Map };

    Value() = default;
    Value(std::nullptr_t) { }
    Value(bool b)
        : m_storage(b)
    { }
    template<std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Value(T i)
        : m_storage(static_cast<int64_t>(i))
    { }
    template<std::floating_point T>
    Value(T d)
        : m_storage(static_cast<double>(d))
    { }
    Value(const char* s)
        : m_storage(std::string(s ? s : ""))
    { }
    Value(std::string s)
        : m_storage(std::move(s))
    { }
    Value(std::string_view s)
        : m_storage(std::string(s))
    { }
    Value(Date d)
        : m_storage(d)
    { }
    Value(Array a)
        : m_storage(std::move(a))
    { }
    Value(Map m)
        : m_storage(std::move(m))
    { }

    Type type() const { return static_cast<Type>(m_storage.index()); }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Bool; }
    bool isInt() const { return type() == Type::Int; }
    bool isDouble() const { return type() == Type::Double; }
    bool isNumber() const { return isInt() || isDouble(); }
    bool isString() const { return type() == Type::String; }
    bool isDate() const { return type() == Type::Date; }
    bool isArray() const { return type() == Type::Array; }
    bool isMap() const { return type() == Type::Map; }

    // Numbers and bools convert among themselves; anything else gives false / 0 / empty.
    bool asBool() const;
    // Truth the way the phone's boolValue reads a reply field: a number other than 0, or a text
    // that starts (after blanks, a sign and zeros) with Y, y, T, t or a digit 1-9.
    bool boolValue() const;
    int64_t asInt() const;
    double asDouble() const;
    const std::string& asString() const;
    Date asDate() const;
    const Array& asArray() const;
    const Map& asMap() const;
    // Mutable access; a null value becomes an empty array / map first.
    Array& mutableArray();
    Map& mutableMap();

    // Null when missing or of another type.
    const Value& operator[](const std::string& key) const;
    const Value& operator[](size_t index) const;
    bool contains(const std::string& key) const;
    // Element count of an array or map, else 0.
    size_t size() const;
    // Makes this a map if it is not one, then sets key; returns *this for chaining.
    Value& set(const std::string& key, Value value);
    Value& append(Value value);

    // Accepts fragments (a bare number or string). Integers become Int, fractions Double.
    static std::optional<Value> fromJson(std::string_view json, std::string* error = nullptr);
    // Dates become "yyyy-MM-dd HH:mm:ss" local-time text. indent < 0: compact.
    std::string toJson(int indent = -1) const;

    friend bool operator==(const Value& a, const Value& b) { return a.m_storage == b.m_storage; }

    static const Value& null();

private:
    std::variant<std::monostate, bool, int64_t, double, std::string, Date, Array, Map> m_storage;
};

} // namespace foundation
