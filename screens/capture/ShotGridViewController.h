#pragma once

#include "core/media/CommonUtil.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/CollectionViewDataSource.h"
#include "platform/ui/ImagePickerController.h"
#include "platform/ui/IndexPath.h"
#include "screens/capture/ShotGridRules.h"
#include "screens/shell/MainBaseViewController.h"
#include "screens/tasks/ShotGridEntry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class PhotoListCollectionViewCell;

namespace ui {
class Button;
class CollectionView;
class CollectionViewFlowLayout;
class ImageView;
class LongPressGestureRecognizer;
} // namespace ui

// What the five shot grids share: section 0 one photo slot per prescribed shot of the task's
// list, section 1 the video slot; the flow layout with the section inset (20, 0, 20, 0); the
// section header (and, in the twins, the footer); the long-press recogniser; the camera set-up
// on a tap; and the navigation-bar buttons. Each grid says how it fills a slot and what leaving
// does.
class ShotGridViewController : public MainBaseViewController,
                               public ui::CollectionViewDataSource,
                               public ui::CollectionViewDelegate,
                               public ui::ImagePickerControllerDelegate,
                               public ShotGridEntry {
public:
    using Grid = ShotGridRules::Grid;
    static constexpr double kVideoMaximumDuration = 35.0;
    static constexpr const char* kBackTitle = "返回";
    static constexpr const char* kHomeTitle = "首页";
    static constexpr const char* kUploadTitle = "上传任务";

    ~ShotGridViewController() override;

    virtual Grid grid() const = 0;

    const std::string& applyTaskNO() const { return m_applyTaskNO; }
    void setApplyTaskNO(std::string value) override { m_applyTaskNO = std::move(value); }
    const std::string& applyTaskPhotoType() const { return m_applyTaskPhotoType; }
    void setApplyTaskPhotoType(std::string value) override { m_applyTaskPhotoType = std::move(value); }
    // [0] the shot list (one map per shot, its caption under "title"), [1] one entry for the video.
    const foundation::Array& recipeImages() const { return m_recipeImages; }
    const std::optional<ui::IndexPath>& selectIndexPath() const { return m_selectIndexPath; }

    const std::shared_ptr<ui::CollectionView>& collectionView() const { return m_collectionView; }
    const std::shared_ptr<ui::CollectionViewFlowLayout>& flowLayout() const { return m_layout; }
    const std::shared_ptr<ui::LongPressGestureRecognizer>& longPressGestureRecognizer() const
    {
        return m_longPress;
    }
    // The cell on screen for a slot, for tests and automation.
    std::shared_ptr<PhotoListCollectionViewCell> cellAt(ui::IndexPath indexPath) const;
    // "照片<n>" for photo n (from 1), "视频" for the video: the start of a cell's accessibility label.
    static std::string slotLabel(ui::IndexPath indexPath);
    // The list type the grid's shots come from.
    virtual int listType() const;

    void viewDidLoad() override;

    // Data source.
    int64_t numberOfSectionsInCollectionView(ui::CollectionView&) override;
    int64_t numberOfItemsInSection(ui::CollectionView&, int64_t section) override;
    std::shared_ptr<ui::CollectionViewCell> cellForItemAtIndexPath(
        ui::CollectionView&, ui::IndexPath) override;
    std::shared_ptr<ui::CollectionReusableView> viewForSupplementaryElementOfKind(
        ui::CollectionView&, ui::ElementKind kind, ui::IndexPath) override;

    // Delegate: a tap opens the camera (the finished grid only remembers the slot).
    void didSelectItemAtIndexPath(ui::CollectionView&, ui::IndexPath indexPath) override;

    // What a long press on a slot shows: a photo file on this device (its path; empty for a name
    // that leads out of the user's folder), a photo on the server (by URL) or the video (a local
    // path or a server URL). Nothing for a slot without a shot.
    struct Shot {
        enum class Kind { None, LocalPhoto, ServerPhoto, Video };
        Kind kind = Kind::None;
        std::string location;
        bool operator==(const Shot&) const = default;
    };
    virtual Shot shotAt(ui::IndexPath indexPath) const = 0;

    // The long-press recogniser's action: once a press is recognised, shows the shot of the slot
    // under it (a photo in the image viewer, the video in the movie player with subtitles).
    // Later states of the same press and presses between cells do nothing.
    virtual void handleLongPress(ui::LongPressGestureRecognizer& recognizer);
    // The off-screen image view the last server photo was loaded into.
    const std::shared_ptr<ui::ImageView>& showImgView() const { return m_showImgView; }

    // The navigation-bar buttons.
    virtual void backToHome();
    virtual void backToHomeBySlider();
    virtual void toUploadTask() { }

    // The camera picker set up for a slot, as a tap presents it.
    std::shared_ptr<ui::ImagePickerController> makePicker(ui::IndexPath indexPath);
    // The picker presented last (until it is dismissed).
    std::shared_ptr<ui::ImagePickerController> presentedPicker() const;

protected:
    ShotGridViewController() = default;

    // Fills a cell for a slot; the caption is set after it.
    virtual void fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath) = 0;
    virtual bool hasFooter() const { return true; }
    virtual bool opensCamera() const { return true; }
    // Shows the upload button below the grid.
    virtual bool hasUploadButton() const { return false; }
    // The list type rule reads the plan's text; the server grids read its code.
    virtual bool planIsServerCode() const { return false; }
    // Carries out a slot's look: thumbnail, state text and colour.
    void apply(
        const ShotGridRules::SlotLook& look, PhotoListCollectionViewCell& cell, const char* folder) const;
    void popOneScreen();
    // A local shot's file, when the record names one that is there.
    static std::optional<std::string> existingFile(const char* folder, const std::string& name);
    // The photo a record names in the folder "picture": nothing when it names none (a slot not
    // taken yet); a named file that is missing or unreadable still opens the viewer, empty.
    static Shot localPhoto(const std::string& name);
    // The video a record names in the folder "video": nothing when it names none (a slot not taken
    // yet); a named file that is gone still goes to the player, which shows its failure.
    static Shot localVideo(const std::string& name);
    // The URL of a server path under the media base URL; nothing for an empty path or one that
    // would lead to another server.
    static std::optional<std::string> serverUrl(const std::string& path);

private:
    void showShot(const Shot& shot);
    void showPhoto(std::shared_ptr<graphics::Image> photo);
    void playVideo(const std::string& url);

    std::string m_applyTaskNO;
    std::string m_applyTaskPhotoType;
    foundation::Array m_recipeImages;
    std::optional<ui::IndexPath> m_selectIndexPath;
    std::shared_ptr<ui::CollectionView> m_collectionView;
    std::shared_ptr<ui::CollectionViewFlowLayout> m_layout;
    std::shared_ptr<ui::LongPressGestureRecognizer> m_longPress;
    std::shared_ptr<ui::Button> m_uploadButton;
    std::weak_ptr<ui::ImagePickerController> m_picker;
    std::shared_ptr<ui::ImageView> m_showImgView;
};
