#include "components/alert/ModalAlertView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/TextLayout.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>

using graphics::Rect;
using graphics::Size;

namespace {

// An app extension runs from a bundle whose executable path contains ".appex/".
bool runsInAppExtension()
{
    static const bool inExtension = [] {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        return !error && executable.string().find(".appex/") != std::string::npos;
    }();
    return inExtension;
}

bool systemIsOlderThan(const char* version)
{
    return ui::Device::compareVersions(ui::Device::currentDevice().systemVersion(), version) < 0;
}

} // namespace

graphics::Rect ModalAlertView::mainScreenFrame() const
{
    if (runsInAppExtension())
        return m_extensionBounds;
    return ui::Screen::mainScreen().bounds();
}

bool ModalAlertView::isModal() const
{
    auto host = rootViewController();
    return host && host->presentingViewController() != nullptr;
}

void ModalAlertView::measureBodyText()
{
    const double width = m_windowWidth - kMargin * 2;
    const ui::AttributedText attributed = m_viewText->attributedText();
    const graphics::Font font
        = m_attributedFormatBlock && attributed.font ? *attributed.font : m_viewText->font();
    const std::string& text = m_attributedFormatBlock ? attributed.text : m_viewText->text();
    const double measured = graphics::TextLayout::boundingSize(text, font, width).height;
    const double height = std::ceil(static_cast<float>(measured));
    m_windowHeight += height - m_subTitleHeight;
    m_subTitleHeight = height;
    m_viewText->setFrame({kMargin, m_subTitleY, width, m_subTitleHeight});
}

graphics::Size ModalAlertView::layoutSize() const
{
    Size size = mainScreenFrame().size;
    if (isModal() && !m_usingNewWindow)
        size = rootViewController()->view()->frame().size;
    // Before 8.0 the screen reads upright while the interface is turned. A host view inside the
    // turned interface has taken the turned size already, and swapping it would turn it back.
    if (systemIsOlderThan("8.0") && ui::isLandscape(ui::Application::shared().statusBarOrientation())
        && size.height > size.width)
        size = {size.height, size.width};
    return size;
}

double ModalAlertView::controlsTop() const
{
    const bool titleSet = m_titleTextSet || !labelTitle()->text().empty();
    return (titleSet ? 74.0 : 36.0) + m_subTitleHeight + 14;
}

double ModalAlertView::controlsBottom() const
{
    double y = controlsTop() + kTextFieldStep * double(m_inputs.size());
    for (const auto& button : m_buttons)
        y += button->frame().height() + 10;
    return y - 10;
}

// Centred, unless that would cut the card at the bottom of the area (a turned, flat host): then
// moved up just enough. A card taller than the area keeps its text fields and buttons on it, the
// first one before the last.
double ModalAlertView::restingCardTop(Size size) const
{
    double top = m_usingNewWindow ? (size.height - m_windowHeight - kCircleHeight / 8) / 2
                                  : (size.height - m_windowHeight) / 2 + kCircleHeight / 4;
    if (m_windowHeight <= size.height)
        return std::min(top, size.height - m_windowHeight);
    const double first = controlsTop(), last = controlsBottom();
    if (last < first)
        return top;
    top = std::min(top, size.height - last);
    return std::max(top, -first);
}

// 120 points, or less where that would lift the first text field above the top of the area, as it
// does in landscape, where a turned flat host leaves little room above the keyboard.
double ModalAlertView::keyboardLift(double cardTop) const
{
    return std::clamp(cardTop + controlsTop(), 0.0, kKeyboardShift);
}

// Up as the interface stands: the own window's view is turned before 8.0.
void ModalAlertView::moveUp(double distance)
{
    auto alertView = view();
    const Size up = alertView->transform().apply(Size {0, -distance});
    alertView->setCenter({alertView->center().x + up.width, alertView->center().y + up.height});
}

