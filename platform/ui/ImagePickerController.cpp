#include "platform/ui/ImagePickerController.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/ui/Button.h"
#include "platform/ui/Camera.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace ui {

void ImagePickerControllerDelegate::imagePickerControllerDidCancel(ImagePickerController& picker)
{
    picker.dismissViewController(true);
}

std::shared_ptr<ImagePickerController> ImagePickerController::create()
{
    return std::make_shared<ImagePickerController>();
}

ImagePickerController::ImagePickerController() = default;
ImagePickerController::~ImagePickerController() = default;

bool ImagePickerController::isSourceTypeAvailable(SourceType source)
{
    return source != SourceType::Camera || Camera::shared().isAvailable();
}

void ImagePickerController::setMediaTypes(std::vector<std::string> types)
{
    m_mediaTypes = std::move(types);
    if (isViewLoaded())
        showPreview();
}

bool ImagePickerController::isMovieMode() const
{
    // A picker offered both starts in photo mode, as the phone's camera does.
    return std::find(m_mediaTypes.begin(), m_mediaTypes.end(), ImagePickerInfo::kMediaTypeImage)
        == m_mediaTypes.end()
        && std::find(m_mediaTypes.begin(), m_mediaTypes.end(), ImagePickerInfo::kMediaTypeMovie)
        != m_mediaTypes.end();
}

std::pair<int, int> ImagePickerController::maximumFrameSize(VideoQuality quality)
{
    switch (quality) {
    case VideoQuality::High:
        return {0, 0};
    case VideoQuality::Medium:
        return {480, 360};
    case VideoQuality::Low:
        return {192, 144};
    case VideoQuality::Type640x480:
        return {640, 480};
    case VideoQuality::IFrame1280x720:
        return {1280, 720};
    case VideoQuality::IFrame960x540:
        return {960, 540};
    }
    return {0, 0};
}

void ImagePickerController::loadView()
{
    ViewController::loadView();
    auto root = view();
    root->setBackgroundColor(graphics::Color::black());
    auto bounds = root->bounds();
    double width = bounds.width(), height = bounds.height();

    m_preview = ImageView::create(graphics::Rect {0, 64, width, height - 64 - 110});
    m_preview->setContentMode(ContentMode::AspectFit);
    m_preview->setBackgroundColor(graphics::Color::white(0.12));
    m_preview->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    root->addSubview(m_preview);

    m_status = Label::create({12, 24, width - 24, 32});
    m_status->setTextColor(graphics::Color::white());
    m_status->setFont(graphics::Font::systemFont(13));
    m_status->setTextAlignment(graphics::TextAlignment::Center);
    m_status->setAutoresizingMask(Autoresizing::FlexibleWidth);
    root->addSubview(m_status);

    std::weak_ptr<ImagePickerController> weakSelf = sharedAs<ImagePickerController>();
    m_shutter = Button::create(graphics::Rect {width / 2 - 36, height - 92, 72, 72});
    m_shutter->setBackgroundColor(graphics::Color::white());
    m_shutter->layer().setCornerRadius(36);
    m_shutter->layer().setBorderWidth(4);
    m_shutter->layer().setBorderColor(graphics::Color::gray());
    m_shutter->setTitleColor(graphics::Color::black(), ControlState::Normal);
    m_shutter->setAccessibilityLabel(kShutterLabel);
    m_shutter->setAutoresizingMask(Autoresizing::FlexibleTopMargin | Autoresizing::FlexibleLeftMargin
        | Autoresizing::FlexibleRightMargin);
    m_shutter->addAction(ControlEvents::TouchUpInside, [weakSelf](Control&) {
        if (auto self = weakSelf.lock())
            self->takePicture();
    });
    root->addSubview(m_shutter);

    m_cancel = Button::create(graphics::Rect {12, height - 74, 64, 36});
    m_cancel->setTitle(kCancelTitle, ControlState::Normal);
    m_cancel->setTitleColor(graphics::Color::white(), ControlState::Normal);
    m_cancel->setAutoresizingMask(Autoresizing::FlexibleTopMargin);
    m_cancel->addAction(ControlEvents::TouchUpInside, [weakSelf](Control&) {
        if (auto self = weakSelf.lock())
            self->cancel();
    });
    root->addSubview(m_cancel);
    showPreview();
}

void ImagePickerController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    showPreview();
}

void ImagePickerController::showPreview()
{
    if (!m_preview)
        return;
    auto& camera = Camera::shared();
    m_lastError.clear();
    if (isMovieMode()) {
        m_shutter->setTitle(kMovieShutterTitle, ControlState::Normal);
        auto [maxWidth, maxHeight] = maximumFrameSize(m_videoQuality);
        auto movie = camera.movieFitting(maxWidth, maxHeight);
        m_preview->setImage(nullptr);
        m_status->setText(movie ? foundation::format(
                              "录像 %dx%d, 最长 %.0f 秒", movie->width, movie->height, m_videoMaximumDuration)
                                : std::string("没有可用的录像"));
        return;
    }
    m_shutter->setTitle(kPhotoShutterTitle, ControlState::Normal);
    auto photo = camera.currentPhoto();
    // A quarter-size decode is plenty for the screen; the shutter decodes the whole photo.
    m_preview->setImage(photo ? graphics::JpegCodec::decodeFile(*photo, 4) : nullptr);
    m_status->setText(photo ? photo->filename().string() : std::string("没有可用的相机"));
}

void ImagePickerController::showError(const std::string& text)
{
    m_lastError = text;
    foundation::log("camera: " + text);
    if (m_status)
        m_status->setText(text);
}

void ImagePickerController::takePicture()
{
    auto& camera = Camera::shared();
    ImagePickerInfo info;
    if (isMovieMode()) {
        auto [maxWidth, maxHeight] = maximumFrameSize(m_videoQuality);
        auto movie = camera.movieFitting(maxWidth, maxHeight);
        if (!movie) {
            showError("没有可用的录像");
            return;
        }
        std::string error;
        auto file = Camera::record(*movie, m_videoMaximumDuration, &error);
        if (!file) {
            showError(error);
            return;
        }
        info.mediaType = ImagePickerInfo::kMediaTypeMovie;
        info.mediaURL = *file;
    } else {
        if (camera.photos().empty()) {
            showError("没有可用的相机");
            return;
        }
        // A sample that does not decode is passed over, so one bad file cannot jam the camera.
        std::shared_ptr<graphics::Image> image;
        std::string error;
        for (size_t tries = 0; !image && tries < camera.photos().size(); ++tries) {
            auto photo = camera.currentPhoto();
            camera.advancePhoto();
            image = graphics::JpegCodec::decodeFile(*photo, 1, &error);
            if (!image)
                foundation::log("camera: skipped " + photo->filename().string() + ": " + error);
        }
        if (!image) {
            showError(error);
            return;
        }
        info.mediaType = ImagePickerInfo::kMediaTypeImage;
        info.originalImage = std::move(image);
    }
    m_lastError.clear();
    auto protector = sharedAs<ImagePickerController>();
    if (auto delegate = m_delegate.lock())
        delegate->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info);
    else
        dismissViewController(true);
    if (!isMovieMode())
        showPreview();
}

void ImagePickerController::cancel()
{
    auto protector = sharedAs<ImagePickerController>();
    if (auto delegate = m_delegate.lock())
        delegate->imagePickerControllerDidCancel(*this);
    else
        dismissViewController(true);
}

} // namespace ui
