#pragma once

#include "platform/foundation/Value.h"

#include <string>

namespace mivo::test {

// A server list entry as "endlist" / "overrulelist" give it.
inline foundation::Value serverTask(
    const std::string& carID, const std::string& applyNo, foundation::Array files)
{
    return foundation::Map {{"CarID", carID}, {"ApplyNo", "AV" + applyNo}, {"ApplyNoWithoutPrefix", applyNo},
        {"carSource", "0"}, {"StockArea", "北京仓"}, {"UndertakeCompany", "人保"},
        {"SecondhandPrice", "90000"}, {"RejectReason", "照片不清晰"}, {"UpdateDate", "2026-12-06 10:00:00"},
        {"CarFilesList", std::move(files)}};
}

inline foundation::Value serverFile(
    const std::string& carID, const std::string& position, const std::string& type)
{
    return foundation::Map {{"carTaskId", carID}, {"FileNum", position}, {"FileType", type},
        {"FileName", "f" + position + ".jpg"}, {"FileUrl", "/media/" + carID + "/f" + position + ".jpg"},
        {"Thumbnail", "/media/" + carID + "/t" + position + ".jpg"}};
}

} // namespace mivo::test
