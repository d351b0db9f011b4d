#include "components/alert/ModalAlertView.h"

#include "platform/graphics/TextLayout.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

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

void ModalAlertView::viewWillLayoutSubviews()
{
    ui::ViewController::viewWillLayoutSubviews();

    Size size = mainScreenFrame().size;
    if (isModal() && !m_usingNewWindow)
        size = rootViewController()->view()->frame().size;
    if (systemIsOlderThan("8.0") && ui::isLandscape(ui::Application::shared().statusBarOrientation()))
        size = {size.height, size.width};

    if (m_usingNewWindow) {
        const double y = (size.height - m_windowHeight - kCircleHeight / 8) / 2;
        m_contentView->setFrame({(size.width - m_windowWidth) / 2, y, m_windowWidth, m_windowHeight});
        m_circleViewBackground->setFrame({(size.width - kCircleHeightBackground) / 2,
            y - kCircleHeightBackground * 0.6, kCircleHeightBackground, kCircleHeightBackground});
    } else {
        const Rect backdrop = m_backgroundView->frame();
        m_backgroundView->setFrame({backdrop.origin, size});
        auto alertView = view();
        double y = alertView->superview() ? (size.height - m_windowHeight) / 2 : -m_windowHeight;
        // A layout pass while the keyboard is up must not drop the alert back under it.
        if (m_keyboardIsVisible)
            y -= kKeyboardShift;
        alertView->setFrame({(size.width - m_windowWidth) / 2, y, m_windowWidth, m_windowHeight});
        m_contentView->setFrame({0, kCircleHeight / 4, m_windowWidth, m_windowHeight});
        m_circleViewBackground->setFrame({m_windowWidth / 2 - kCircleHeightBackground / 2, kCircleTopPosition,
            kCircleHeightBackground, kCircleHeightBackground});
    }

    const double iconOrigin = kCircleHeight / 2 - m_circleIconHeight / 2;
    m_circleIconImageView->setFrame({iconOrigin, iconOrigin, m_circleIconHeight, m_circleIconHeight});

    const bool titleSet = m_titleTextSet || !labelTitle()->text().empty();
    double y = (titleSet ? 74.0 : 36.0) + m_subTitleHeight + 14;
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
