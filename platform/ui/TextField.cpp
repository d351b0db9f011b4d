#include "platform/ui/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;
using graphics::TextLayout;

namespace {

constexpr double kClearButtonSide = 19;
constexpr Color kPlaceholderColor = Color::white(0.7);
constexpr Color kCaretColor = Color::rgba(0, 122.0 / 255, 1);

// Bytes of the last UTF-8 code point of `text`.
size_t lastCodePointLength(const std::string& text)
{
    size_t i = text.size();
    while (i > 0) {
        --i;
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            break;
    }
    return text.size() - i;
}

size_t codePointCount(const std::string& text)
{
    return std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// A grey disc with a white cross, drawn once per scale.
std::shared_ptr<graphics::Image> clearButtonImage()
{
    static std::shared_ptr<graphics::Image> image;
    if (image)
        return image;
    double scale = 2;
    image = graphics::Image::create(int(kClearButtonSide * scale), int(kClearButtonSide * scale), scale);
    graphics::GraphicsContext context(*image);
    context.setFillColor(Color::white(0.7));
    context.fillEllipse({0, 0, kClearButtonSide, kClearButtonSide});
    context.setStrokeColor(Color::white());
    context.setLineWidth(1.5);
    double a = 6, b = kClearButtonSide - 6;
    context.moveTo({a, a});
    context.lineTo({b, b});
    context.moveTo({b, a});
    context.lineTo({a, b});
    context.strokePath();
    return image;
}

} // namespace

std::shared_ptr<TextField> TextField::create(Rect frame)
{
    return std::make_shared<TextField>(frame);
}

TextField::TextField(Rect frame)
    : Control(frame)
    , m_font(graphics::Font::systemFont(17))
{
    setOpaque(false);
}

TextField::~TextField() = default;

void TextField::setText(std::string text)
{
    m_text = std::move(text);
    setNeedsLayout();
    setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder)
{
    m_placeholder = std::move(placeholder);
    setNeedsDisplay();
}

void TextField::setFont(graphics::Font font)
{
    m_font = std::move(font);
    setNeedsDisplay();
}

void TextField::setTextColor(Color color)
{
    m_textColor = color;
    setNeedsDisplay();
}

void TextField::setTextAlignment(graphics::TextAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style)
{
    m_borderStyle = style;
    setNeedsLayout();
    setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure)
{
    m_secure = secure;
    setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode)
{
    m_clearButtonMode = mode;
    setNeedsLayout();
}

void TextField::setLeftView(std::shared_ptr<View> view)
{
    if (m_leftView)
        m_leftView->removeFromSuperview();
    m_leftView = std::move(view);
    if (m_leftView)
        addSubview(m_leftView);
    setNeedsLayout();
}

void TextField::setLeftViewMode(TextFieldViewMode mode)
{
    m_leftViewMode = mode;
    setNeedsLayout();
}

void TextField::setRightView(std::shared_ptr<View> view)
{
    if (m_rightView)
        m_rightView->removeFromSuperview();
    m_rightView = std::move(view);
    if (m_rightView)
        addSubview(m_rightView);
    setNeedsLayout();
}

void TextField::setRightViewMode(TextFieldViewMode mode)
{
    m_rightViewMode = mode;
    setNeedsLayout();
}

bool TextField::modeShows(TextFieldViewMode mode) const
{
    switch (mode) {
    case TextFieldViewMode::Never:
        return false;
    case TextFieldViewMode::WhileEditing:
        return m_editing;
    case TextFieldViewMode::UnlessEditing:
        return !m_editing;
    case TextFieldViewMode::Always:
        return true;
    }
    return false;
}

bool TextField::isClearButtonVisible() const
{
    return !m_text.empty() && modeShows(m_clearButtonMode);
}

std::string TextField::displayedText() const
{
    if (!m_secure)
        return m_text;
    std::string bullets;
    for (size_t i = 0, n = codePointCount(m_text); i < n; ++i)
        bullets += "\u2022";
    return bullets;
}

Rect TextField::clearButtonRect(Rect b) const
{
    double right = b.maxX() - 5;
    if (m_rightView && modeShows(m_rightViewMode))
        right = b.maxX() - m_rightView->frame().width();
    return {right - kClearButtonSide, b.minY() + (b.height() - kClearButtonSide) / 2, kClearButtonSide,
        kClearButtonSide};
}

Rect TextField::textRect(Rect b) const
{
    double inset = m_borderStyle == TextBorderStyle::RoundedRect ? 7
        : m_borderStyle == TextBorderStyle::None                 ? 0
                                                                 : 2;
    double left = b.minX() + inset, right = b.maxX() - inset;
    if (m_leftView && modeShows(m_leftViewMode))
        left = std::max(left, b.minX() + m_leftView->frame().width());
    if (m_rightView && modeShows(m_rightViewMode))
        right = std::min(right, b.maxX() - m_rightView->frame().width());
    if (isClearButtonVisible())
        right = std::min(right, clearButtonRect(b).minX() - 2);
    return {left, b.minY(), std::max(0.0, right - left), b.height()};
}

void TextField::layoutSubviews()
{
    Rect b = bounds();
    if (m_leftView) {
        m_leftView->setHidden(!modeShows(m_leftViewMode));
        Size size = m_leftView->frame().size;
        m_leftView->setFrame({b.minX(), b.minY() + (b.height() - size.height) / 2, size.width, size.height});
    }
    if (m_rightView) {
        m_rightView->setHidden(!modeShows(m_rightViewMode));
        Size size = m_rightView->frame().size;
        m_rightView->setFrame(
            {b.maxX() - size.width, b.minY() + (b.height() - size.height) / 2, size.width, size.height});
    }
    if (isClearButtonVisible() && !m_clearButton) {
        m_clearButton = Button::create(ButtonType::Custom);
        m_clearButton->setImage(clearButtonImage(), ControlState::Normal);
        m_clearButton->setAccessibilityLabel("Clear text");
        std::weak_ptr<TextField> weak = sharedAs<TextField>();
        m_clearButton->addAction(ControlEvents::TouchUpInside, [weak](Control&) {
            if (auto self = weak.lock())
                self->clearTapped();
        });
        addSubview(m_clearButton);
    }
    if (m_clearButton) {
        m_clearButton->setHidden(!isClearButtonVisible());
        m_clearButton->setFrame(clearButtonRect());
    }
}

bool TextField::canBecomeFirstResponder() const
{
    return isEnabled();
}

void TextField::willMoveToWindow(Window* newWindow)
{
    if (!newWindow && isFirstResponder())
        resignFirstResponder();
    Control::willMoveToWindow(newWindow);
}

bool TextField::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    auto protector = sharedAs<TextField>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldBeginEditing(*this).value_or(true))
        return false;
    Keyboard& keyboard = Keyboard::shared();
    keyboard.beginFocusSwitch();
    bool became = Control::becomeFirstResponder();
    keyboard.endFocusSwitch(became);
    if (!became)
        return false;
    m_editing = true;
    if (m_clearsOnBeginEditing)
        m_text.clear();
    if (delegate)
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEvents::EditingDidBegin);
    foundation::NotificationCenter::defaultCenter().post(kTextDidBeginEditingNotification, protector);
    keyboard.inputDidBecomeActive();
    setNeedsLayout();
    setNeedsDisplay();
    return true;
}

