#include "screens/tasks/TaskListCell.h"

#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace {
constexpr graphics::Color kActionColor = graphics::Color::rgba(0, 0.478, 1);
constexpr double kMargin = 16;
constexpr double kActionWidth = 64;
constexpr double kActionHeight = 30;
} // namespace

std::shared_ptr<TaskListCell> TaskListCell::create()
{
    auto cell = std::make_shared<TaskListCell>();
    cell->setUpSubviews();
    return cell;
}

TaskListCell::TaskListCell()
    : ui::TableViewCell(kReuseIdentifier, {0, 0, 320, kHeight})
{ }

void TaskListCell::setUpSubviews()
{
    auto& content = *contentView();
    m_title = ui::Label::create();
    m_title->setFont(graphics::Font::boldSystemFont(16));
    content.addSubview(m_title);
    m_detail = ui::Label::create();
    m_detail->setFont(graphics::Font::systemFont(13));
    m_detail->setTextColor(graphics::Color::darkGray());
    content.addSubview(m_detail);

    // Rows are told apart by a hairline, as the list's rows always were.
    m_separator = ui::View::create();
    m_separator->setBackgroundColor(graphics::Color::white(0.88));
    addSubview(m_separator);

    m_action = ui::Button::create(graphics::Rect {0, 0, kActionWidth, kActionHeight});
    m_action->setTitleColor(kActionColor, ui::ControlState::Normal);
    m_action->setTitleColor(kActionColor.withAlpha(0.3), ui::ControlState::Highlighted);
    m_action->titleLabel()->setFont(graphics::Font::systemFont(14));
    m_action->layer().setBorderWidth(1);
    m_action->layer().setBorderColor(kActionColor);
    m_action->layer().setCornerRadius(4);
    m_action->setHidden(true);
    // The cell owns the button, so the block must not hold the cell.
    std::weak_ptr<TaskListCell> weakSelf = std::static_pointer_cast<TaskListCell>(shared_from_this());
    m_action->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        auto self = weakSelf.lock();
        if (self && self->m_actionBlock) {
            auto block = self->m_actionBlock;
            block();
        }
    });
    content.addSubview(m_action);
}

void TaskListCell::fill(const std::string& applyNO, const std::string& detail,
    const std::optional<std::string>& actionTitle, std::function<void()> action)
{
    m_title->setText(applyNO);
    m_detail->setText(detail);
    setAccessibilityLabel("任务:" + applyNO);
    m_action->setHidden(!actionTitle);
    m_action->setTitle(actionTitle.value_or(std::string()), ui::ControlState::Normal);
    m_action->setAccessibilityLabel(actionTitle ? *actionTitle + ":" + applyNO : std::string());
    m_actionBlock = actionTitle ? std::move(action) : nullptr;
    setNeedsLayout();
}

void TaskListCell::prepareForReuse()
{
    m_actionBlock = nullptr;
}

void TaskListCell::layoutSubviews()
{
    ui::TableViewCell::layoutSubviews();
    double width = bounds().width();
    double textWidth = width - 2 * kMargin;
    if (!m_action->isHidden()) {
        m_action->setFrame(
            {width - 12 - kActionWidth, (kHeight - 1 - kActionHeight) / 2, kActionWidth, kActionHeight});
        textWidth -= kActionWidth + 8;
    }
    m_separator->setFrame({0, bounds().height() - 1, width, 1});
    m_title->setFrame({kMargin, 6, textWidth, 24});
    m_detail->setFrame({kMargin, 30, textWidth, 20});
}
