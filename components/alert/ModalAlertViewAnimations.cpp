#include "components/alert/ModalAlertView.h"

#include "components/alert/ImageEffects.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Window.h"

using graphics::AffineTransform;
using graphics::Color;
using graphics::Rect;

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

void ModalAlertView::slideInFromBottom()
{
    auto protector = self();
    const Rect backdrop = m_backgroundView->frame();
    view()->setFrame({backdrop.minX(), backdrop.height(), backdrop.width(), backdrop.height()});
    ui::View::animate(
        kSlideDuration,
        [this] {
            const Rect frame = m_backgroundView->frame();
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setFrame({frame.minX(), 0, frame.width(), frame.height()});
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInFromTop()
{
    auto protector = self();
    const Rect backdrop = m_backgroundView->frame();
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
    auto protector = self();
    const Rect backdrop = m_backgroundView->frame();
    view()->setFrame({-backdrop.width(), backdrop.minY(), backdrop.width(), backdrop.height()});
    ui::View::animate(
        kSlideDuration,
        [this] {
            const Rect frame = m_backgroundView->frame();
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setFrame({0, frame.minY(), frame.width(), frame.height()});
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInFromRight()
{
    auto protector = self();
    const Rect backdrop = m_backgroundView->frame();
    view()->setFrame({backdrop.width(), backdrop.minY(), backdrop.width(), backdrop.height()});
    ui::View::animate(
        kSlideDuration,
        [this] {
            const Rect frame = m_backgroundView->frame();
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setFrame({0, frame.minY(), frame.width(), frame.height()});
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInFromCenter()
{
    auto protector = self();
    view()->setTransform(AffineTransform::identity().concatenated(AffineTransform::makeScale(3.0, 3.0)));
    view()->setAlpha(0);
    ui::View::animate(
        kSlideDuration,
        [this] {
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setTransform(
                AffineTransform::identity().concatenated(AffineTransform::makeScale(1.0, 1.0)));
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

void ModalAlertView::slideInToCenter()
{
    auto protector = self();
    view()->setTransform(AffineTransform::identity().concatenated(AffineTransform::makeScale(0.1, 0.1)));
    view()->setAlpha(0);
    ui::View::animate(
        kSlideDuration,
        [this] {
            m_backgroundView->setAlpha(m_backgroundOpacity);
            view()->setTransform(
                AffineTransform::identity().concatenated(AffineTransform::makeScale(1.0, 1.0)));
            view()->setAlpha(1);
        },
        [protector](bool) { protector->finishSlideIn(); });
}

// Hide animations.

void ModalAlertView::fadeOut()
{
    auto protector = self();
    ui::View::animate(
        kFadeDuration,
        [this] {
            m_backgroundView->setAlpha(0);
            view()->setAlpha(0);
        },
        [protector](bool) { protector->detach(); });
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

void ModalAlertView::slideOutToBottom()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] { view()->setFrame(view()->frame().offsetBy(0, m_backgroundView->frame().height())); },
        [protector](bool) { protector->fadeOut(); });
}

void ModalAlertView::slideOutToTop()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] { view()->setFrame(view()->frame().offsetBy(0, -m_backgroundView->frame().height())); },
        [protector](bool) { protector->fadeOut(); });
}

void ModalAlertView::slideOutToLeft()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] { view()->setFrame(view()->frame().offsetBy(-m_backgroundView->frame().width(), 0)); },
        [protector](bool) { protector->fadeOut(); });
}

void ModalAlertView::slideOutToRight()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] { view()->setFrame(view()->frame().offsetBy(m_backgroundView->frame().width(), 0)); },
        [protector](bool) { protector->fadeOut(); });
}

void ModalAlertView::slideOutToCenter()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] {
            view()->setTransform(
                AffineTransform::identity().concatenated(AffineTransform::makeScale(0.1, 0.1)));
            view()->setAlpha(0);
        },
        [protector](bool) { protector->fadeOut(); });
}

void ModalAlertView::slideOutFromCenter()
{
    auto protector = self();
    ui::View::animate(
        kSlideDuration,
        [this] {
            view()->setTransform(
                AffineTransform::identity().concatenated(AffineTransform::makeScale(3.0, 3.0)));
            view()->setAlpha(0);
        },
        [protector](bool) { protector->fadeOut(); });
}
