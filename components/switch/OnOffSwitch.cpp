#include "components/switch/OnOffSwitch.h"

#include "platform/graphics/BezierPath.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"

using graphics::Color;
using graphics::Rect;

namespace {

// The colour components are single-precision values.
constexpr Color rgbaFloat(float r, float g, float b, float a = 1)
{
    return Color::rgba(r, g, b, a);
}

constexpr Color kActiveColor = rgbaFloat(0.89f, 0.89f, 0.89f);
constexpr Color kOnTintColor = rgbaFloat(0.3f, 0.85f, 0.39f);
constexpr Color kBorderColor = rgbaFloat(0.89f, 0.89f, 0.91f);

constexpr auto kAnimationOptions
    = ui::AnimationOptions::CurveEaseOut | ui::AnimationOptions::BeginFromCurrentState;

Color orClear(const std::optional<Color>& color)
{
    return color.value_or(Color::clear());
}

} // namespace

std::shared_ptr<OnOffSwitch> OnOffSwitch::create()
{
    return create(kDefaultFrame);
}

std::shared_ptr<OnOffSwitch> OnOffSwitch::create(Rect frame)
{
    // The set-up adds subviews, which needs the switch to be shared already.
    auto made = std::make_shared<OnOffSwitch>(Token {}, frame.isEmpty() ? kDefaultFrame : frame);
    made->setUp();
    return made;
}

OnOffSwitch::OnOffSwitch(Token, Rect frame)
    : ui::Control(frame)
    , m_labelFont(graphics::Font::systemFont(12))
{ }

void OnOffSwitch::setUp()
{
    // The views do not exist yet: these setters only store.
    m_onFontColor = Color::white();
    m_offFontColor = Color::lightGray();
    m_labelFont = graphics::Font::systemFont(12);
    setOn(false);
    setIsRounded(true);
    setInactiveColor(Color::clear());
    setActiveColor(kActiveColor);
    setOnTintColor(kOnTintColor);
    setBorderColor(kBorderColor);
    setThumbTintColor(Color::white());
    setShadowColor(Color::gray());
    m_currentVisualValue = false;

    const double w = bounds().width();
    const double h = bounds().height();
    m_background = ui::View::create({0, 0, w, h});
    m_background->setBackgroundColor(Color::clear());
    m_background->layer().setCornerRadius(h / 2);
    m_background->layer().setBorderColor(orClear(m_borderColor));
    m_background->layer().setBorderWidth(1);
    m_background->setUserInteractionEnabled(false);
    m_background->setClipsToBounds(true);
    addSubview(m_background);

    m_onImageView = ui::ImageView::create({0, 0, w - h, h});
    m_onImageView->setAlpha(0);
    m_onImageView->setContentMode(ui::ContentMode::Left);
    m_background->addSubview(m_onImageView);
    m_offImageView = ui::ImageView::create({h, 0, w - h, h});
    m_offImageView->setAlpha(1);
    m_offImageView->setContentMode(ui::ContentMode::Right);
    m_background->addSubview(m_offImageView);

    m_onLabel = ui::Label::create({0, 0, w - h, h});
    // Hidden like the on image: an off switch must not show its on text over the off text.
    m_onLabel->setAlpha(0);
    m_onLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_background->addSubview(m_onLabel);
    m_offLabel = ui::Label::create({h, 0, w - h, h});
    m_offLabel->setFont(m_labelFont);
    m_offLabel->setTextColor(orClear(m_offFontColor));
    m_offLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_background->addSubview(m_offLabel);

    m_knob = ui::View::create({1, 1, h, h});
    m_knob->setBackgroundColor(m_thumbTintColor);
    m_knob->layer().setCornerRadius(h / 2 - 1);
    m_knob->layer().setShadowColor(m_shadowColor);
    m_knob->layer().setShadowRadius(2);
    m_knob->layer().setShadowOpacity(0.5);
    m_knob->layer().setShadowOffset({0, 3});
    m_knob->layer().setShadowPath(graphics::BezierPath::roundedRect({0, 0, h, h}, h / 2 - 1));
    m_knob->setClipsToBounds(false);
    m_knob->setUserInteractionEnabled(false);
    addSubview(m_knob);

    m_isAnimating = false;
}

