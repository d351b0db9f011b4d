#pragma once

#include "core/store/MivoTask.h"
#include "core/store/MivoUploadTask.h"

#include <memory>
#include <string>
#include <vector>

// The values that the task screens set on a shot grid before its view loads. The grids live with
// the capture screens; the task screens know them only by this.
class ShotGridEntry {
public:
    virtual ~ShotGridEntry() = default;
    virtual void setApplyTaskNO(std::string value) = 0;
    virtual void setApplyTaskPhotoType(std::string value) = 0;
    // Only the grids that use them keep these.
    virtual void setUuidForTask(std::string value) { (void)value; }
    virtual void setSynMivoTask(std::shared_ptr<MivoTask> task) { (void)task; }
    virtual void setAllMivoUploads(std::vector<std::shared_ptr<MivoUploadTask>> records) { (void)records; }
};
