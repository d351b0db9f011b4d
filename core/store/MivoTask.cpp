#include "core/store/MivoTask.h"

#include "platform/data/EntityDescription.h"

using data::AttributeType;

std::vector<data::AttributeDescription> MivoTask::attributeDescriptions()
{
    return {
        {"applyNO", AttributeType::Text},
        {"baseLocation", AttributeType::Text},
        {"createTime", AttributeType::Date},
        {"createUser", AttributeType::Text},
        {"dealPrice", AttributeType::Text},
        {"ensureCompany", AttributeType::Text},
        {"oldApplyNO", AttributeType::Text},
        {"photoType", AttributeType::Text},
        {"productType", AttributeType::Text},
        {"taskStatus", AttributeType::Text},
        {"carID", AttributeType::Text},
        {"rejectedReason", AttributeType::Text},
        {"assessPrice", AttributeType::Text},
        {"fileThumbil", AttributeType::Text},
        {"uploadStatus", AttributeType::Text},
        {"creareUserid", AttributeType::Int64},
        {"updateDate", AttributeType::Date},
    };
}