bool TextField::resignFirstResponder()
{
    if (!isFirstResponder())
        return Control::resignFirstResponder();
    auto protector = sharedAs<TextField>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldEndEditing(*this).value_or(true))
        return false;
    if (!Control::resignFirstResponder())
        return false;
    m_editing = false;
    if (delegate)
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEvents::EditingDidEnd);
    foundation::NotificationCenter::defaultCenter().post(kTextDidEndEditingNotification, protector);
    Keyboard::shared().inputDidResign();
    setNeedsLayout();
    setNeedsDisplay();
    return true;
}

bool TextField::replace(TextRange range, const std::string& replacement)
{
    range.location = std::min(range.location, m_text.size());
    range.length = std::min(range.length, m_text.size() - range.location);
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->textFieldShouldChangeCharacters(*this, range, replacement).value_or(true))
            return false;
    }
    m_text.replace(range.location, range.length, replacement);
    textChanged();
    return true;
}

void TextField::textChanged()
{
    auto protector = sharedAs<TextField>();
    setNeedsLayout();
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEvents::EditingChanged);
    foundation::NotificationCenter::defaultCenter().post(kTextDidChangeNotification, protector);
}

void TextField::insertText(const std::string& typed)
{
    // The simulated keyboard has only the keys of the field's keyboard type.
    std::string text = Keyboard::typeableText(m_keyboardType, typed);
    // A line end in typed text is the return key: a text field holds one line.
    size_t newline = text.find_first_of("\r\n");
    if (newline == std::string::npos) {
        if (!text.empty())
            replace({m_text.size(), 0}, text);
        return;
    }
    if (newline > 0)
        replace({m_text.size(), 0}, text.substr(0, newline));
    returnKey();
}

