#include "core/store/MivoUploadTask.h"

#include "platform/data/EntityDescription.h"

using data::AttributeType;

std::vector<data::AttributeDescription> MivoUploadTask::attributeDescriptions()
{
    return {
        {"createTime", AttributeType::Date},
        {"applyNO", AttributeType::Text},
        {"picMode", AttributeType::Text},
        {"resourceName", AttributeType::Text},
        {"resourceType", AttributeType::Text},
        {"taskPosition", AttributeType::Text},
        {"taskStatus", AttributeType::Text},
        {"carID", AttributeType::Text},
        {"screenshotName", AttributeType::Text},
        {"screenshotPath", AttributeType::Text},
        {"resourceFilePath", AttributeType::Text},
        {"fileUrl", AttributeType::Text},
        {"thumbnail", AttributeType::Text},
    };
}

std::optional<foundation::Date> MivoUploadTask::dateValue(const char* name) const
{
    const auto& v = value(name);
    if (!v.isDate())
        return std::nullopt;
    return v.asDate();
}

void MivoUploadTask::setDateValue(const char* name, std::optional<foundation::Date> value)
{
    setValue(name, value ? foundation::Value(*value) : foundation::Value());
}
