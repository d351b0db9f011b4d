#pragma once

#include <compare>
#include <cstdint>

namespace ui {

// A section and an item (row) in a collection view.
struct IndexPath {
    int64_t section = 0;
    int64_t item = 0;

    static constexpr IndexPath forItem(int64_t item, int64_t section) { return {section, item}; }
    constexpr int64_t row() const { return item; }
    constexpr auto operator<=>(const IndexPath&) const = default;
};

} // namespace ui
