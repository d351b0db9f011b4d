#pragma once

#include "components/actionsheet/ActionSheetButton.h"
#include "components/actionsheet/ActionSheetIndexPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Label;
}

// One box of an action sheet: an optional title, an optional message and either a column of
// buttons or a caller's content view. Laid out for a width by layoutForWidth().
class ActionSheetSection final : public ui::View {
public:
    // Button styles: the look of a button, set through setButtonStyle().
    enum ButtonStyle : unsigned { Default = 0, Cancel = 1, Red = 2, Green = 3, Blue = 4 };

    static constexpr double kMargin = 5;
    static constexpr double kButtonHeight = 40;

    // A section of buttons, one per title, all in one style.
    static std::shared_ptr<ActionSheetSection> sectionWithTitle(std::optional<std::string> title,
        std::optional<std::string> message, const std::vector<std::string>& buttonTitles,
        unsigned buttonStyle);
    // A section that shows the caller's view.
    static std::shared_ptr<ActionSheetSection> sectionWithTitle(std::optional<std::string> title,
        std::optional<std::string> message, std::shared_ptr<ui::View> contentView);
    // One button in the cancel style titled with the bundle's text for "Cancel".
    static std::shared_ptr<ActionSheetSection> cancelSection();

    ActionSheetSection() = default;

    const char* className() const override { return "ActionSheetSection"; }

    const std::shared_ptr<ui::Label>& titleLabel() const { return m_titleLabel; }
    const std::shared_ptr<ui::Label>& messageLabel() const { return m_messageLabel; }
    const std::vector<std::shared_ptr<ActionSheetButton>>& buttons() const { return m_buttons; }
    const std::shared_ptr<ui::View>& contentView() const { return m_contentView; }
    size_t index() const { return m_index; }
    void setIndex(size_t index) { m_index = index; }

    using ButtonPressedBlock = std::function<void(ActionSheetIndexPath)>;
    const ButtonPressedBlock& buttonPressedBlock() const { return m_buttonPressedBlock; }
    void setButtonPressedBlock(ButtonPressedBlock block) { m_buttonPressedBlock = std::move(block); }

    // An index not below the button count logs "ERROR: Index out of bounds" and changes nothing.
    void setButtonStyle(unsigned style, size_t index);
    // A style above 4 clears the title colour, the font, the backgrounds and the border colour.
    static void setButtonStyle(unsigned style, ActionSheetButton& button);
    static std::shared_ptr<ActionSheetButton> makeButtonWithTitle(const std::string& title, unsigned style);
    // A 1 x 1 point opaque image of the colour at the screen's scale (stretched as a background).
    static std::shared_ptr<graphics::Image> pixelImageWithColor(graphics::Color color);

    // Continuous sections (the popover's panel) are clear and flat; separate ones white cards.
    void setUpForContinuous(bool continuous);
    // Places the labels, buttons and content view for the width; returns the section's frame.
    graphics::Rect layoutForWidth(double width);

    void buttonPressed(const ActionSheetButton& button);

private:
    void addLabels(std::optional<std::string> title, std::optional<std::string> message);
    void addButtons(const std::vector<std::string>& titles, unsigned style);

    std::shared_ptr<ui::Label> m_titleLabel;
    std::shared_ptr<ui::Label> m_messageLabel;
    std::vector<std::shared_ptr<ActionSheetButton>> m_buttons;
    std::shared_ptr<ui::View> m_contentView;
    size_t m_index {0};
    ButtonPressedBlock m_buttonPressedBlock;
};
