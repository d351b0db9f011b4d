#pragma once

#include "core/media/MediaSaveTarget.h"
#include "platform/ui/ImagePickerInfo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class MivoUploadTask;

namespace ui {
class ImagePickerController;
}

// Saving taken photos and movies into the user's media folders and the rule that makes a task
// ready to upload. Call from the main thread; the savers return at once and finish later on the
// main queue.
class CommonUtil final {
public:
    // The index path of a shot in a grid: section 0 photos, section 1 the video.
    struct ShotIndexPath {
        int64_t section = 0;
        int64_t row = 0;
    };
    // A grid's records: [image records, video records].
    using SectionLists = std::vector<std::vector<std::shared_ptr<MivoUploadTask>>>;

    // Saves the photo ("%lld.jpg") or movie ("%lld.mp4") with its thumbnail ("_%lld.jpg") in the
    // user's "picture" or "video" folder, then marks the record at
    // localSectionListData[1 for section 1, else 0][row] "PENDING" with the files' names and paths;
    // the record's earlier files go once it is stored. A movie the camera recorded into the
    // temporary folder is removed when the save is over. The picker itself is not used. `saved` runs on the
    // main queue once the record is written, so a screen can show the new state.
    static void imagePickerController(const ui::ImagePickerController* picker,
        const ui::ImagePickerInfo& info, ShotIndexPath selectID, const SectionLists& localSectionListData,
        std::function<void()> saved = {});

    // The same for a rejected task: localSectionListData is the shot's one record (its carID,
    // taskPosition, applyNO, fileUrl and thumbnail set). Updates the task's matching record or
    // inserts one, then reloads the target. The picker and the index path are not used.
    static void imagePickerControllerForSyn(const ui::ImagePickerController* picker,
        const ui::ImagePickerInfo& info, ShotIndexPath selectID,
        const std::shared_ptr<MivoUploadTask>& localSectionListData, std::weak_ptr<MediaSaveTarget> target);

    // Saves between the shutter and their record (the start-up sweep waits for none).
    static int savesInFlight();

    // Makes the task "TOUPLOAD" once its video and all but at most three of its photos are taken.
    static void upDateTaskStatusAfterBack(const std::string& applyNO, const SectionLists& allResourceData);
};
