#include "components/actionsheet/ActionSheetSection.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Label.h"

#include <algorithm>

using graphics::Color;
using graphics::Rect;

namespace {

constexpr Color rgb255(int r, int g, int b)
{
    return Color::rgba(r / 255.0, g / 255.0, b / 255.0);
}

struct StyleLook {
    bool bold;
    Color title;
    Color normal;
    Color highlighted;
};

// Styles 0 to 4: default, cancel, red, green, blue.
constexpr StyleLook kStyles[] = {
    {false, Color::black(), Color::white(0.95), Color::white(0.9)},
    {true, Color::black(), Color::white(0.95), Color::white(0.9)},
    {false, Color::white(), rgb255(231, 76, 60), rgb255(192, 57, 43)},
    {false, Color::white(), rgb255(46, 204, 113), rgb255(39, 174, 96)},
    {false, Color::white(), rgb255(52, 152, 219), rgb255(41, 128, 185)},
};

} // namespace

std::shared_ptr<ActionSheetSection> ActionSheetSection::sectionWithTitle(std::optional<std::string> title,
    std::optional<std::string> message, const std::vector<std::string>& buttonTitles, unsigned buttonStyle)
{
    auto section = std::make_shared<ActionSheetSection>();
    section->addLabels(std::move(title), std::move(message));
    section->addButtons(buttonTitles, buttonStyle);
    return section;
}

std::shared_ptr<ActionSheetSection> ActionSheetSection::sectionWithTitle(std::optional<std::string> title,
    std::optional<std::string> message, std::shared_ptr<ui::View> contentView)
{
    auto section = std::make_shared<ActionSheetSection>();
    section->addLabels(std::move(title), std::move(message));
    section->m_contentView = std::move(contentView);
    if (section->m_contentView)
        section->addSubview(section->m_contentView);
    return section;
}

std::shared_ptr<ActionSheetSection> ActionSheetSection::cancelSection()
{
    // The bundle has no string tables, and a missing key with an empty default reads as the key.
    return sectionWithTitle(std::nullopt, std::nullopt, {"Cancel"}, Cancel);
}

void ActionSheetSection::addLabels(std::optional<std::string> title, std::optional<std::string> message)
{
    // Centred black text on clear: the title bold on one line, the message on as many as it needs.
    auto makeLabel = [this](std::string text, graphics::Font font, int lines) {
        auto label = ui::Label::create();
        label->setText(std::move(text));
        label->setTextAlignment(graphics::TextAlignment::Center);
        label->setFont(std::move(font));
        label->setTextColor(Color::black());
        label->setNumberOfLines(lines);
        label->setBackgroundColor(Color::clear());
        addSubview(label);
        return label;
    };
    if (title)
        m_titleLabel = makeLabel(std::move(*title), graphics::Font::boldSystemFont(14), 1);
    if (message)
        m_messageLabel = makeLabel(std::move(*message), graphics::Font::systemFont(12), 0);
}

void ActionSheetSection::addButtons(const std::vector<std::string>& titles, unsigned style)
{
    std::weak_ptr<ActionSheetSection> weakSelf = sharedAs<ActionSheetSection>();
    for (size_t row = 0; row < titles.size(); ++row) {
        auto button = makeButtonWithTitle(titles[row], style);
        button->setRow(row);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control& sender) {
            if (auto self = weakSelf.lock())
                self->buttonPressed(static_cast<const ActionSheetButton&>(sender));
        });
        addSubview(button);
        m_buttons.push_back(std::move(button));
    }
}

std::shared_ptr<ActionSheetButton> ActionSheetSection::makeButtonWithTitle(
    const std::string& title, unsigned style)
{
    auto button = ActionSheetButton::create();
    button->setTitle(title, ui::ControlState::Normal);
    setButtonStyle(style, *button);
    button->layer().setCornerRadius(2);
    button->setClipsToBounds(true);
    button->layer().setBorderWidth(1);
    return button;
}

void ActionSheetSection::setButtonStyle(unsigned style, size_t index)
{
    if (index >= m_buttons.size()) {
        foundation::log("ERROR: Index out of bounds");
        return;
    }
    setButtonStyle(style, *m_buttons[index]);
}

void ActionSheetSection::setButtonStyle(unsigned style, ActionSheetButton& button)
{
    if (style >= std::size(kStyles)) {
        button.setTitleColor(std::nullopt, ui::ControlState::Normal);
        button.titleLabel()->setFont(graphics::Font::systemFont(17));
        button.setBackgroundImage(nullptr, ui::ControlState::Normal);
        button.setBackgroundImage(nullptr, ui::ControlState::Highlighted);
        button.layer().setBorderColor(Color::clear());
        return;
    }
    const StyleLook& look = kStyles[style];
    button.titleLabel()->setFont(
        look.bold ? graphics::Font::boldSystemFont(15) : graphics::Font::systemFont(15));
    button.setTitleColor(look.title, ui::ControlState::Normal);
    button.setBackgroundImage(pixelImageWithColor(look.normal), ui::ControlState::Normal);
    button.setBackgroundImage(pixelImageWithColor(look.highlighted), ui::ControlState::Highlighted);
    button.layer().setBorderColor(look.highlighted);
}

std::shared_ptr<graphics::Image> ActionSheetSection::pixelImageWithColor(Color color)
{
    graphics::beginImageContext({1, 1}, true, 0);
    if (auto* context = graphics::currentContext()) {
        context->setFillColor(color);
        context->fillRect({0, 0, 1, 1});
    }
    auto image = graphics::imageFromCurrentContext();
    graphics::endImageContext();
    return image;
}

void ActionSheetSection::setUpForContinuous(bool continuous)
{
    if (continuous) {
        setBackgroundColor(Color::clear());
        layer().setCornerRadius(0);
        layer().setShadowOpacity(0);
        layer().setShadowColor(std::nullopt);
        return;
    }
    setBackgroundColor(Color::white());
    layer().setCornerRadius(3);
    layer().setShadowColor(Color::black());
    layer().setShadowOffset({0, 0});
    layer().setShadowRadius(4);
    layer().setShadowOpacity(0.2);
}

Rect ActionSheetSection::layoutForWidth(double width)
{
    const double inner = width - 2 * kMargin;
    double height = 0;
    if (m_titleLabel) {
        m_titleLabel->sizeToFit();
        const double titleHeight = m_titleLabel->frame().height();
        m_titleLabel->setFrame({kMargin, kMargin, inner, titleHeight});
        height = titleHeight + kMargin;
    }
    if (m_messageLabel) {
        const double y = height + kMargin;
        const double messageHeight
            = graphics::TextLayout::boundingSize(m_messageLabel->text(), m_messageLabel->font(), inner)
                  .height;
        m_messageLabel->setFrame({kMargin, y, inner, std::min(messageHeight, width)});
        height = y + std::min(messageHeight, width);
    }
    for (auto& button : m_buttons) {
        const double y = height + kMargin;
        button->setFrame({kMargin, y, inner, kButtonHeight});
        height = y + kButtonHeight;
    }
    if (m_contentView) {
        const double y = height + kMargin;
        const double contentHeight = m_contentView->frame().height();
        m_contentView->setFrame({kMargin, y, inner, contentHeight});
        height = y + contentHeight;
    }
    setFrame({0, 0, width, height + kMargin});
    return frame();
}

void ActionSheetSection::buttonPressed(const ActionSheetButton& button)
{
    if (m_buttonPressedBlock)
        m_buttonPressedBlock({m_index, button.row()});
}
