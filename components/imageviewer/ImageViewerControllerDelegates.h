#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>

class ImageViewerController;
namespace ui {
class View;
}

// The viewer's five delegates. Every operation but imageViewerDidDismiss is optional: an answer
// of std::nullopt means "not implemented", and the viewer's default applies.

class ImageViewerControllerDismissalDelegate {
public:
    virtual ~ImageViewerControllerDismissalDelegate() = default;
    // After every dismissal has ended; the last message of the viewer's life.
    virtual void imageViewerDidDismiss(ImageViewerController& viewer) = 0;
};

class ImageViewerControllerOptionsDelegate {
public:
    virtual ~ImageViewerControllerOptionsDelegate() = default;
    virtual std::optional<bool> imageViewerShouldFadeThumbnailsDuringPresentationAndDismissal(
        ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<double> alphaForBackgroundDimmingOverlayInImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<double> backgroundBlurRadiusForImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<graphics::Color> backgroundColorImageViewInImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<graphics::Font> fontForAltTextInImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<graphics::Color> accentColorForAltTextInImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
};

class ImageViewerControllerInteractionsDelegate {
public:
    virtual ~ImageViewerControllerInteractionsDelegate() = default;
    // Returns whether it handled the long press (false: not implemented).
    virtual bool imageViewerDidLongPress(ImageViewerController&, graphics::Rect rect)
    {
        (void)rect;
        return false;
    }
    virtual std::optional<bool> imageViewerShouldTemporarilyIgnoreTouches(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> imageViewerAllowCopyToPasteboard(ImageViewerController&)
    {
        return std::nullopt;
    }
};

class ImageViewerControllerAccessibilityDelegate {
public:
    virtual ~ImageViewerControllerAccessibilityDelegate() = default;
    virtual std::optional<std::string> accessibilityHintZoomedInForImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
    virtual std::optional<std::string> accessibilityHintZoomedOutForImageViewer(ImageViewerController&)
    {
        return std::nullopt;
    }
};

// Told around the viewer's own animations, so that the delegate's changes can animate along
// (the "animate" calls arrive inside the animation block).
class ImageViewerControllerAnimationDelegate {
public:
    virtual ~ImageViewerControllerAnimationDelegate() = default;
    virtual void imageViewerWillBeginPresentation(ImageViewerController&, ui::View& containerView)
    {
        (void)containerView;
    }
    virtual void imageViewerWillAnimatePresentation(
        ImageViewerController&, ui::View& containerView, double duration)
    {
        (void)containerView, (void)duration;
    }
    virtual void imageViewerWillAdjustInterfaceForZoomScale(
        ImageViewerController&, double zoomScale, ui::View& containerView, double duration)
    {
        (void)zoomScale, (void)containerView, (void)duration;
    }
    virtual void imageViewerWillBeginDismissal(ImageViewerController&, ui::View& containerView)
    {
        (void)containerView;
    }
    virtual void imageViewerWillAnimateDismissal(
        ImageViewerController&, ui::View& containerView, double duration)
    {
        (void)containerView, (void)duration;
    }
};
