#include "platform/ui/Button.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

// The platform's default tint, used by system buttons.
constexpr Color kSystemTint = Color::rgba(0, 122.0 / 255, 1);

uint32_t key(ControlState state)
{
    return static_cast<uint32_t>(state);
}

} // namespace

std::shared_ptr<Button> Button::create(ButtonType type)
{
    return std::make_shared<Button>(Rect {}, type);
}
std::shared_ptr<Button> Button::create(Rect frame)
{
    return std::make_shared<Button>(frame, ButtonType::Custom);
}

Button::Button(Rect frame, ButtonType type)
    : Control(frame)
    , m_type(type)
{
    setOpaque(false);
}

Button::~Button() = default;

template<class T> const T* Button::lookup(const std::map<uint32_t, T>& values, ControlState state)
{
    if (auto it = values.find(key(state)); it != values.end())
        return &it->second;
    if (any(state & ControlState::Selected)) {
        if (auto it = values.find(key(ControlState::Selected)); it != values.end())
            return &it->second;
    }
    if (auto it = values.find(key(ControlState::Normal)); it != values.end())
        return &it->second;
    return nullptr;
}

void Button::setTitle(std::optional<std::string> title, ControlState state)
{
    if (title)
        m_titles[key(state)] = std::move(*title);
    else
        m_titles.erase(key(state));
    refresh();
}

std::optional<std::string> Button::titleForState(ControlState state) const
{
    if (auto* value = lookup(m_titles, state))
        return *value;
    return std::nullopt;
}

void Button::setTitleColor(std::optional<Color> color, ControlState state)
{
    if (color)
        m_titleColors[key(state)] = *color;
    else
        m_titleColors.erase(key(state));
    refresh();
}

std::optional<Color> Button::titleColorForState(ControlState state) const
{
    if (auto* value = lookup(m_titleColors, state))
        return *value;
    return std::nullopt;
}

void Button::setImage(std::shared_ptr<Image> image, ControlState state)
{
    if (image)
        m_images[key(state)] = std::move(image);
    else
        m_images.erase(key(state));
    refresh();
}

std::shared_ptr<Image> Button::imageForState(ControlState state) const
{
    auto* value = lookup(m_images, state);
    return value ? *value : nullptr;
}

void Button::setBackgroundImage(std::shared_ptr<Image> image, ControlState state)
{
    if (image)
        m_backgroundImages[key(state)] = std::move(image);
    else
        m_backgroundImages.erase(key(state));
    refresh();
}

std::shared_ptr<Image> Button::backgroundImageForState(ControlState state) const
{
    auto* value = lookup(m_backgroundImages, state);
    return value ? *value : nullptr;
}

std::optional<std::string> Button::currentTitle() const
{
    return titleForState(state());
}
std::shared_ptr<Image> Button::currentImage() const
{
    return imageForState(state());
}
std::shared_ptr<Image> Button::currentBackgroundImage() const
{
    return backgroundImageForState(state());
}

Color Button::currentTitleColor() const
{
    ControlState s = state();
    if (auto exact = m_titleColors.find(key(s)); exact != m_titleColors.end())
        return exact->second;
    Color base = titleColorForState(s).value_or(m_type == ButtonType::System ? kSystemTint : Color::white());
    if (m_type == ButtonType::System) {
        // System buttons dim their title while pressed and grey it out while disabled, unless the
        // state has a colour of its own.
        if (any(s & ControlState::Disabled))
            return Color::white(0.56);
        if (any(s & ControlState::Highlighted))
            return base.withAlpha(base.a * 0.2);
    }
    return base;
}

std::shared_ptr<Label> Button::titleLabel()
{
    if (!m_titleLabel) {
        m_titleLabel = Label::create();
        m_titleLabel->setFont(graphics::Font::systemFont(15));
        m_titleLabel->setTextAlignment(graphics::TextAlignment::Center);
        m_titleLabel->setLineBreakMode(graphics::LineBreakMode::TruncateMiddle);
        addSubview(m_titleLabel);
        refresh();
    }
    return m_titleLabel;
}

std::shared_ptr<ImageView> Button::imageView()
{
    if (!m_imageView) {
        m_imageView = ImageView::create();
        m_imageView->setContentMode(ContentMode::Center);
        addSubview(m_imageView);
        refresh();
    }
    return m_imageView;
}

