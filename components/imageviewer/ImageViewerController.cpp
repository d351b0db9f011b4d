#include "components/imageviewer/ImageViewerController.h"

#include "components/imageviewer/ImageViewerDownloader.h"
#include "components/imageviewer/ImageViewerLayout.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/net/UrlSessionDataTask.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/DynamicAnimator.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TextView.h"

using graphics::Rect;
using graphics::Size;

std::shared_ptr<ImageViewerController> ImageViewerController::create(
    std::shared_ptr<ImageViewerInfo> imageInfo, int64_t mode, int64_t backgroundStyle)
{
    auto viewer = std::make_shared<ImageViewerController>(std::move(imageInfo), mode, backgroundStyle);
    std::weak_ptr<ImageViewerController> weak = viewer;
    // The half turns reach the viewer only through the notification.
    ui::Device::currentDevice().beginGeneratingDeviceOrientationNotifications();
    foundation::NotificationCenter::defaultCenter().addObserver(
        weak, ui::Device::kOrientationDidChangeNotification, [weak](const foundation::Notification&) {
            if (auto self = weak.lock())
                self->deviceOrientationDidChange();
        });
    if (viewer->m_mode == Image)
        viewer->setupImageAndDownloadIfNecessary(viewer->m_imageInfo);
    return viewer;
}

ImageViewerController::ImageViewerController(
    std::shared_ptr<ImageViewerInfo> imageInfo, int64_t mode, int64_t backgroundStyle)
    : m_imageInfo(imageInfo ? std::move(imageInfo) : ImageViewerInfo::create())
    , m_mode(mode)
    , m_backgroundOptions(backgroundStyle)
{
    setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
}

ImageViewerController::~ImageViewerController()
{
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    ui::Device::currentDevice().endGeneratingDeviceOrientationNotifications();
    if (m_imageDownloadDataTask)
        m_imageDownloadDataTask->cancel();
    cancelProgressTimer();
}

// Image and download

void ImageViewerController::setupImageAndDownloadIfNecessary(const std::shared_ptr<ImageViewerInfo>& info)
{
    if (info->image) {
        m_image = info->image;
        return;
    }
    m_image = info->placeholderImage;
    m_flags.imageIsBeingReadFromDisk = net::UrlSessionDataTask::isFileUrl(info->imageURL);
    // The completion keeps the viewer alive until the download has ended.
    auto self = sharedAs<ImageViewerController>();
    m_imageDownloadDataTask = ImageViewerDownloader::downloadImageForURL(
        info->imageURL, info->canonicalImageURL, [self](std::shared_ptr<graphics::Image> image) {
            self->cancelProgressTimer();
            if (image) {
                if (self->isViewLoaded())
                    self->updateInterfaceWithImage(image);
                else
                    self->m_image = image;
                return;
            }
            if (self->m_image)
                return; // the placeholder stays
            self->m_flags.imageDownloadFailed = true;
            if (self->m_flags.isPresented && !self->m_flags.isAnimatingAPresentationOrDismissal)
                self->dismiss(true);
        });
    startProgressTimer();
}

// Options

double ImageViewerController::alphaForBackgroundDimmingOverlay()
{
    auto delegate = options();
    auto answer = delegate ? delegate->alphaForBackgroundDimmingOverlayInImageViewer(*this) : std::nullopt;
    return answer.value_or(kDefaultDimmingAlpha);
}

double ImageViewerController::backgroundBlurRadius()
{
    auto delegate = options();
    auto answer = delegate ? delegate->backgroundBlurRadiusForImageViewer(*this) : std::nullopt;
    return answer.value_or(kDefaultBlurRadius);
}

graphics::Color ImageViewerController::backgroundColorForImageView()
{
    auto delegate = options();
    auto answer = delegate ? delegate->backgroundColorImageViewInImageViewer(*this) : std::nullopt;
    return answer.value_or(graphics::Color::clear());
}

