#include "components/alert/ModalAlertButton.h"

#include <algorithm>

using graphics::Color;

namespace {

// The step is the single-precision 0.2, as the colour maths of the original platform used.
constexpr double kColorStep = static_cast<double>(0.2f);

std::optional<Color> shifted(std::optional<Color> color, double step)
{
    if (!color)
        return std::nullopt;
    double r = 0, g = 0, b = 0, a = 0;
    color->getRGBA(r, g, b, a);
    return Color::rgba(
        std::clamp(r + step, 0.0, 1.0), std::clamp(g + step, 0.0, 1.0), std::clamp(b + step, 0.0, 1.0), a);
}

} // namespace

std::shared_ptr<ModalAlertButton> ModalAlertButton::create()
{
    return std::make_shared<ModalAlertButton>();
}

std::shared_ptr<ModalAlertButton> ModalAlertButton::create(graphics::Rect)
{
    return create();
}

ModalAlertButton::ModalAlertButton()
    : ui::Button(graphics::Rect {}, ui::ButtonType::Custom)
{
    setup();
}

void ModalAlertButton::setup()
{
    setFrame({{0, 0}, kDefaultSize});
}

std::shared_ptr<void> ModalAlertButton::target() const
{
    std::lock_guard lock(m_targetMutex);
    return m_target;
}

void ModalAlertButton::setTarget(std::shared_ptr<void> target)
{
    std::lock_guard lock(m_targetMutex);
    m_target = std::move(target);
}

ModalAlertButton::Selector ModalAlertButton::selector() const
{
    std::lock_guard lock(m_targetMutex);
    return m_selector;
}

void ModalAlertButton::setSelector(Selector selector)
{
    std::lock_guard lock(m_targetMutex);
    m_selector = std::move(selector);
}

void ModalAlertButton::setDefaultBackgroundColor(std::optional<Color> color)
{
    m_defaultBackgroundColor = color;
    setBackgroundColor(color);
}

void ModalAlertButton::setHighlighted(bool highlighted)
{
    setBackgroundColor(
        highlighted ? darkerColorForColor(m_defaultBackgroundColor) : m_defaultBackgroundColor);
    ui::Button::setHighlighted(highlighted);
}

void ModalAlertButton::parseConfig(const ModalAlertButtonConfig& config)
{
    if (config.backgroundColor)
        setDefaultBackgroundColor(config.backgroundColor);
    if (config.textColor)
        setTitleColor(config.textColor, ui::ControlState::Normal);
    if (config.borderWidth) {
        if (config.borderColor)
            layer().setBorderColor(*config.borderColor);
        layer().setBorderWidth(static_cast<float>(*config.borderWidth));
    }
}

std::optional<Color> ModalAlertButton::darkerColorForColor(std::optional<Color> color)
{
    return shifted(color, -kColorStep);
}

std::optional<Color> ModalAlertButton::lighterColorForColor(std::optional<Color> color)
{
    return shifted(color, kColorStep);
}
