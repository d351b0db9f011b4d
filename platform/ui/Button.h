#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

#include <map>
#include <optional>
#include <string>

namespace ui {

class Label;
class ImageView;

enum class ButtonType { Custom = 0, System = 1 };
enum class ContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// A control with a title, an image and a background image per control state. A state without
// its own value shows the normal state's (selected+highlighted falls back to selected first).
class Button : public Control {
public:
    static std::shared_ptr<Button> create(ButtonType type = ButtonType::Custom);
    static std::shared_ptr<Button> create(graphics::Rect frame);
    explicit Button(graphics::Rect frame = {}, ButtonType type = ButtonType::Custom);
    ~Button() override;

    const char* className() const override { return "Button"; }
    ButtonType buttonType() const { return m_type; }

    void setTitle(std::optional<std::string> title, ControlState state);
    std::optional<std::string> titleForState(ControlState state) const;
    void setTitleColor(std::optional<graphics::Color> color, ControlState state);
    std::optional<graphics::Color> titleColorForState(ControlState state) const;
    void setImage(std::shared_ptr<graphics::Image> image, ControlState state);
    std::shared_ptr<graphics::Image> imageForState(ControlState state) const;
    void setBackgroundImage(std::shared_ptr<graphics::Image> image, ControlState state);
    std::shared_ptr<graphics::Image> backgroundImageForState(ControlState state) const;

    std::optional<std::string> currentTitle() const;
    graphics::Color currentTitleColor() const;
    std::shared_ptr<graphics::Image> currentImage() const;
    std::shared_ptr<graphics::Image> currentBackgroundImage() const;

    // Made on first use; its font is the button's title font.
    std::shared_ptr<Label> titleLabel();
    std::shared_ptr<ImageView> imageView();

    graphics::EdgeInsets contentEdgeInsets() const { return m_contentInsets; }
    void setContentEdgeInsets(graphics::EdgeInsets insets);
    graphics::EdgeInsets titleEdgeInsets() const { return m_titleInsets; }
    void setTitleEdgeInsets(graphics::EdgeInsets insets);
    graphics::EdgeInsets imageEdgeInsets() const { return m_imageInsets; }
    void setImageEdgeInsets(graphics::EdgeInsets insets);
    ContentHorizontalAlignment contentHorizontalAlignment() const { return m_horizontal; }
    void setContentHorizontalAlignment(ContentHorizontalAlignment alignment);
    ContentVerticalAlignment contentVerticalAlignment() const { return m_vertical; }
    void setContentVerticalAlignment(ContentVerticalAlignment alignment);

    void setEnabled(bool enabled) override;
    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;

    void layoutSubviews() override;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    std::string automationText() const override { return currentTitle().value_or(""); }

private:
    template<class T> static const T* lookup(const std::map<uint32_t, T>& values, ControlState state);
    void refresh();
    graphics::Size titleSize() const;

    ButtonType m_type;
    std::map<uint32_t, std::string> m_titles;
    std::map<uint32_t, graphics::Color> m_titleColors;
    std::map<uint32_t, std::shared_ptr<graphics::Image>> m_images;
    std::map<uint32_t, std::shared_ptr<graphics::Image>> m_backgroundImages;
    std::shared_ptr<Label> m_titleLabel;
    std::shared_ptr<ImageView> m_imageView;
    std::shared_ptr<ImageView> m_backgroundView;
    graphics::EdgeInsets m_contentInsets;
    graphics::EdgeInsets m_titleInsets;
    graphics::EdgeInsets m_imageInsets;
    ContentHorizontalAlignment m_horizontal {ContentHorizontalAlignment::Center};
    ContentVerticalAlignment m_vertical {ContentVerticalAlignment::Center};
};

} // namespace ui