bool ImageViewerController::shouldFadeThumbnails()
{
    auto delegate = options();
    return delegate
        && delegate->imageViewerShouldFadeThumbnailsDuringPresentationAndDismissal(*this).value_or(false);
}

// Views

void ImageViewerController::loadView()
{
    setView(ui::View::create(ui::Screen::mainScreen().bounds()));
}

void ImageViewerController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    if (m_mode == Image)
        viewDidLoadForImageMode();
    else if (m_mode == AltText)
        viewDidLoadForAltTextMode();
}

Rect ImageViewerController::referenceRectInView()
{
    const auto& info = *m_imageInfo;
    Rect inWindow = info.referenceView ? info.referenceView->convertRectToView(info.referenceRect, nullptr)
                                       : info.referenceRect;
    return view()->convertRectFromView(inWindow, nullptr);
}

// The black view of both modes with the dimming layer, larger than the screen so that no edge
// shows while it turns.
void ImageViewerController::setupContainerAndBackdrop()
{
    auto container = view();
    container->setBackgroundColor(graphics::Color::black());
    container->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_blackBackdrop = ui::View::create(container->bounds().insetBy(-512, -512));
    m_blackBackdrop->setBackgroundColor(graphics::Color::black());
    m_blackBackdrop->setAlpha(0);
    container->addSubview(m_blackBackdrop);
}

void ImageViewerController::viewDidLoadForImageMode()
{
    auto container = view();
    setupContainerAndBackdrop();

    m_scrollView = ui::ScrollView::create(container->bounds());
    m_scrollView->setDelegate(sharedAs<ImageViewerController>());
    m_scrollView->setZoomScale(1.0);
    m_scrollView->setMaximumZoomScale(8.0);
    m_scrollView->setScrollEnabled(false);
    m_scrollView->setIsAccessibilityElement(true);
    // Nothing else names the viewer: its title or alt text, else "image", so that assistive
    // technology and automation can find it.
    if (container->accessibilityLabel().empty())
        container->setAccessibilityLabel(
            m_imageInfo->displayableTitleAltTextSummary().value_or(kAccessibilityLabel));
    m_scrollView->setAccessibilityLabel(container->accessibilityLabel());
    m_scrollView->setAccessibilityHint(accessibilityHintZoomedOut());
    container->addSubview(m_scrollView);

    m_imageView = ui::ImageView::create(referenceRectInView());
    m_imageView->layer().setCornerRadius(m_imageInfo->referenceCornerRadius);
    m_imageView->setContentMode(ui::ContentMode::AspectFill);
    m_imageView->setUserInteractionEnabled(true);
    m_imageView->setIsAccessibilityElement(false);
    m_imageView->setClipsToBounds(true);
    if (shouldFadeThumbnails())
        m_imageView->setAlpha(0);

    setupImageModeGestureRecognizers();

    m_progressContainer = ui::View::create({0, 0, 128, 128});
    m_progressContainer->setOpaque(false);
    container->addSubview(m_progressContainer);
    m_progressView = ui::ProgressView::create();
    m_progressView->setProgress(0);
    m_progressView->setTintColor(graphics::Color::white());
    m_progressView->setTrackTintColor(graphics::Color::white(0.333));
    Rect progressFrame = m_progressView->frame();
    m_progressView->setFrame({progressFrame.origin.x, progressFrame.origin.y, 128, progressFrame.height()});
    m_progressView->setCenter({64, 64});
    m_progressView->setAlpha(0);
    m_progressContainer->addSubview(m_progressView);
    m_spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    m_spinner->setCenter({64, 64});
    m_spinner->startAnimating();
    m_progressContainer->addSubview(m_spinner);
    m_progressContainer->setAlpha(0);

    m_animator = ui::DynamicAnimator::create(m_scrollView);

    if (m_image)
        updateInterfaceWithImage(m_image);
}