void TextField::deleteBackward()
{
    if (m_text.empty())
        return;
    size_t length = lastCodePointLength(m_text);
    replace({m_text.size() - length, length}, "");
}

void TextField::returnKey()
{
    auto protector = sharedAs<TextField>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldReturn(*this).value_or(true))
        return;
    // As on the platform, the keyboard closes on return only when something listens for it.
    bool listens = actionCount(ControlEvents::EditingDidEndOnExit) > 0;
    sendActionsForControlEvents(ControlEvents::EditingDidEndOnExit);
    if (listens && isFirstResponder())
        resignFirstResponder();
}

void TextField::clearTapped()
{
    auto protector = sharedAs<TextField>();
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->textFieldShouldClear(*this).value_or(true))
            return;
    }
    if (!m_editing && !becomeFirstResponder())
        return;
    if (m_text.empty())
        return;
    m_text.clear();
    textChanged();
}

void TextField::touchesEnded(const TouchSet& touches, const Event* event)
{
    bool wasTracking = isTracking();
    Control::touchesEnded(touches, event);
    if (wasTracking && !touches.empty() && bounds().contains(touches.front()->locationInView(this)))
        becomeFirstResponder();
}

void TextField::draw(graphics::GraphicsContext& context, Rect b)
{
    switch (m_borderStyle) {
    case TextBorderStyle::RoundedRect:
        context.setFillColor(Color::white());
        context.addRoundedRect(b.insetBy(0.25, 0.25), 5);
        context.fillPath();
        context.setStrokeColor(Color::white(0.8));
        context.setLineWidth(0.5);
        context.addRoundedRect(b.insetBy(0.25, 0.25), 5);
        context.strokePath();
        break;
    case TextBorderStyle::Line:
    case TextBorderStyle::Bezel:
        context.setStrokeColor(m_borderStyle == TextBorderStyle::Line ? Color::black() : Color::white(0.5));
        context.setLineWidth(1);
        context.strokeRect(b.insetBy(0.5, 0.5));
        break;
    case TextBorderStyle::None:
        break;
    }

    Rect area = textRect(b);
    bool showPlaceholder = m_text.empty();
    std::string shown = showPlaceholder ? m_placeholder : displayedText();
    double lineHeight = m_font.lineHeight();
    Rect line {area.minX(), area.minY() + (area.height() - lineHeight) / 2, area.width(), lineHeight};
    if (!shown.empty()) {
        TextLayout::draw(context, shown, m_font, line, showPlaceholder ? kPlaceholderColor : m_textColor,
            m_alignment, 1, graphics::LineBreakMode::TruncateTail);
    }
    if (m_editing) {
        double width = showPlaceholder ? 0 : std::min(area.width(), TextLayout::lineWidth(shown, m_font));
        double x = area.minX() + width;
        if (m_alignment == graphics::TextAlignment::Center)
            x = area.midX() + width / 2;
        else if (m_alignment == graphics::TextAlignment::Right)
            x = area.maxX();
        context.fillRect({x, line.minY() + 1, 2, std::max(0.0, lineHeight - 2)}, kCaretColor);
    }
}

} // namespace ui
