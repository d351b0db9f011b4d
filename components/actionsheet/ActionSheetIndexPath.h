#pragma once

#include <cstddef>

// Where a pressed button sits: its section in the sheet and its row within the section.
struct ActionSheetIndexPath {
    size_t section {0};
    size_t row {0};

    constexpr bool operator==(const ActionSheetIndexPath&) const = default;
};