void Button::refresh()
{
    auto title = currentTitle();
    if (title && !m_titleLabel) {
        titleLabel();
        return;
    }
    if (m_titleLabel) {
        m_titleLabel->setText(title.value_or(""));
        m_titleLabel->setTextColor(currentTitleColor());
    }
    auto image = currentImage();
    if (image && !m_imageView) {
        imageView();
        return;
    }
    if (m_imageView)
        m_imageView->setImage(image);
    auto background = currentBackgroundImage();
    if (background && !m_backgroundView) {
        m_backgroundView = ImageView::create();
        insertSubview(m_backgroundView, 0);
    }
    if (m_backgroundView)
        m_backgroundView->setImage(background);
    setNeedsLayout();
    setNeedsDisplay();
}

void Button::setContentEdgeInsets(graphics::EdgeInsets insets)
{
    m_contentInsets = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(graphics::EdgeInsets insets)
{
    m_titleInsets = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(graphics::EdgeInsets insets)
{
    m_imageInsets = insets;
    setNeedsLayout();
}

void Button::setContentHorizontalAlignment(ContentHorizontalAlignment alignment)
{
    m_horizontal = alignment;
    setNeedsLayout();
}

void Button::setContentVerticalAlignment(ContentVerticalAlignment alignment)
{
    m_vertical = alignment;
    setNeedsLayout();
}

void Button::setEnabled(bool enabled)
{
    Control::setEnabled(enabled);
    refresh();
}

void Button::setSelected(bool selected)
{
    Control::setSelected(selected);
    refresh();
}

void Button::setHighlighted(bool highlighted)
{
    Control::setHighlighted(highlighted);
    refresh();
}

Size Button::titleSize() const
{
    if (!m_titleLabel || m_titleLabel->text().empty())
        return {};
    return m_titleLabel->sizeThatFits({0, 0});
}

void Button::layoutSubviews()
{
    Rect content = bounds().insetBy(m_contentInsets);
    if (m_backgroundView)
        m_backgroundView->setFrame(bounds());
    Size imageSize = m_imageView && m_imageView->image() ? m_imageView->image()->size() : Size {};
    Size textSize = titleSize();
    textSize.width = std::min(textSize.width, std::max(0.0, content.width() - imageSize.width));

    auto placeX = [&](double width, double slack) {
        switch (m_horizontal) {
        case ContentHorizontalAlignment::Left:
            return content.minX();
        case ContentHorizontalAlignment::Right:
            return content.maxX() - width;
        default:
            return content.minX() + slack / 2;
        }
    };
    auto placeY = [&](double height) {
        switch (m_vertical) {
        case ContentVerticalAlignment::Top:
            return content.minY();
        case ContentVerticalAlignment::Bottom:
            return content.maxY() - height;
        case ContentVerticalAlignment::Fill:
            return content.minY();
        default:
            return content.minY() + (content.height() - height) / 2;
        }
    };
    double total = imageSize.width + textSize.width;
    if (m_horizontal == ContentHorizontalAlignment::Fill && !m_imageView)
        textSize.width = content.width(), total = content.width();
    double x = placeX(total, content.width() - total);
    if (m_vertical == ContentVerticalAlignment::Fill) {
        imageSize.height = m_imageView ? content.height() : imageSize.height;
        textSize.height = content.height();
    }
    if (m_imageView) {
        Rect frame {x, placeY(imageSize.height), imageSize.width, imageSize.height};
        frame = frame.offsetBy(
            m_imageInsets.left - m_imageInsets.right, m_imageInsets.top - m_imageInsets.bottom);
        m_imageView->setFrame(frame);
    }
    if (m_titleLabel) {
        Rect frame {x + imageSize.width, placeY(textSize.height), textSize.width, textSize.height};
        // Insets shift the title; on a centred title each side counts half, as on the platform.
        double factor = m_horizontal == ContentHorizontalAlignment::Center ? 0.5 : 1.0;
        double vfactor = m_vertical == ContentVerticalAlignment::Center ? 0.5 : 1.0;
        frame = frame.offsetBy((m_titleInsets.left - m_titleInsets.right) * factor,
            (m_titleInsets.top - m_titleInsets.bottom) * vfactor);
        m_titleLabel->setFrame(frame);
    }
}

Size Button::sizeThatFits(Size) const
{
    Size image = currentImage() ? currentImage()->size() : Size {};
    Size text = titleSize();
    double width = image.width + text.width + m_contentInsets.left + m_contentInsets.right;
    double height = std::max(image.height, text.height) + m_contentInsets.top + m_contentInsets.bottom;
    if (auto background = currentBackgroundImage()) {
        width = std::max(width, background->size().width);
        height = std::max(height, background->size().height);
    }
    return {std::ceil(width), std::ceil(height)};
}

} // namespace ui
