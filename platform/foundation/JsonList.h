#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

struct JsonSplit;

// The entries of a JSON array kept as their text and read one at a time. A list of millions of
// small entries costs its text and two offsets an entry, where a Value tree of it would cost tens
// of bytes per entry; copies share the text.
class JsonList {
public:
    JsonList() = default;
    // The entries of a Value array (anything else: none), written out as JSON.
    explicit JsonList(const Value& array);

    size_t size() const { return m_spans.size(); }
    bool empty() const { return m_spans.empty(); }
    // Whether entry `index` is a JSON object, without reading it.
    bool isMapAt(size_t index) const;
    // Entry `index` read as a Value; null past the end or when it cannot be read.
    Value at(size_t index) const;

    // A JSON object read with the array under its top-level `key` left as text (see JsonSplit);
    // nullopt when `json` is not JSON.
    static std::optional<JsonSplit> fromJsonTakingList(std::string json, std::string_view key);

private:
    struct Span {
        uint32_t begin;
        uint32_t end;
    };
    JsonList(std::shared_ptr<const std::string> text, std::vector<Span> spans);
    static std::optional<JsonList> splitArray(std::shared_ptr<const std::string> text, size_t begin);

    std::shared_ptr<const std::string> m_text;
    std::vector<Span> m_spans;
};

// `value` holds every member of the object but `key`, `list` that array's entries (nullopt when
// the object has no array there, which `value` then keeps).
struct JsonSplit {
    Value value;
    std::optional<JsonList> list;
};

} // namespace foundation
