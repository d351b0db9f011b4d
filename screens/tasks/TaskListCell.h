#pragma once

#include "platform/ui/TableViewCell.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class Button;
class Label;
} // namespace ui

// One row of a task list: the task's number over a detail line, and optionally a small button for
// the row's second action at its right end.
class TaskListCell final : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "TaskListCell";
    static constexpr double kHeight = 56;

    static std::shared_ptr<TaskListCell> create();
    TaskListCell();
    const char* className() const override { return "TaskListCell"; }

    // Fills the row; no action title hides the button. `action` runs on a tap of the button.
    void fill(const std::string& applyNO, const std::string& detail,
        const std::optional<std::string>& actionTitle, std::function<void()> action);

    std::shared_ptr<ui::Label> titleLabel() const { return m_title; }
    std::shared_ptr<ui::Label> detailLabel() const { return m_detail; }
    std::shared_ptr<ui::Button> actionButton() const { return m_action; }

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    void setUpSubviews();

    std::shared_ptr<ui::Label> m_title;
    std::shared_ptr<ui::Label> m_detail;
    std::shared_ptr<ui::Button> m_action;
    std::shared_ptr<ui::View> m_separator;
    std::function<void()> m_actionBlock;
};