void ImageViewerController::viewDidLoadForAltTextMode()
{
    auto container = view();
    setupContainerAndBackdrop();

    bool pad = ui::Device::currentDevice().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
    m_textView = ui::TextView::create(container->bounds().insetBy(pad ? 80 : 40, 0));
    m_textView->setDelegate(sharedAs<ImageViewerController>());
    m_textView->setTextColor(graphics::Color::white());
    m_textView->setBackgroundColor(graphics::Color::clear());
    m_textView->setOpaque(false);
    auto delegate = options();
    auto font = delegate ? delegate->fontForAltTextInImageViewer(*this) : std::nullopt;
    m_textView->setFont(font.value_or(graphics::Font::systemFont(21)));
    m_textView->setText(m_imageInfo->displayableTitleAltTextSummary().value_or(""));
    if (auto accent = delegate ? delegate->accentColorForAltTextInImageViewer(*this) : std::nullopt)
        m_textView->setTintColor(*accent);
    m_textView->setTextAlignment(graphics::TextAlignment::Center);
    m_textView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_textView->setEditable(false);
    container->addSubview(m_textView);

    setupTextViewTapGestureRecognizer();
}

void ImageViewerController::setupImageModeGestureRecognizers()
{
    std::weak_ptr<ImageViewerController> weak = sharedAs<ImageViewerController>();
    auto action = [weak](void (ImageViewerController::*handler)(ui::GestureRecognizer&)) {
        return [weak, handler](ui::GestureRecognizer& recognizer) {
            if (auto self = weak.lock())
                (self.get()->*handler)(recognizer);
        };
    };
    auto doubleTap = ui::TapGestureRecognizer::create(action(&ImageViewerController::imageDoubleTapped));
    doubleTap->setNumberOfTapsRequired(2);
    m_doubleTapperPhoto = doubleTap;
    m_longPresserPhoto
        = ui::LongPressGestureRecognizer::create(action(&ImageViewerController::imageLongPressed));
    m_singleTapperPhoto = ui::TapGestureRecognizer::create(action(&ImageViewerController::imageSingleTapped));
    m_singleTapperPhoto->requireGestureRecognizerToFail(m_doubleTapperPhoto);
    m_singleTapperPhoto->requireGestureRecognizerToFail(m_longPresserPhoto);
    m_panRecognizer = ui::PanGestureRecognizer::create(
        action(&ImageViewerController::dismissingPanGestureRecognizerPanned));
    for (const auto& recognizer :
        {m_singleTapperPhoto, m_doubleTapperPhoto, m_longPresserPhoto, m_panRecognizer})
        recognizer->setDelegate(weak);
    view()->addGestureRecognizer(m_singleTapperPhoto);
    view()->addGestureRecognizer(m_doubleTapperPhoto);
    view()->addGestureRecognizer(m_longPresserPhoto);
    m_scrollView->addGestureRecognizer(m_panRecognizer);
}

void ImageViewerController::setupTextViewTapGestureRecognizer()
{
    std::weak_ptr<ImageViewerController> weak = sharedAs<ImageViewerController>();
    m_singleTapperText = ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer& recognizer) {
        if (auto self = weak.lock())
            self->textViewSingleTapped(recognizer);
    });
    m_singleTapperText->setDelegate(weak);
    m_textView->addGestureRecognizer(m_singleTapperText);
}

// Life cycle

void ImageViewerController::viewDidLayoutSubviews()
{
    updateLayoutsForCurrentOrientation();
}

void ImageViewerController::viewWillAppear(bool animated)
{
    ui::ViewController::viewWillAppear(animated);
    auto orientation = ui::Application::shared().statusBarOrientation();
    if (m_lastUsedOrientation != orientation) {
        m_lastUsedOrientation = orientation;
        m_flags.rotationTransformIsDirty = true;
        updateLayoutsForCurrentOrientation();
    }
}

void ImageViewerController::viewDidAppear(bool animated)
{
    ui::ViewController::viewDidAppear(animated);
    m_flags.viewHasAppeared = true;
}

