#include "screens/capture/ShotGridRules.h"

#include "core/store/MivoUploadTask.h"
#include "platform/foundation/Format.h"

namespace ShotGridRules {

namespace {

constexpr const char* kDefault = "DEFAULT";
constexpr const char* kPending = "PENDING";
constexpr const char* kUploadedState = "UPLOADED";

SlotLook look(SlotLook::Thumbnail thumbnail, std::string name, const char* text, graphics::Color color)
{
    return {thumbnail, std::move(name), std::string(text), color};
}

SlotLook notTaken(const char* resource)
{
    return look(SlotLook::Thumbnail::Resource, resource, kNotTaken, graphics::Color::black());
}

} // namespace

int listTypeForPlan(const std::string& companyName, const std::string& planText)
{
    if (companyName == "Arvel")
        return planText == kPlanRemoveSeal ? 0 : 1;
    return companyName == "Kestro" ? 1 : 2;
}

int listTypeForPlanCode(const std::string& companyName, const std::string& planCode)
{
    if (companyName == "Arvel")
        return planCode == kPlanCodeRemoveSeal ? 0 : 1;
    return companyName == "Kestro" ? 1 : 2;
}

SlotLook localPhoto(Grid grid, const MivoUploadTask* record)
{
    // A slot without a record (a task with fewer records than shots) is one not taken yet.
    if (!record || record->taskStatus() == kDefault)
        return notTaken("no_pic_default.png");
    if (record->taskStatus() == kPending)
        return look(SlotLook::Thumbnail::LocalFile, record->screenshotName(), kTaken, graphics::Color::red());
    if (grid == Grid::ToUpload && record->taskStatus() == kUploadedState)
        return look(
            SlotLook::Thumbnail::LocalFile, record->screenshotName(), kUploaded, graphics::Color::yellow());
    return {};
}

SlotLook localVideo(Grid grid, const MivoUploadTask* record)
{
    if (!record || record->taskStatus() == kDefault)
        return notTaken("no_video_default.png");
    if (grid != Grid::ToUpload || record->taskStatus() == kPending)
        return look(SlotLook::Thumbnail::LocalFile, record->screenshotName(), kTaken, graphics::Color::red());
    if (record->taskStatus() == kUploadedState)
        return look(
            SlotLook::Thumbnail::LocalFile, record->screenshotName(), kUploaded, graphics::Color::yellow());
    return {};
}

std::shared_ptr<MivoUploadTask> rejectedPhotoRecord(
    const std::vector<std::shared_ptr<MivoUploadTask>>& images, const std::string& uuidForTask, int64_t row)
{
    std::string position = foundation::format("%lld", static_cast<long long>(row + 1));
    for (const auto& record : images) {
        if (record && record->carID() == uuidForTask && record->taskPosition() == position)
            return record;
    }
    return nullptr;
}

SlotLook rejectedPhoto(const MivoUploadTask* record)
{
    if (!record)
        return notTaken("no_pic_default");
    if (record->taskStatus() == kUploadedState)
        return look(
            SlotLook::Thumbnail::ServerFile, record->thumbnail(), kUploaded, graphics::Color::green());
    return look(SlotLook::Thumbnail::LocalFile, record->screenshotName(), kTaken, graphics::Color::red());
}

SlotLook rejectedVideo(const MivoUploadTask* firstVideoRecord)
{
    if (!firstVideoRecord)
        return notTaken("no_pic_default");
    bool uploaded = firstVideoRecord->taskStatus() == kUploadedState;
    return look(SlotLook::Thumbnail::Resource, "icon_video", uploaded ? kUploaded : kTaken,
        uploaded ? graphics::Color::green() : graphics::Color::red());
}

SlotLook finishedPhoto(const std::vector<std::shared_ptr<MivoUploadTask>>& allMivoUploads, int64_t row)
{
    if (row >= 0 && size_t(row) < allMivoUploads.size() && allMivoUploads[size_t(row)]
        && allMivoUploads[size_t(row)]->resourceType() == "image")
        return look(SlotLook::Thumbnail::ServerFile, allMivoUploads[size_t(row)]->thumbnail(), kUploaded,
            graphics::Color::green());
    return notTaken("no_pic_default");
}

SlotLook finishedVideo()
{
    return look(SlotLook::Thumbnail::Resource, "icon_video", kUploaded, graphics::Color::green());
}

} // namespace ShotGridRules
