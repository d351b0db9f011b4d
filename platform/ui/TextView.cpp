#include "platform/ui/TextView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Rect;
using graphics::Size;
using graphics::TextLayout;

std::shared_ptr<TextView> TextView::create(Rect frame)
{
    return std::make_shared<TextView>(frame);
}

TextView::TextView(Rect frame)
    : View(frame)
    , m_font(graphics::Font::systemFont(12))
{
    setClipsToBounds(true);
    setBackgroundColor(graphics::Color::white());
}

TextView::~TextView() = default;

void TextView::setText(std::string text)
{
    m_text = std::move(text);
    m_attributedFont.reset();
    m_attributedColor.reset();
    setNeedsDisplay();
}

AttributedText TextView::attributedText() const
{
    return {m_text, m_attributedFont.value_or(m_font), m_attributedColor.value_or(m_textColor)};
}

void TextView::setAttributedText(AttributedText text)
{
    m_text = std::move(text.text);
    m_attributedFont = std::move(text.font);
    m_attributedColor = text.color;
    setNeedsDisplay();
}

void TextView::setFont(graphics::Font font)
{
    m_font = std::move(font);
    setNeedsDisplay();
}

void TextView::setTextColor(graphics::Color color)
{
    m_textColor = color;
    setNeedsDisplay();
}

void TextView::setTextAlignment(graphics::TextAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable)
{
    m_editable = editable;
    if (!editable && isFirstResponder())
        resignFirstResponder();
}

void TextView::setContentInset(graphics::EdgeInsets insets)
{
    m_contentInset = insets;
    setNeedsDisplay();
}

void TextView::setTextContainerInset(graphics::EdgeInsets insets)
{
    m_containerInset = insets;
    setNeedsDisplay();
}

void TextView::setLineFragmentPadding(double padding)
{
    m_lineFragmentPadding = padding;
    setNeedsDisplay();
}

void TextView::setContentOffset(graphics::Point offset)
{
    Rect b = bounds();
    setBounds({offset.x, offset.y, b.width(), b.height()});
}

const graphics::Font& TextView::drawingFont() const
{
    return m_attributedFont ? *m_attributedFont : m_font;
}

double TextView::layoutWidth(double boundsWidth) const
{
    return std::max(
        0.0, boundsWidth - m_containerInset.left - m_containerInset.right - 2 * m_lineFragmentPadding);
}

double TextView::textHeight() const
{
    if (m_text.empty())
        return drawingFont().lineHeight();
    return TextLayout::boundingSize(m_text, drawingFont(), layoutWidth(bounds().width())).height;
}

Size TextView::contentSize() const
{
    return {bounds().width(), std::ceil(textHeight() + m_containerInset.top + m_containerInset.bottom)};
}

Size TextView::sizeThatFits(Size size) const
{
    double width = size.width > 0 ? size.width : bounds().width();
    double text = m_text.empty() ? drawingFont().lineHeight()
                                 : TextLayout::boundingSize(m_text, drawingFont(), layoutWidth(width)).height;
    return {width, std::ceil(text + m_containerInset.top + m_containerInset.bottom)};
}

void TextView::draw(graphics::GraphicsContext& context, Rect b)
{
    if (m_text.empty())
        return;
    // Content coordinates: the bounds' origin is the scroll offset, so drawing at the content
    // origin scrolls by itself.
    double x = m_containerInset.left + m_lineFragmentPadding;
    double y = m_containerInset.top;
    double width = layoutWidth(b.width());
    double height = textHeight();
    TextLayout::draw(context, m_text, drawingFont(), {x, y, width, height},
        m_attributedColor.value_or(m_textColor), m_alignment);
}

void TextView::willMoveToWindow(Window* newWindow)
{
    if (!newWindow && isFirstResponder())
        resignFirstResponder();
    View::willMoveToWindow(newWindow);
}

bool TextView::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    auto protector = sharedAs<TextView>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textViewShouldBeginEditing(*this).value_or(true))
        return false;
    Keyboard& keyboard = Keyboard::shared();
    keyboard.beginFocusSwitch();
    bool became = View::becomeFirstResponder();
    keyboard.endFocusSwitch(became);
    if (!became)
        return false;
    m_editing = true;
    if (delegate)
        delegate->textViewDidBeginEditing(*this);
    foundation::NotificationCenter::defaultCenter().post(kTextDidBeginEditingNotification, protector);
    keyboard.inputDidBecomeActive();
    setNeedsDisplay();
    return true;
}

bool TextView::resignFirstResponder()
{
    if (!isFirstResponder())
        return View::resignFirstResponder();
    auto protector = sharedAs<TextView>();
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textViewShouldEndEditing(*this).value_or(true))
        return false;
    if (!View::resignFirstResponder())
        return false;
    m_editing = false;
    if (delegate)
        delegate->textViewDidEndEditing(*this);
    foundation::NotificationCenter::defaultCenter().post(kTextDidEndEditingNotification, protector);
    Keyboard::shared().inputDidResign();
    setNeedsDisplay();
    return true;
}

void TextView::changed()
{
    auto protector = sharedAs<TextView>();
    setNeedsDisplay();
    if (auto delegate = m_delegate.lock())
        delegate->textViewDidChange(*this);
    foundation::NotificationCenter::defaultCenter().post(kTextDidChangeNotification, protector);
}

void TextView::insertText(const std::string& text)
{
    if (!m_editable || text.empty())
        return;
    m_text += text;
    changed();
}

void TextView::deleteBackward()
{
    if (!m_editable || m_text.empty())
        return;
    size_t i = m_text.size();
    while (i > 0 && (static_cast<unsigned char>(m_text[--i]) & 0xC0) == 0x80) { }
    m_text.erase(i);
    changed();
}

void TextView::returnKey()
{
    insertText("\n");
}

// A text view keeps its touches (it does not pass them up the chain).
void TextView::touchesBegan(const TouchSet&, const Event*)
{ }

void TextView::touchesEnded(const TouchSet& touches, const Event*)
{
    if (m_editable && !touches.empty() && bounds().contains(touches.front()->locationInView(this)))
        becomeFirstResponder();
}

} // namespace ui
