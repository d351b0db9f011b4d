#pragma once

#include "platform/graphics/Color.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MivoUploadTask;

// What the five shot grids show, as plain decisions the screens carry out: the list type of a
// task's shots, and per slot the thumbnail's source, the state text and its colour.
namespace ShotGridRules {

enum class Grid { NewTask, Pending, ToUpload, Rejected, Finished };

inline constexpr const char* kNotTaken = "未拍摄";
inline constexpr const char* kTaken = "已拍摄";
inline constexpr const char* kUploaded = "已上传";
inline constexpr const char* kVideoCaption = "评估视频信息";
inline constexpr const char* kPhotoSectionTitle = "图片列表";
inline constexpr const char* kVideoSectionTitle = "视频列表";
inline constexpr const char* kPlanRemoveSeal = "拆密封条-方案1";
inline constexpr const char* kPlanCodeRemoveSeal = "0";

// The list type from the plan's text (new, pending and ready-to-upload grids) or the server's
// plan code (rejected and finished grids): Arvel 0 for the seal plan else 1, Kestro 1, others 2.
int listTypeForPlan(const std::string& companyName, const std::string& planText);
int listTypeForPlanCode(const std::string& companyName, const std::string& planCode);

struct SlotLook {
    enum class Thumbnail {
        Unset, // leave the image view as it is
        Resource, // an image resource, by name
        LocalFile, // the record's thumbnail file (screenshotName) in the user's folder
        ServerFile, // the server's thumbnail: the media base URL followed by the path
    };
    Thumbnail thumbnail = Thumbnail::Unset;
    std::string name; // resource name, file name or server path
    std::optional<std::string> stateText; // nullopt: leave as it is
    std::optional<graphics::Color> stateColor;
};

// Slots of the local grids, by the record at the slot (nullptr when the task has none there).
SlotLook localPhoto(Grid grid, const MivoUploadTask* record);
SlotLook localVideo(Grid grid, const MivoUploadTask* record);

// The rejected grid finds a photo slot's record by server task id and position, never by index.
std::shared_ptr<MivoUploadTask> rejectedPhotoRecord(
    const std::vector<std::shared_ptr<MivoUploadTask>>& images, const std::string& uuidForTask, int64_t row);
SlotLook rejectedPhoto(const MivoUploadTask* record);
SlotLook rejectedVideo(const MivoUploadTask* firstVideoRecord);

// The finished grid pairs by position in the list it was handed.
SlotLook finishedPhoto(const std::vector<std::shared_ptr<MivoUploadTask>>& allMivoUploads, int64_t row);
SlotLook finishedVideo();

} // namespace ShotGridRules
