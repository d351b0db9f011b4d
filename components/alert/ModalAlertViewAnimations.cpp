#include "components/alert/ModalAlertView.h"

#include "components/alert/ImageEffects.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Window.h"

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kSlideDuration = 0.3;
constexpr double kSettleDuration = 0.2;
constexpr double kFadeDuration = 0.3;

} // namespace

// Backdrops.

void ModalAlertView::setBackground()
{
    switch (m_backgroundType) {
    case 0:
        makeShadowBackground();
        break;
    case 1:
        makeBlurBackground();
        break;
    case 2:
        makeTransparentBackground();
        break;
    default:
        break;
    }
}

void ModalAlertView::makeShadowBackground()
{
    m_backgroundView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_backgroundView->setBackgroundColor(Color::black());
    m_backgroundView->setAlpha(0.7);
    m_backgroundOpacity = 0.7;
}

void ModalAlertView::makeBlurBackground()
{
    std::shared_ptr<ui::View> source;
    if (m_usingNewWindow) {
        if (auto key = ui::Application::shared().keyWindow(); key && !key->subviews().empty())
            source = key->subviews().back();
    } else if (auto host = rootViewController()) {
        source = host->view();
    }
    std::shared_ptr<graphics::Image> blurred;
    if (source) {
        // Taken once, when the alert is shown.
        if (auto picture = ImageEffects::convertViewToImage(*source))
            blurred = ImageEffects::applyBlurWithRadius(*picture, 5, Color::white(0.2, 0.7), 1.8);
    }
    m_backgroundView->setImage(blurred);
    m_backgroundView->setAlpha(0);
    m_backgroundOpacity = 1.0;
}

void ModalAlertView::makeTransparentBackground()
{
    m_backgroundView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_backgroundView->setBackgroundColor(Color::clear());
    m_backgroundView->setAlpha(0);
    m_backgroundOpacity = 1.0;
}

// Show animations.

void ModalAlertView::showView()
{
    switch (m_showAnimationType) {
    case 0:
        fadeIn();
        break;
    case 1:
        slideInFromBottom();
        break;
    case 2:
        slideInFromTop();
        break;
    case 3:
        slideInFromLeft();
        break;
    case 4:
        slideInFromRight();
        break;
    case 5:
        slideInFromCenter();
        break;
    case 6:
        slideInToCenter();
        break;
    default:
        break;
    }
}

void ModalAlertView::fadeIn()
{
    auto protector = self();
    m_backgroundView->setAlpha(0);
    view()->setAlpha(0);
    ui::View::animate(
        kFadeDuration, 0, ui::AnimationOptions::CurveEaseIn,
        [this] {
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setAlpha(1);
        },
        [protector](bool) {});
}

// The edge slide-ins end by settling the view's centre on the backdrop's.
void ModalAlertView::finishSlideIn()
{
    auto protector = self();
    ui::View::animate(kSettleDuration,
        [protector] { protector->view()->setCenter(protector->m_backgroundView->center()); });
}

void ModalAlertView::slideIn(Point from, Point to)
{
    auto protector = self();
    const Size size = m_backgroundView->frame().size;
    view()->setFrame({from, size});
    ui::View::animate(
        kSlideDuration,
        [this, to, size] {
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setFrame({to, size});
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInFromBottom()
{
    const Rect backdrop = m_backgroundView->frame();
    slideIn({backdrop.minX(), backdrop.height()}, {backdrop.minX(), 0});
}

void ModalAlertView::slideInFromTop()
{
    const Rect backdrop = m_backgroundView->frame();
    if (ui::Device::compareVersions(ui::Device::currentDevice().systemVersion(), "7.0") < 0) {
        slideIn({backdrop.minX(), -backdrop.height()}, {backdrop.minX(), 0});
        return;
    }
    auto protector = self();
    view()->setFrame({backdrop.minX(), -backdrop.height(), backdrop.width(), backdrop.height()});
    ui::View::animateWithSpring(
        0.5, 0, 0.6, 0.5, ui::AnimationOptions::None,
        [this] {
            const Rect frame = m_backgroundView->frame();
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setFrame({frame.minX(), 0, frame.width(), frame.height()});
            view()->setAlpha(1);
        },
        [protector](bool) {});
}

void ModalAlertView::slideInFromLeft()
{
    const Rect backdrop = m_backgroundView->frame();
    slideIn({-backdrop.width(), backdrop.minY()}, {0, backdrop.minY()});
}

void ModalAlertView::slideInFromRight()
{
    const Rect backdrop = m_backgroundView->frame();
    slideIn({backdrop.width(), backdrop.minY()}, {0, backdrop.minY()});
}

// Grows (from a scale above 1: shrinks) into place while fading in.
void ModalAlertView::scaleIn(double fromScale)
{
    auto protector = self();
    view()->setTransform(restingTransform().scaled(fromScale, fromScale));
    view()->setAlpha(0);
    ui::View::animate(
        kSlideDuration,
        [this] {
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setTransform(restingTransform());
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInFromCenter()
{
    scaleIn(3.0);
}

void ModalAlertView::slideInToCenter()
{
    scaleIn(0.1);
}

// Hide animations.

void ModalAlertView::fadeOut()
{
    auto protector = self();
    const uint64_t shown = m_showCount;
    ui::View::animate(
        kFadeDuration,
        [this] {
            m_backgroundView->setAlpha(0);
            view()->setAlpha(0);
        },
        [protector, shown](bool) {
            // Shown again meanwhile: the new message stays up.
            if (protector->m_showCount == shown)
                protector->detach();
        });
}

void ModalAlertView::detach()
{
    auto protector = self();
    m_backgroundView->removeFromSuperview();
    if (m_usingNewWindow) {
        m_modalAlertWindow = nullptr;
    } else {
        view()->removeFromSuperview();
        removeFromParentViewController();
    }
}

// The edge slide-outs move the view off by (dx, dy), then fade.
void ModalAlertView::slideOutBy(double dx, double dy)
{
    auto protector = self();
    const uint64_t shown = m_showCount;
    ui::View::animate(
        kSlideDuration, [this, dx, dy] { view()->setFrame(view()->frame().offsetBy(dx, dy)); },
        [protector, shown](bool) {
            if (protector->m_showCount == shown)
                protector->fadeOut();
        });
}

void ModalAlertView::slideOutToBottom()
{
    slideOutBy(0, m_backgroundView->frame().height());
}

void ModalAlertView::slideOutToTop()
{
    slideOutBy(0, -m_backgroundView->frame().height());
}

void ModalAlertView::slideOutToLeft()
{
    slideOutBy(-m_backgroundView->frame().width(), 0);
}

void ModalAlertView::slideOutToRight()
{
    slideOutBy(m_backgroundView->frame().width(), 0);
}

// Shrinks (to a scale above 1: grows) while fading, then fades the backdrop.
void ModalAlertView::scaleOut(double toScale)
{
    auto protector = self();
    const uint64_t shown = m_showCount;
    ui::View::animate(
        kSlideDuration,
        [this, toScale] {
            view()->setTransform(restingTransform().scaled(toScale, toScale));
            view()->setAlpha(0);
        },
        [protector, shown](bool) {
            if (protector->m_showCount == shown)
                protector->fadeOut();
        });
}

void ModalAlertView::slideOutToCenter()
{
    scaleOut(0.1);
}

void ModalAlertView::slideOutFromCenter()
{
    scaleOut(3.0);
}
