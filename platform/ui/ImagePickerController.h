#pragma once

#include "platform/ui/ImagePickerInfo.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Button;
class ImagePickerController;
class ImageView;
class Label;

// Told what the picker took. Both operations are optional: without the cancel one the picker
// dismisses itself.
class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(
        ImagePickerController& picker, const ImagePickerInfo& info)
    {
        (void)picker, (void)info;
    }
    virtual void imagePickerControllerDidCancel(ImagePickerController& picker);
};

// The camera screen, over the stand-in camera (ui::Camera): a preview of what is in front of the
// lens, a shutter and a cancel button. In photo mode the shutter takes the current sample photo
// (decoded with its EXIF orientation, as the phone's images carry it); in movie mode it records
// the first sample movie whose frame fits videoQuality, cut at videoMaximumDuration seconds (the
// camera stops recording there). Without a fitting movie the shutter says so and delivers nothing.
class ImagePickerController final : public ViewController {
public:
    enum class SourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };
    enum class VideoQuality {
        High = 0,
        Medium = 1,
        Low = 2,
        Type640x480 = 3,
        IFrame1280x720 = 4,
        IFrame960x540 = 5
    };

    // The shutter's accessibility label, and its titles in the two modes.
    static constexpr const char* kShutterLabel = "快门";
    static constexpr const char* kPhotoShutterTitle = "拍照";
    static constexpr const char* kMovieShutterTitle = "录像";
    static constexpr const char* kCancelTitle = "取消";

    static std::shared_ptr<ImagePickerController> create();
    ImagePickerController();
    ~ImagePickerController() override;

    const char* className() const override { return "ImagePickerController"; }

    static bool isSourceTypeAvailable(SourceType source);

    SourceType sourceType() const { return m_sourceType; }
    void setSourceType(SourceType source) { m_sourceType = source; }
    // The default is still images only.
    const std::vector<std::string>& mediaTypes() const { return m_mediaTypes; }
    void setMediaTypes(std::vector<std::string> types);
    VideoQuality videoQuality() const { return m_videoQuality; }
    void setVideoQuality(VideoQuality quality) { m_videoQuality = quality; }
    // Seconds; 600 by default, as the phone's.
    double videoMaximumDuration() const { return m_videoMaximumDuration; }
    void setVideoMaximumDuration(double seconds) { m_videoMaximumDuration = seconds; }
    std::weak_ptr<ImagePickerControllerDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<ImagePickerControllerDelegate> delegate)
    {
        m_delegate = std::move(delegate);
    }

    bool isMovieMode() const;
    // The largest frame a movie may have at the video quality (0 x 0: any).
    static std::pair<int, int> maximumFrameSize(VideoQuality quality);

    // What the shutter and the cancel button do.
    void takePicture();
    void cancel();
    // The last shutter's failure, shown on the screen; empty after a good take.
    const std::string& lastError() const { return m_lastError; }

    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    void showPreview();
    void showError(const std::string& text);

    SourceType m_sourceType {SourceType::PhotoLibrary};
    std::vector<std::string> m_mediaTypes {ImagePickerInfo::kMediaTypeImage};
    VideoQuality m_videoQuality {VideoQuality::Medium};
    double m_videoMaximumDuration {600};
    std::weak_ptr<ImagePickerControllerDelegate> m_delegate;
    std::shared_ptr<ImageView> m_preview;
    std::shared_ptr<Label> m_status;
    std::shared_ptr<Button> m_shutter;
    std::shared_ptr<Button> m_cancel;
    std::string m_lastError;
};

} // namespace ui