uint32_t ImageViewerController::supportedInterfaceOrientations() const
{
    if (m_flags.viewHasAppeared)
        return ui::Device::currentDevice().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad
            ? ui::OrientationMask::All
            : ui::OrientationMask::AllButUpsideDown;
    auto orientation = ui::Application::shared().statusBarOrientation();
    // A status bar that reports no orientation still needs an answer: portrait.
    if (orientation == ui::InterfaceOrientation::Unknown)
        return ui::OrientationMask::Portrait;
    return 1u << unsigned(orientation);
}

bool ImageViewerController::shouldAutorotate() const
{
    return !m_flags.isAnimatingAPresentationOrDismissal;
}

bool ImageViewerController::prefersStatusBarHidden() const
{
    if (m_flags.isPresented || m_flags.isTransitioningFromInitialModalToInteractiveState)
        return true;
    return m_startingInfo.statusBarHiddenPriorToPresentation;
}

ui::StatusBarStyle ImageViewerController::preferredStatusBarStyle() const
{
    return m_startingInfo.statusBarStylePriorToPresentation;
}

ui::StatusBarAnimation ImageViewerController::preferredStatusBarUpdateAnimation() const
{
    return ui::StatusBarAnimation::Fade;
}

void ImageViewerController::willRotateToInterfaceOrientation(ui::InterfaceOrientation orientation, double)
{
    m_lastUsedOrientation = orientation;
    m_flags.rotationTransformIsDirty = true;
    m_flags.isRotating = true;
}

void ImageViewerController::willAnimateRotationToInterfaceOrientation(
    ui::InterfaceOrientation, double duration)
{
    cancelCurrentImageDrag(false);
    updateLayoutsForCurrentOrientation();
    updateDimmingViewForCurrentZoomScale(false);
    auto self = sharedAs<ImageViewerController>();
    foundation::RunLoop::main().performAfter(duration, [self] { self->m_flags.isRotating = false; });
}

void ImageViewerController::viewWillTransitionToSize(graphics::Size, ui::TransitionCoordinator& coordinator)
{
    m_flags.rotationTransformIsDirty = true;
    m_flags.isRotating = true;
    std::weak_ptr<ImageViewerController> weak = sharedAs<ImageViewerController>();
    coordinator.animateAlongsideTransition(
        [weak] {
            if (auto self = weak.lock()) {
                self->cancelCurrentImageDrag(false);
                self->updateLayoutsForCurrentOrientation();
                self->updateDimmingViewForCurrentZoomScale(false);
            }
        },
        [weak] {
            if (auto self = weak.lock()) {
                self->m_lastUsedOrientation = ui::Application::shared().statusBarOrientation();
                self->m_flags.isRotating = false;
            }
        });
}

// A turn by half a circle gets no rotation calls from the platform: the viewer lays itself out.
void ImageViewerController::deviceOrientationDidChange()
{
    if (ui::Device::compareVersions(ui::Device::currentDevice().systemVersion(), "8.0") < 0)
        return;
    auto device = ui::Device::currentDevice().orientation();
    int now = int(device), last = int(m_lastUsedOrientation);
    bool bothLandscape = (now == 3 || now == 4) && (last == 3 || last == 4);
    bool bothPortrait = (now == 1 || now == 2) && (last == 1 || last == 2);
    if (!(bothLandscape || bothPortrait) || now == last)
        return;
    m_lastUsedOrientation = ui::InterfaceOrientation(now);
    m_flags.rotationTransformIsDirty = true;
    m_flags.isRotating = true;
    std::weak_ptr<ImageViewerController> weak = sharedAs<ImageViewerController>();
    ui::View::animate(
        kHalfTurnRotationDuration,
        [weak] {
            if (auto self = weak.lock()) {
                self->cancelCurrentImageDrag(false);
                self->updateLayoutsForCurrentOrientation();
                self->updateDimmingViewForCurrentZoomScale(false);
            }
        },
        [weak](bool) {
            if (auto self = weak.lock())
                self->m_flags.isRotating = false;
        });
}
