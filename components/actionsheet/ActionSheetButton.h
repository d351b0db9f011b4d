#pragma once

#include "platform/ui/Button.h"

#include <cstddef>

// A section button that knows its place in the section.
class ActionSheetButton final : public ui::Button {
public:
    static std::shared_ptr<ActionSheetButton> create();
    ActionSheetButton();

    const char* className() const override { return "ActionSheetButton"; }

    size_t row() const { return m_row; }
    void setRow(size_t row) { m_row = row; }

private:
    size_t m_row {0};
};
