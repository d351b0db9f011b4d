#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace data {

// A filter written as a format text with placeholders and the arguments that fill them:
//   Predicate::withFormat("carID == %@ AND taskPosition == %@", carID, position)
// Comparisons = == != <> < > <= >=, AND OR NOT (any case, also && || !), parentheses, quoted
// literals ('...' or "..."), numbers, TRUE/FALSE/YES/NO, NIL/NULL, TRUEPREDICATE/FALSEPREDICATE.
// Placeholders: %@ %d %i %ld %lld %u %lu %llu %f %lf. Arguments are always bound as SQL parameters;
// a placeholder inside quotes is plain text. The text is checked against an entity when fetched.
class Predicate final {
public:
    explicit Predicate(std::string format, foundation::Array arguments = {})
        : m_format(std::move(format))
        , m_arguments(std::move(arguments))
    { }

    template<class... Args> static Predicate withFormat(std::string format, Args&&... args)
    {
        return Predicate(
            std::move(format), foundation::Array {foundation::Value(std::forward<Args>(args))...});
    }

    const std::string& format() const { return m_format; }
    const foundation::Array& arguments() const { return m_arguments; }

private:
    std::string m_format;
    foundation::Array m_arguments;
};

struct SortDescriptor {
    std::string key;
    bool ascending {true};
};

// What to fetch. Without sort descriptors the records come in store (insertion) order.
struct FetchRequest {
    FetchRequest() = default;
    FetchRequest(std::string entity, std::optional<Predicate> filter = std::nullopt,
        std::vector<SortDescriptor> sort = {}, size_t limit = 0)
        : entityName(std::move(entity))
        , predicate(std::move(filter))
        , sortDescriptors(std::move(sort))
        , fetchLimit(limit)
    { }

    std::string entityName;
    std::optional<Predicate> predicate;
    std::vector<SortDescriptor> sortDescriptors;
    size_t fetchLimit {0}; // 0: no limit
};

} // namespace data
