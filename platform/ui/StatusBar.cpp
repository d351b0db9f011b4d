#include "platform/ui/StatusBar.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

#include <chrono>
#include <ctime>

namespace ui {

namespace {

std::string timeOfDay()
{
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local {};
    localtime_r(&now, &local);
    char text[8];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

} // namespace

std::shared_ptr<StatusBar> StatusBar::create()
{
    auto bar = std::make_shared<StatusBar>();
    bar->addSubview(bar->m_time);
    bar->update();
    return bar;
}

StatusBar::StatusBar()
    : View({0, 0, Screen::kPhoneSize.width, kHeight})
    , m_time(Label::create())
{
    setOpaque(false);
    setUserInteractionEnabled(false);
    m_time->setFont(graphics::Font::boldSystemFont(12));
    m_time->setTextAlignment(graphics::TextAlignment::Center);
}

graphics::Color StatusBar::contentColor() const
{
    return Application::shared().statusBarStyle() == StatusBarStyle::LightContent ? graphics::Color::white()
                                                                                  : graphics::Color::black();
}

graphics::AffineTransform StatusBar::barTransform() const
{
    graphics::AffineTransform turn = graphics::AffineTransform::makeRotation(m_angle);
    return m_slidUp ? graphics::AffineTransform::makeTranslation(0, -kHeight).concatenated(turn) : turn;
}

void StatusBar::update()
{
    // Before system 8.0 the screen keeps its portrait size and the interface turns inside it.
    InterfaceOrientation turn = Application::shared().interfaceOrientationInScreen();
    graphics::Size screen = Screen::mainScreen().bounds().size;
    m_angle = rotationAngle(turn);
    graphics::Size interface = screen;
    if (isLandscape(turn))
        interface = {screen.height, screen.width};
    graphics::Point fromMiddle = graphics::AffineTransform::makeRotation(m_angle).apply(
        graphics::Point {0, kHeight / 2 - interface.height / 2});
    performWithoutAnimation([&] {
        if (bounds().size != graphics::Size {interface.width, kHeight})
            setBounds({0, 0, interface.width, kHeight});
        setCenter(graphics::Point {screen.width / 2, screen.height / 2} + fromMiddle);
        if (!layer().hasAnimations())
            setTransform(barTransform());
        m_time->setFrame({interface.width / 2 - 40, 0, 80, kHeight});
        m_time->setTextColor(contentColor());
        std::string time = timeOfDay();
        if (m_time->text() != time)
            m_time->setText(time);
    });
}

void StatusBar::setBarHidden(bool hidden, StatusBarAnimation animation)
{
    m_barHidden = hidden;
    update();
    // The slide keeps the bar opaque and moves it above the top edge; the fade keeps it in place.
    m_slidUp = hidden && animation == StatusBarAnimation::Slide;
    auto changes = [&] {
        setTransform(barTransform());
        setAlpha(hidden && animation != StatusBarAnimation::Slide ? 0 : 1);
    };
    if (animation == StatusBarAnimation::None)
        performWithoutAnimation(changes);
    else
        animate(kAnimationDuration, 0, AnimationOptions::BeginFromCurrentState, changes, [](bool) {});
}

void StatusBar::draw(graphics::GraphicsContext& context, graphics::Rect rect)
{
    graphics::Color color = contentColor();
    context.setFillColor(color);
    context.setStrokeColor(color);
    // Five signal dots, the last two hollow.
    for (int i = 0; i < 5; ++i) {
        graphics::Rect dot {6.0 + i * 6.5, 7, 5.5, 5.5};
        context.beginPath();
        context.addEllipse(dot);
        if (i < 3) {
            context.fillPath();
        } else {
            context.setLineWidth(1);
            context.strokePath();
        }
    }
    // A battery three quarters full, with its terminal.
    double right = rect.maxX() - 6;
    graphics::Rect body {right - 27, 5.5, 24, 10};
    context.setLineWidth(1);
    context.beginPath();
    context.addRoundedRect(body.insetBy(0.5, 0.5), 2);
    context.strokePath();
    context.fillRect({body.maxX() + 0.5, 8.5, 2, 4}, color);
    context.fillRect({body.minX() + 2, body.minY() + 2, (body.width() - 4) * 0.75, body.height() - 4}, color);
}

std::string StatusBar::automationText() const
{
    return m_time->text();
}

} // namespace ui
