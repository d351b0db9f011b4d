#pragma once

#include "platform/data/ManagedObject.h"
#include "platform/foundation/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A stored media record of a task (entity "MivoUploadTask"): one per prescribed photo plus one video.
// taskStatus: "DEFAULT" (not taken), "PENDING" (taken), "UPLOADED"; resourceType "image" or "video";
// taskPosition the 1-based shot number as text. Text getters give the empty text for an unset attribute.
class MivoUploadTask final : public data::ManagedObject {
public:
    using data::ManagedObject::ManagedObject;

    static constexpr const char* kEntityName = "MivoUploadTask";
    static std::vector<data::AttributeDescription> attributeDescriptions();

    std::optional<foundation::Date> createTime() const { return dateValue("createTime"); }
    void setCreateTime(std::optional<foundation::Date> value) { setDateValue("createTime", value); }
    std::string applyNO() const { return textValue("applyNO"); }
    void setApplyNO(const std::string& value) { setValue("applyNO", value); }
    std::string picMode() const { return textValue("picMode"); }
    void setPicMode(const std::string& value) { setValue("picMode", value); }
    std::string resourceName() const { return textValue("resourceName"); }
    void setResourceName(const std::string& value) { setValue("resourceName", value); }
    std::string resourceType() const { return textValue("resourceType"); }
    void setResourceType(const std::string& value) { setValue("resourceType", value); }
    std::string taskPosition() const { return textValue("taskPosition"); }
    void setTaskPosition(const std::string& value) { setValue("taskPosition", value); }
    std::string taskStatus() const { return textValue("taskStatus"); }
    void setTaskStatus(const std::string& value) { setValue("taskStatus", value); }
    std::string carID() const { return textValue("carID"); }
    void setCarID(const std::string& value) { setValue("carID", value); }
    std::string screenshotName() const { return textValue("screenshotName"); }
    void setScreenshotName(const std::string& value) { setValue("screenshotName", value); }
    std::string screenshotPath() const { return textValue("screenshotPath"); }
    void setScreenshotPath(const std::string& value) { setValue("screenshotPath", value); }
    std::string resourceFilePath() const { return textValue("resourceFilePath"); }
    void setResourceFilePath(const std::string& value) { setValue("resourceFilePath", value); }
    std::string fileUrl() const { return textValue("fileUrl"); }
    void setFileUrl(const std::string& value) { setValue("fileUrl", value); }
    std::string thumbnail() const { return textValue("thumbnail"); }
    void setThumbnail(const std::string& value) { setValue("thumbnail", value); }
};