double OnOffSwitch::trackRadius(double height) const
{
    return m_isRounded ? height / 2 : 2;
}

double OnOffSwitch::knobRadius(double height) const
{
    return m_isRounded ? height / 2 - 1 : 2;
}

void OnOffSwitch::setOn(bool on, bool animated)
{
    m_on = on;
    if (on)
        showOn(animated);
    else
        showOff(animated);
}

void OnOffSwitch::setInactiveColor(OptionalColor color)
{
    m_inactiveColor = color;
    if (m_background && !m_on && !isTracking())
        m_background->setBackgroundColor(color);
}

void OnOffSwitch::setOnTintColor(OptionalColor color)
{
    m_onTintColor = color;
    if (m_background && m_on && !isTracking()) {
        m_background->setBackgroundColor(color);
        m_background->layer().setBorderColor(orClear(color));
    }
}

void OnOffSwitch::setBorderColor(OptionalColor color)
{
    m_borderColor = color;
    if (m_background && !m_on)
        m_background->layer().setBorderColor(orClear(color));
}

void OnOffSwitch::setThumbTintColor(OptionalColor color)
{
    m_thumbTintColor = color;
    if (m_knob)
        m_knob->setBackgroundColor(color);
}

void OnOffSwitch::setShadowColor(OptionalColor color)
{
    m_shadowColor = color;
    if (m_knob)
        m_knob->layer().setShadowColor(color);
}

void OnOffSwitch::setIsRounded(bool rounded)
{
    m_isRounded = rounded;
    if (!m_background)
        return;
    const double h = bounds().height();
    m_background->layer().setCornerRadius(trackRadius(h));
    m_knob->layer().setCornerRadius(knobRadius(h));
    m_knob->layer().setShadowPath(graphics::BezierPath::roundedRect(m_knob->bounds(), knobRadius(h)));
}

void OnOffSwitch::setOnImage(std::shared_ptr<graphics::Image> image)
{
    m_onImage = std::move(image);
    m_onImageView->setImage(m_onImage);
}

void OnOffSwitch::setOffImage(std::shared_ptr<graphics::Image> image)
{
    m_offImage = std::move(image);
    m_offImageView->setImage(m_offImage);
}

void OnOffSwitch::setOnText(std::optional<std::string> text)
{
    m_onText = std::move(text);
    if (m_onLabel)
        m_onLabel->setText(m_onText.value_or(""));
}

void OnOffSwitch::setOffText(std::optional<std::string> text)
{
    m_offText = std::move(text);
    if (m_offLabel)
        m_offLabel->setText(m_offText.value_or(""));
}

void OnOffSwitch::layoutSubviews()
{
    ui::Control::layoutSubviews();
    if (m_onLabel) {
        m_onLabel->setFont(m_labelFont);
        m_onLabel->setTextColor(orClear(m_onFontColor));
    }
    if (m_offLabel) {
        m_offLabel->setFont(m_labelFont);
        m_offLabel->setTextColor(orClear(m_offFontColor));
    }
    if (m_isAnimating)
        return;

    const double w = frame().width();
    const double h = frame().height();
    const double k = h - 2;
    m_background->setFrame({0, 0, w, h});
    m_background->layer().setCornerRadius(trackRadius(h));
    m_onImageView->setFrame({0, 0, w - h, h});
    m_offImageView->setFrame({h, 0, w - h, h});
    if (m_onLabel)
        m_onLabel->setFrame({0, 0, w - h, h});
    if (m_offLabel)
        m_offLabel->setFrame({h, 0, w - h, h});
    m_knob->setFrame(m_on ? Rect {w - k - 1, 1, k, k} : Rect {1, 1, k, k});
    m_knob->layer().setCornerRadius(knobRadius(h));
}

