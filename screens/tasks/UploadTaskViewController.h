#pragma once

#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

// Stands in for the upload screen until it is built: shows the values the opening grid handed over
// and closes again.
class UploadTaskViewController final : public ui::ViewController {
public:
    static std::shared_ptr<UploadTaskViewController> create()
    {
        return std::make_shared<UploadTaskViewController>();
    }
    const char* className() const override { return "UploadTaskViewController"; }

    const std::string& applyTaskNO() const { return m_applyTaskNO; }
    void setApplyTaskNO(std::string value) { m_applyTaskNO = std::move(value); }
    const std::string& applyTaskPhotoType() const { return m_applyTaskPhotoType; }
    void setApplyTaskPhotoType(std::string value) { m_applyTaskPhotoType = std::move(value); }
    const std::string& uuidForTask() const { return m_uuidForTask; }
    void setUuidForTask(std::string value) { m_uuidForTask = std::move(value); }
    const std::string& uploadModel() const { return m_uploadModel; }
    void setUploadModel(std::string value) { m_uploadModel = std::move(value); }

    void viewDidLoad() override;

private:
    std::string m_applyTaskNO;
    std::string m_applyTaskPhotoType;
    std::string m_uuidForTask;
    std::string m_uploadModel;
};
