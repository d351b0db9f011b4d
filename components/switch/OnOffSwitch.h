#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {
class ImageView;
class Label;
} // namespace ui

// An on/off switch drawn from plain views: a track holding an image and a label per side, and a
// round knob with a drop shadow that slides between the ends. A tap toggles it, a drag shows the
// side under the finger; a value-changed event goes out only when a touch ends with a changed
// value. Every change of state animates in 0.3 s.
class OnOffSwitch final : public ui::Control {
public:
    using Color = graphics::Color;
    using OptionalColor = std::optional<graphics::Color>;

    static constexpr graphics::Rect kDefaultFrame {0, 0, 50, 30};
    static constexpr double kAnimationDuration = 0.3;
    // How much wider the knob grows while a finger is down.
    static constexpr double kKnobStretch = 5;

    // The platform's init: a 50 x 30 switch at the origin.
    static std::shared_ptr<OnOffSwitch> create();
    // An empty rectangle is replaced by the default frame.
    static std::shared_ptr<OnOffSwitch> create(graphics::Rect frame);
    // Made through create(), which finishes the set-up once the switch is shared.
    class Token {
        friend class OnOffSwitch;
        Token() = default;
    };
    OnOffSwitch(Token, graphics::Rect frame);

    const char* className() const override { return "OnOffSwitch"; }

    bool isOn() const { return m_on; }
    bool on() const { return m_on; }
    void setOn(bool on) { setOn(on, false); }
    // Shows the side of the new value; sends no event.
    void setOn(bool on, bool animated);

    OptionalColor inactiveColor() const { return m_inactiveColor; }
    void setInactiveColor(OptionalColor color);
    OptionalColor activeColor() const { return m_activeColor; }
    void setActiveColor(OptionalColor color) { m_activeColor = color; }
    OptionalColor onTintColor() const { return m_onTintColor; }
    void setOnTintColor(OptionalColor color);
    OptionalColor onColor() const { return onTintColor(); }
    void setOnColor(OptionalColor color) { setOnTintColor(color); }
    OptionalColor borderColor() const { return m_borderColor; }
    void setBorderColor(OptionalColor color);
    OptionalColor thumbTintColor() const { return m_thumbTintColor; }
    void setThumbTintColor(OptionalColor color);
    OptionalColor knobColor() const { return thumbTintColor(); }
    void setKnobColor(OptionalColor color) { setThumbTintColor(color); }
    OptionalColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(OptionalColor color);
    bool isRounded() const { return m_isRounded; }
    void setIsRounded(bool rounded);

    const std::shared_ptr<graphics::Image>& onImage() const { return m_onImage; }
    void setOnImage(std::shared_ptr<graphics::Image> image);
    const std::shared_ptr<graphics::Image>& offImage() const { return m_offImage; }
    void setOffImage(std::shared_ptr<graphics::Image> image);
    const std::optional<std::string>& onText() const { return m_onText; }
    void setOnText(std::optional<std::string> text);
    const std::optional<std::string>& offText() const { return m_offText; }
    void setOffText(std::optional<std::string> text);

    // Fonts and font colours reach the labels at the next layout.
    const graphics::Font& labelFont() const { return m_labelFont; }
    void setLabelFont(graphics::Font font) { m_labelFont = std::move(font); }
    OptionalColor onFontColor() const { return m_onFontColor; }
    void setOnFontColor(OptionalColor color) { m_onFontColor = color; }
    OptionalColor offFontColor() const { return m_offFontColor; }
    void setOffFontColor(OptionalColor color) { m_offFontColor = color; }
    const std::shared_ptr<ui::Label>& onLabel() const { return m_onLabel; }
    void setOnLabel(std::shared_ptr<ui::Label> label) { m_onLabel = std::move(label); }
    const std::shared_ptr<ui::Label>& offLabel() const { return m_offLabel; }
    void setOffLabel(std::shared_ptr<ui::Label> label) { m_offLabel = std::move(label); }

    // Show a side without changing the value.
    void showOn(bool animated);
    void showOff(bool animated);

    void layoutSubviews() override;
    bool beginTracking(const ui::Touch& touch, const ui::Event* event) override;
    bool continueTracking(const ui::Touch& touch, const ui::Event* event) override;
    void endTracking(const ui::Touch* touch, const ui::Event* event) override;
    void cancelTracking(const ui::Event* event) override;
    std::string automationText() const override { return m_on ? "on" : "off"; }

    // Inner parts, for tests and screenshots.
    const std::shared_ptr<ui::View>& background() const { return m_background; }
    const std::shared_ptr<ui::View>& knob() const { return m_knob; }
    const std::shared_ptr<ui::ImageView>& onImageView() const { return m_onImageView; }
    const std::shared_ptr<ui::ImageView>& offImageView() const { return m_offImageView; }
    bool currentVisualValue() const { return m_currentVisualValue; }
    bool isAnimating() const { return m_isAnimating; }

private:
    void setUp();
    double trackRadius(double height) const;
    double knobRadius(double height) const;
    void applySide(bool on);
    // Runs `changes` in a 0.3 s ease-out animation from the current state, or at once.
    void animateChanges(bool animated, const std::function<void()>& changes);

    bool m_on {false};
    OptionalColor m_inactiveColor;
    OptionalColor m_activeColor;
    OptionalColor m_onTintColor;
    OptionalColor m_borderColor;
    OptionalColor m_thumbTintColor;
    OptionalColor m_shadowColor;
    bool m_isRounded {true};
    std::shared_ptr<graphics::Image> m_onImage;
    std::shared_ptr<graphics::Image> m_offImage;
    std::optional<std::string> m_onText;
    std::optional<std::string> m_offText;
    graphics::Font m_labelFont;
    OptionalColor m_onFontColor;
    OptionalColor m_offFontColor;
    std::shared_ptr<ui::Label> m_onLabel;
    std::shared_ptr<ui::Label> m_offLabel;

    std::shared_ptr<ui::View> m_background;
    std::shared_ptr<ui::View> m_knob;
    std::shared_ptr<ui::ImageView> m_onImageView;
    std::shared_ptr<ui::ImageView> m_offImageView;
    bool m_currentVisualValue {false};
    bool m_startTrackingValue {false};
    bool m_didChangeWhileTracking {false};
    bool m_isAnimating {false};
};
