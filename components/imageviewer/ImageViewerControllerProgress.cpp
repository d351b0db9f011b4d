#include "components/imageviewer/ImageViewerController.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/net/UrlSessionDataTask.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressView.h"

// The download's progress display, the long press with its copy menu, and the hints that tell a
// screen reader how the zoomable image is used.

std::optional<float> ImageViewerController::downloadProgress(
    int64_t received, int64_t expected, bool readingFromDisk)
{
    if (expected < 1 || readingFromDisk)
        return std::nullopt;
    return float(double(received) / double(expected));
}

// The timer holds the viewer until the download ends: the progress display outlives nothing.
void ImageViewerController::startProgressTimer()
{
    cancelProgressTimer();
    auto self = sharedAs<ImageViewerController>();
    m_downloadProgressTimer = foundation::Timer::create(
        kProgressTimerInterval, true, [self](foundation::Timer& timer) { self->progressTimerFired(timer); });
    auto& runLoop = foundation::RunLoop::main();
    runLoop.addTimer(m_downloadProgressTimer);
    m_downloadProgressTimer->setFireTime(runLoop.now());
}

void ImageViewerController::cancelProgressTimer()
{
    if (m_downloadProgressTimer)
        m_downloadProgressTimer->invalidate();
    m_downloadProgressTimer.reset();
}

void ImageViewerController::progressTimerFired(foundation::Timer&)
{
    if (!m_progressView)
        return; // the view loads with the presentation
    const auto& task = m_imageDownloadDataTask;
    auto progress = task ? downloadProgress(task->countOfBytesReceived(),
                        task->countOfBytesExpectedToReceive(), m_flags.imageIsBeingReadFromDisk)
                         : std::nullopt;
    if (progress) {
        auto spinner = m_spinner;
        auto bar = m_progressView;
        ui::View::animate(kProgressFadeDuration, 0,
            ui::AnimationOptions::BeginFromCurrentState | ui::AnimationOptions::CurveLinear,
            [&] {
                spinner->setAlpha(0);
                bar->setAlpha(1);
            },
            {});
    }
    m_progressView->setProgress(progress.value_or(0), false);
}

void ImageViewerController::imageLongPressed(ui::GestureRecognizer& recognizer)
{
    if (m_flags.scrollViewIsAnimatingAZoom || !m_image || recognizer.state() != ui::GestureState::Began)
        return;
    auto delegate = interactionsDelegate();
    if (!delegate)
        return;
    graphics::Point inView = recognizer.locationInView(view().get());
    delegate->imageViewerDidLongPress(*this, {inView.x, inView.y, 0, 0});
    if (!delegate->imageViewerAllowCopyToPasteboard(*this).value_or(false) || !m_imageView)
        return;
    graphics::Point inImage = recognizer.locationInView(m_imageView.get());
    // The menu asks the first responder what it offers: that must be the viewer, not whatever
    // field of the screen behind held the keyboard.
    becomeFirstResponder();
    auto& menu = ui::MenuController::sharedMenuController();
    menu.setTargetRect({inImage.x, inImage.y, 0, 0}, m_imageView.get());
    menu.setMenuVisible(true, true);
}

bool ImageViewerController::canBecomeFirstResponder() const
{
    return m_image != nullptr;
}

bool ImageViewerController::canPerformAction(ui::EditAction action, const ui::Responder*) const
{
    return m_image && action == ui::EditAction::Copy;
}

void ImageViewerController::copy(const ui::Responder*)
{
    if (m_image)
        ui::Pasteboard::generalPasteboard().setImage(m_image);
}

std::string ImageViewerController::accessibilityHintZoomedOut()
{
    auto delegate = accessibilityDelegate();
    auto answer = delegate ? delegate->accessibilityHintZoomedOutForImageViewer(*this) : std::nullopt;
    return answer ? *answer : defaultAccessibilityHintForScrollView(false);
}

std::string ImageViewerController::accessibilityHintZoomedIn()
{
    auto delegate = accessibilityDelegate();
    auto answer = delegate ? delegate->accessibilityHintZoomedInForImageViewer(*this) : std::nullopt;
    return answer ? *answer : defaultAccessibilityHintForScrollView(true);
}

std::string ImageViewerController::defaultAccessibilityHintForScrollView(bool zoomedIn)
{
    // Eight spaces lead and nine part the sentences, as a screen reader's pauses.
    if (zoomedIn)
        return "        Image is zoomed in."
               "         Pan around the image using three fingers."
               "         Double tap to dismiss this screen."
               "         Double tap and hold for more options."
               "         Triple tap the image to zoom out.";
    return "        Image is zoomed out."
           "         Double tap to dismiss this screen."
           "         Double tap and hold for more options."
           "         Triple tap the image to zoom in.";
}

std::string ImageViewerController::defaultAccessibilityLabelForScrollView()
{
    return "Full-Screen Image Viewer";
}
