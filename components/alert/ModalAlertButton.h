#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The look a format block asks for; every field is optional.
struct ModalAlertButtonConfig {
    std::optional<graphics::Color> backgroundColor {};
    std::optional<graphics::Color> textColor {};
    // Applied only together with a border width.
    std::optional<graphics::Color> borderColor {};
    std::optional<double> borderWidth {};
};

// A button of the modal alert. It carries what a tap must do (a block, or a method sent to a
// target), an optional validation that may veto the tap, and its colour at rest; while pressed it
// shows that colour 0.2 darker. The alert runs the action, never the button itself.
class ModalAlertButton final : public ui::Button {
public:
    enum class ActionType : int64_t { None = 0, Selector = 1, Block = 2 };
    using ActionBlock = std::function<void()>;
    using ValidationBlock = std::function<bool()>;
    using FormatBlock = std::function<ModalAlertButtonConfig()>;
    // A method of the target, type-erased: called with the target and the sender.
    using Selector = std::function<void(void* target, ui::Control& sender)>;

    static constexpr graphics::Size kDefaultSize {216, 35};

    static std::shared_ptr<ModalAlertButton> create();
    // The frame is replaced by the default one: the alert places the button later.
    static std::shared_ptr<ModalAlertButton> create(graphics::Rect frame);
    ModalAlertButton();

    const char* className() const override { return "ModalAlertButton"; }

    template<class T> static Selector selectorFor(void (T::*method)(ui::Control&))
    {
        return [method](void* target, ui::Control& sender) { (static_cast<T*>(target)->*method)(sender); };
    }

    ActionType actionType() const { return m_actionType.load(); }
    void setActionType(ActionType type) { m_actionType.store(type); }
    const ActionBlock& actionBlock() const { return m_actionBlock; }
    void setActionBlock(ActionBlock block) { m_actionBlock = std::move(block); }
    const ValidationBlock& validationBlock() const { return m_validationBlock; }
    void setValidationBlock(ValidationBlock block) { m_validationBlock = std::move(block); }
    const FormatBlock& completeButtonFormatBlock() const { return m_completeButtonFormatBlock; }
    void setCompleteButtonFormatBlock(FormatBlock block) { m_completeButtonFormatBlock = std::move(block); }
    const FormatBlock& buttonFormatBlock() const { return m_buttonFormatBlock; }
    void setButtonFormatBlock(FormatBlock block) { m_buttonFormatBlock = std::move(block); }
    std::shared_ptr<void> target() const;
    void setTarget(std::shared_ptr<void> target);
    Selector selector() const;
    void setSelector(Selector selector);

    std::optional<graphics::Color> defaultBackgroundColor() const { return m_defaultBackgroundColor; }
    // Also shows the colour at once.
    void setDefaultBackgroundColor(std::optional<graphics::Color> color);

    void setHighlighted(bool highlighted) override;
    // Background colour, title colour, then the border (colour only with a width).
    void parseConfig(const ModalAlertButtonConfig& config);

    // Red, green and blue lowered (raised) by 0.2 in single precision, clamped; alpha kept.
    static std::optional<graphics::Color> darkerColorForColor(std::optional<graphics::Color> color);
    static std::optional<graphics::Color> lighterColorForColor(std::optional<graphics::Color> color);

private:
    void setup();

    std::atomic<ActionType> m_actionType {ActionType::None};
    ActionBlock m_actionBlock;
    ValidationBlock m_validationBlock;
    FormatBlock m_completeButtonFormatBlock;
    FormatBlock m_buttonFormatBlock;
    std::optional<graphics::Color> m_defaultBackgroundColor;
    mutable std::mutex m_targetMutex;
    std::shared_ptr<void> m_target;
    Selector m_selector;
};