void OnOffSwitch::animateChanges(bool animated, const std::function<void()>& changes)
{
    if (!animated) {
        changes();
        return;
    }
    m_isAnimating = true;
    std::weak_ptr<OnOffSwitch> weakSelf = sharedAs<OnOffSwitch>();
    ui::View::animate(kAnimationDuration, 0, kAnimationOptions, changes, [weakSelf](bool) {
        if (auto self = weakSelf.lock())
            self->m_isAnimating = false;
    });
}

void OnOffSwitch::applySide(bool on)
{
    const double w = bounds().width();
    const double k = bounds().height() - 2;
    const double width = isTracking() ? k + kKnobStretch : k;
    Rect knob = m_knob->frame();
    knob.origin.x = on ? w - width - 1 : 1;
    knob.size.width = width;
    m_knob->setFrame(knob);
    if (on) {
        m_background->setBackgroundColor(m_onTintColor);
        m_background->layer().setBorderColor(orClear(m_onTintColor));
    } else {
        m_background->setBackgroundColor(isTracking() ? m_activeColor : m_inactiveColor);
        m_background->layer().setBorderColor(orClear(m_borderColor));
    }
    const double onAlpha = on ? 1 : 0;
    m_onImageView->setAlpha(onAlpha);
    if (m_onLabel)
        m_onLabel->setAlpha(onAlpha);
    m_offImageView->setAlpha(1 - onAlpha);
    if (m_offLabel)
        m_offLabel->setAlpha(1 - onAlpha);
}

void OnOffSwitch::showOn(bool animated)
{
    // The set-up stores the value before the views exist.
    if (m_knob)
        animateChanges(animated, [this] { applySide(true); });
    m_currentVisualValue = true;
}

void OnOffSwitch::showOff(bool animated)
{
    if (m_knob)
        animateChanges(animated, [this] { applySide(false); });
    m_currentVisualValue = false;
}

bool OnOffSwitch::beginTracking(const ui::Touch& touch, const ui::Event* event)
{
    ui::Control::beginTracking(touch, event);
    m_startTrackingValue = m_on;
    m_didChangeWhileTracking = false;
    const double wide = bounds().height() - 2 + kKnobStretch;
    animateChanges(true, [this, wide] {
        Rect knob = m_knob->frame();
        if (m_on) {
            knob.origin.x = bounds().width() - 1 - wide;
            knob.size.width = wide;
            m_knob->setFrame(knob);
            m_background->setBackgroundColor(m_onTintColor);
        } else {
            knob.size.width = wide;
            m_knob->setFrame(knob);
            m_background->setBackgroundColor(m_activeColor);
        }
    });
    return true;
}

bool OnOffSwitch::continueTracking(const ui::Touch& touch, const ui::Event* event)
{
    ui::Control::continueTracking(touch, event);
    const graphics::Point point = touch.locationInView(this);
    if (point.x > bounds().width() / 2) {
        showOn(true);
        if (!m_startTrackingValue)
            m_didChangeWhileTracking = true;
    } else {
        showOff(true);
        if (m_startTrackingValue)
            m_didChangeWhileTracking = true;
    }
    return true;
}

void OnOffSwitch::endTracking(const ui::Touch* touch, const ui::Event* event)
{
    ui::Control::endTracking(touch, event);
    const bool previous = m_on;
    auto protector = sharedAs<OnOffSwitch>();
    if (m_didChangeWhileTracking)
        setOn(m_currentVisualValue, true);
    else
        setOn(!m_on, true);
    if (m_on != previous)
        sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
}

void OnOffSwitch::cancelTracking(const ui::Event* event)
{
    ui::Control::cancelTracking(event);
    if (m_on)
        showOn(true);
    else
        showOff(true);
}
