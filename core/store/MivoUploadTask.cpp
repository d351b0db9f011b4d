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
