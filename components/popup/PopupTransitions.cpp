#include "components/popup/Popup.h"

#include "platform/graphics/AffineTransform.h"

// The ten ways in and the ten ways out of the popup's box.

using graphics::AffineTransform;
using graphics::Rect;

namespace {

constexpr double kSide = Popup::kBoxSide;
constexpr double kSlide = 0.125;

AffineTransform scale(double s)
{
    return AffineTransform::makeScale(s, s);
}

struct Geometry {
    double width, height, cx, cy;
};

// The screen as the interface stands: the popup covers it.
Geometry geometry(const Rect& screen)
{
    return {screen.width(), screen.height(), screen.width() / 2 - kSide / 2, screen.height() / 2 - kSide / 2};
}

Rect box(double x, double y)
{
    return {x, y, kSide, kSide};
}

void ease(double duration, std::function<void()> animations, ui::View::Completion completion)
{
    ui::View::animate(duration, std::move(animations), std::move(completion));
}

void spring(double duration, double damping, double velocity, std::function<void()> animations,
    ui::View::Completion completion)
{
    ui::View::animateWithSpring(duration, 0, damping, velocity, ui::AnimationOptions::None,
        std::move(animations), std::move(completion));
}

} // namespace

void Popup::configureIncomingAnimationFor(uint64_t transition)
{
    auto view = m_popupView;
    std::weak_ptr<Popup> weakSelf = sharedAs<Popup>();
    auto appeared = [weakSelf](bool) {
        if (auto self = weakSelf.lock()) {
            if (auto delegate = self->delegate())
                delegate->popupDidAppear(*self);
        }
    };
    Geometry g = geometry(bounds());
    Rect centred = box(g.cx, g.cy);
    auto slideFrom = [&](Rect start, double duration) {
        ui::View::performWithoutAnimation([&] { view->setFrame(start); });
        ease(
            duration, [view, centred] { view->setFrame(centred); }, appeared);
    };
    auto fadeIn = [&](AffineTransform from, double duration) {
        ui::View::performWithoutAnimation([&] {
            view->setAlpha(0);
            view->setTransform(from);
        });
        ease(
            duration,
            [view] {
                view->setTransform(AffineTransform::identity());
                view->setAlpha(1);
            },
            appeared);
    };
    switch (transition) {
    case 1:
        ui::View::performWithoutAnimation([&] { view->setTransform(scale(0.4)); });
        spring(
            0.35, 0.55, 1.0, [view] { view->setTransform(AffineTransform::identity()); }, appeared);
        break;
    case 2:
        slideFrom(box(-kSide, g.cy), kSlide);
        break;
    case 3:
        slideFrom(box(g.cx, -kSide), kSlide);
        break;
    case 4:
        slideFrom(box(g.cx, g.height + kSide), kSlide);
        break;
    case 5:
        slideFrom(box(g.width + kSide, g.cy), kSlide);
        break;
    case 6:
        fadeIn(scale(0.75), 0.25);
        break;
    case 7:
        ui::View::performWithoutAnimation([&] { view->setAlpha(0); });
        ease(
            0.05, [view] { view->setAlpha(1); }, appeared);
        break;
    case 8:
        ui::View::performWithoutAnimation([&] { view->setFrame(box(g.cx, -kSide)); });
        spring(
            0.4, 0.55, 0.9, [view, centred] { view->setFrame(centred); }, appeared);
        break;
    case 9:
        ui::View::performWithoutAnimation([&] { view->setAlpha(0); });
        ui::View::animate(
            0.5, 0, ui::AnimationOptions::CurveLinear, [view] { view->setAlpha(1); }, appeared);
        break;
    case 10:
        fadeIn(scale(1.25), 0.25);
        break;
    default:
        break;
    }
}

void Popup::configureOutgoingAnimationFor(uint64_t transition, PopupButtonType type)
{
    if (auto background = m_backgroundView)
        ui::View::animate(0.175, [background] { background->setAlpha(0); });
    auto view = m_popupView;
    // The popup stays alive through its own way out.
    auto self = sharedAs<Popup>();
    ui::View::Completion ended = [self, type](bool) { self->endWithButtonType(type); };
    Geometry g = geometry(bounds());
    auto slideTo = [&](Rect end) {
        ease(
            kSlide, [view, end] { view->setFrame(end); }, ended);
    };
    auto fadeOut = [&](double s, double duration) {
        ease(
            duration,
            [view, s] {
                view->setTransform(scale(s));
                view->setAlpha(0);
            },
            ended);
    };
    switch (transition) {
    case 1:
        spring(
            0.1, 0.55, 1.0, [view] { view->setTransform(scale(1.15)); },
            [view, ended](bool) {
                ease(
                    0.1, [view] { view->setTransform(scale(0.75)); }, ended);
            });
        break;
    case 2:
        slideTo(box(-kSide, g.cy));
        break;
    case 3:
        slideTo(box(g.cx, -kSide));
        break;
    case 4:
        slideTo(box(g.cx, g.height + kSide));
        break;
    case 5:
        slideTo(box(g.width + kSide, g.cy));
        break;
    case 6:
        fadeOut(0.75, 0.2);
        break;
    case 7:
        fadeOut(0.65, 0.25);
        break;
    case 8: {
        // A button press closes the keyboard first, which sends a lifted box back towards the
        // centre; the spring takes over from where the box is shown, so it still springs back.
        ui::View::performWithoutAnimation([view] { view->setCenter(view->layer().presentation().position); });
        Rect below = box(g.cx, g.height + kSide);
        spring(
            0.1, 0.24, 0.9, [view, g] { view->setFrame(box(g.cx, g.cy)); },
            [view, below, ended](bool) {
                ease(
                    0.35, [view, below] { view->setFrame(below); }, ended);
            });
        break;
    }
    case 9:
        ui::View::animate(
            0.5, 0, ui::AnimationOptions::CurveLinear, [view] { view->setAlpha(0); }, ended);
        break;
    case 10:
        fadeOut(1.25, 0.25);
        break;
    default:
        break;
    }
}
