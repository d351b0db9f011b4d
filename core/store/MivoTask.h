#pragma once

#include "platform/data/ManagedObject.h"
#include "platform/foundation/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A stored inspection task (entity "MivoTask"). taskStatus: "PENDING", "TOUPLOAD", "FINISHED",
// "REJECTED" or "DELETE"; carID is the server's task id, empty until the task is registered.
// Text getters give the empty text for an unset attribute.
class MivoTask final : public data::ManagedObject {
public:
    using data::ManagedObject::ManagedObject;

    static constexpr const char* kEntityName = "MivoTask";
    static std::vector<data::AttributeDescription> attributeDescriptions();

    std::string applyNO() const { return textValue("applyNO"); }
    void setApplyNO(const std::string& value) { setValue("applyNO", value); }
    std::string baseLocation() const { return textValue("baseLocation"); }
    void setBaseLocation(const std::string& value) { setValue("baseLocation", value); }
    std::optional<foundation::Date> createTime() const { return dateValue("createTime"); }
    void setCreateTime(std::optional<foundation::Date> value) { setDateValue("createTime", value); }
    std::string createUser() const { return textValue("createUser"); }
    void setCreateUser(const std::string& value) { setValue("createUser", value); }
    std::string dealPrice() const { return textValue("dealPrice"); }
    void setDealPrice(const std::string& value) { setValue("dealPrice", value); }
    std::string ensureCompany() const { return textValue("ensureCompany"); }
    void setEnsureCompany(const std::string& value) { setValue("ensureCompany", value); }
    std::string oldApplyNO() const { return textValue("oldApplyNO"); }
    void setOldApplyNO(const std::string& value) { setValue("oldApplyNO", value); }
    std::string photoType() const { return textValue("photoType"); }
    void setPhotoType(const std::string& value) { setValue("photoType", value); }
    std::string productType() const { return textValue("productType"); }
    void setProductType(const std::string& value) { setValue("productType", value); }
    std::string taskStatus() const { return textValue("taskStatus"); }
    void setTaskStatus(const std::string& value) { setValue("taskStatus", value); }
    std::string carID() const { return textValue("carID"); }
    void setCarID(const std::string& value) { setValue("carID", value); }
    std::string rejectedReason() const { return textValue("rejectedReason"); }
    void setRejectedReason(const std::string& value) { setValue("rejectedReason", value); }
    std::string assessPrice() const { return textValue("assessPrice"); }
    void setAssessPrice(const std::string& value) { setValue("assessPrice", value); }
    std::string fileThumbil() const { return textValue("fileThumbil"); }
    void setFileThumbil(const std::string& value) { setValue("fileThumbil", value); }
    std::string uploadStatus() const { return textValue("uploadStatus"); }
    void setUploadStatus(const std::string& value) { setValue("uploadStatus", value); }
    int64_t creareUserid() const { return integerValue("creareUserid"); }
    void setCreareUserid(int64_t value) { setValue("creareUserid", value); }
    std::optional<foundation::Date> updateDate() const { return dateValue("updateDate"); }
    void setUpdateDate(std::optional<foundation::Date> value) { setDateValue("updateDate", value); }
};