graphics::AffineTransform ModalAlertView::restingTransform() const
{
    if (!m_usingNewWindow)
        return graphics::AffineTransform::identity();
    return graphics::AffineTransform::makeRotation(
        ui::rotationAngle(ui::Application::shared().interfaceOrientationInScreen()));
}

void ModalAlertView::observeInterfaceTurns()
{
    if (m_observesTurns)
        return;
    m_observesTurns = true;
    std::weak_ptr<ModalAlertView> weakSelf = self();
    foundation::NotificationCenter::defaultCenter().addObserver(weakSelf,
        ui::Application::kDidChangeStatusBarOrientationNotification,
        [weakSelf](const foundation::Notification&) {
            if (auto alert = weakSelf.lock())
                alert->interfaceDidTurn();
        });
}

// The alert's own view keeps its size when a hosted alert's host turns, so nothing would lay it
// out again: the turn does, along with the platform's own turn.
void ModalAlertView::interfaceDidTurn()
{
    if (!view()->superview())
        return;
    auto protector = self();
    ui::View::animate(
        ui::Application::kRotationDuration, 0, ui::AnimationOptions::BeginFromCurrentState,
        [this] {
            view()->setNeedsLayout();
            view()->layoutIfNeeded();
        },
        [protector](bool) {});
}

void ModalAlertView::viewWillLayoutSubviews()
{
    ui::ViewController::viewWillLayoutSubviews();

    const Size size = layoutSize();
    auto alertView = view();
    if (m_usingNewWindow) {
        const double y = restingCardTop(size);
        m_contentView->setFrame({(size.width - m_windowWidth) / 2, y, m_windowWidth, m_windowHeight});
        m_circleViewBackground->setFrame({(size.width - kCircleHeightBackground) / 2,
            y - kCircleHeightBackground * 0.6, kCircleHeightBackground, kCircleHeightBackground});
        if (m_modalAlertWindow) {
            // A turned window (8.0) leaves a backdrop that does not follow its size behind.
            const Rect screen = m_modalAlertWindow->bounds();
            m_backgroundView->setFrame(screen);
            // A turn puts the view back in the middle of the window; the keyboard keeps it lifted.
            if (m_keyboardIsVisible && alertView->superview() == m_modalAlertWindow) {
                m_keyboardLift = keyboardLift(y);
                alertView->setCenter(screen.center());
                moveUp(m_keyboardLift);
            }
        }
    } else {
        const Rect backdrop = m_backgroundView->frame();
        m_backgroundView->setFrame({backdrop.origin, size});
        const double cardOffset = kCircleHeight / 4;
        double y = -m_windowHeight;
        if (alertView->superview())
            y = restingCardTop(size) - cardOffset;
        // A layout pass while the keyboard is up must not drop the alert back under it.
        if (m_keyboardIsVisible) {
            m_keyboardLift = alertView->superview() ? keyboardLift(y + cardOffset) : kKeyboardShift;
            y -= m_keyboardLift;
        }
        alertView->setFrame({(size.width - m_windowWidth) / 2, y, m_windowWidth, m_windowHeight});
        m_contentView->setFrame({0, cardOffset, m_windowWidth, m_windowHeight});
        m_circleViewBackground->setFrame({m_windowWidth / 2 - kCircleHeightBackground / 2, kCircleTopPosition,
            kCircleHeightBackground, kCircleHeightBackground});
    }

    const double iconOrigin = kCircleHeight / 2 - m_circleIconHeight / 2;
    m_circleIconImageView->setFrame({iconOrigin, iconOrigin, m_circleIconHeight, m_circleIconHeight});

    double y = controlsTop();
    for (const auto& field : m_inputs) {
        field->setFrame({kMargin, y, m_windowWidth - kMargin * 2, kTextFieldHeight});
        field->layer().setCornerRadius(3);
        y += kTextFieldStep;
    }
    for (const auto& button : m_buttons) {
        const Size own = button->frame().size;
        button->setFrame({kMargin, y, own.width, own.height});
        button->layer().setCornerRadius(3);
        y += own.height + 10;
    }
}
