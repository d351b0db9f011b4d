#pragma once

#include "platform/data/EntityDescription.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace data {

// A predicate format parsed and checked against one entity: an SQL condition with "?" parameters
// plus the same condition as a tree for records whose changes are not saved yet. Independent of the
// arguments, so a context caches it by format text.
class CompiledPredicate final {
public:
    enum class Op { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };
    struct Node {
        enum class Kind { And, Or, Not, Compare, True, False };
        Kind kind {Kind::True};
        std::vector<Node> children;
        size_t attribute {0};
        Op op {Op::Equal};
        size_t slot {0};
    };
    struct Slot {
        std::optional<size_t> argument; // else the literal
        foundation::Value literal;
        AttributeType type {AttributeType::Text};
        std::string attributeName;
    };

    // nullptr and an error text when the format does not parse or does not fit the entity.
    static std::shared_ptr<const CompiledPredicate> compile(
        const std::string& format, const EntityDescription& entity, std::string* error);

    // The condition for a WHERE clause; parameters are numbered in slot order.
    const std::string& sql() const { return m_sql; }
    size_t placeholderCount() const { return m_placeholderCount; }
    // The values to bind, in slot order, each converted to its attribute's type.
    std::optional<std::vector<foundation::Value>> bind(
        const foundation::Array& arguments, std::string* error) const;
    bool evaluate(
        const std::vector<foundation::Value>& bound, const std::vector<foundation::Value>& attributes) const;

    // Three-way comparison of two canonical values of one attribute type; nullopt when either is null.
    static std::optional<int> compareValues(const foundation::Value& a, const foundation::Value& b);

private:
    bool evaluateNode(const Node&, const std::vector<foundation::Value>& bound,
        const std::vector<foundation::Value>& attributes) const;

    Node m_root;
    std::vector<Slot> m_slots;
    std::string m_sql;
    size_t m_placeholderCount {0};
};

} // namespace data
