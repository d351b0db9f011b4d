#pragma once

#include "core/store/MivoTask.h"
#include "core/store/MivoUploadTask.h"
#include "screens/shell/MainBaseViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Label;
}

// Stands in for a shot grid until the grids are built: holds the values the opening screen sets
// before the segue and shows them.
class GridPlaceholderViewController : public MainBaseViewController {
public:
    const char* className() const override { return "GridPlaceholderViewController"; }

    const std::string& applyTaskNO() const { return m_applyTaskNO; }
    void setApplyTaskNO(std::string value) { m_applyTaskNO = std::move(value); }
    const std::string& applyTaskPhotoType() const { return m_applyTaskPhotoType; }
    void setApplyTaskPhotoType(std::string value) { m_applyTaskPhotoType = std::move(value); }
    const std::string& uuidForTask() const { return m_uuidForTask; }
    void setUuidForTask(std::string value) { m_uuidForTask = std::move(value); }
    const std::shared_ptr<MivoTask>& synMivoTask() const { return m_synMivoTask; }
    void setSynMivoTask(std::shared_ptr<MivoTask> task) { m_synMivoTask = std::move(task); }
    const std::vector<std::shared_ptr<MivoUploadTask>>& allMivoUploads() const { return m_allMivoUploads; }
    void setAllMivoUploads(std::vector<std::shared_ptr<MivoUploadTask>> records)
    {
        m_allMivoUploads = std::move(records);
    }

    void viewDidLoad() override;

    // The lines the screen shows.
    std::vector<std::string> summaryLines() const;

protected:
    // Grids that lead on to the upload screen show a button for it.
    virtual bool opensUploadScreen() const { return false; }

private:
    std::string m_applyTaskNO;
    std::string m_applyTaskPhotoType;
    std::string m_uuidForTask;
    std::shared_ptr<MivoTask> m_synMivoTask;
    std::vector<std::shared_ptr<MivoUploadTask>> m_allMivoUploads;
    std::vector<std::shared_ptr<ui::Label>> m_lines;
};
