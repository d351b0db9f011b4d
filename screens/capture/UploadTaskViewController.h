#pragma once

#include "core/net/HttpError.h"
#include "core/store/MivoTask.h"
#include "core/store/MivoUploadTask.h"
#include "platform/foundation/Value.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {
class OperationQueue;
}
class ModalAlertView;
class UploadTaskTableViewCell;
class UploadTaskViewControllerTestApi;

// The upload screen: registers a task with the server when it has no server id yet ("validate",
// then "add") and uploads every taken, not yet uploaded file of the task, one multipart request per
// file, all in flight together from an operation queue of its own. The table shows the pending
// files (with their progress) above the uploaded ones. Each file record becomes "UPLOADED" only
// when the server answered Success for that very file; a file that failed in any way stays
// "PENDING" and is offered again the next time the screen opens.
class UploadTaskViewController final : public ui::ViewController,
                                       public ui::TableViewDataSource,
                                       public ui::TableViewDelegate {
public:
    static constexpr const char* kRejectModel = "RejectModel";
    static constexpr double kHeaderHeight = 55.0;

    static std::shared_ptr<UploadTaskViewController> create()
    {
        return std::make_shared<UploadTaskViewController>();
    }
    const char* className() const override { return "UploadTaskViewController"; }

    // Set by the opening grid before the view loads.
    const std::string& applyTaskNO() const { return m_applyTaskNO; }
    void setApplyTaskNO(std::string value) { m_applyTaskNO = std::move(value); }
    const std::string& applyTaskPhotoType() const { return m_applyTaskPhotoType; }
    void setApplyTaskPhotoType(std::string value) { m_applyTaskPhotoType = std::move(value); }
    const std::string& uuidForTask() const { return m_uuidForTask; }
    void setUuidForTask(std::string value) { m_uuidForTask = std::move(value); }
    const std::string& uploadModel() const { return m_uploadModel; }
    void setUploadModel(std::string value) { m_uploadModel = std::move(value); }

    const foundation::Array& recipeImages() const { return m_recipeImages; }
    const std::vector<std::shared_ptr<MivoUploadTask>>& toUploadData() const { return m_toUploadData; }
    const std::vector<std::shared_ptr<MivoUploadTask>>& uploadedData() const { return m_uploadedData; }
    const std::shared_ptr<ModalAlertView>& showMsgAlertView() const { return m_showMsgAlertView; }
    int64_t uploadTotalCount() const { return m_uploadTotalCount; }
    int64_t uploadTempCount() const { return m_uploadTempCount; }
    int64_t warningTotalCount() const { return m_warningTotalCount; }
    std::shared_ptr<ui::TableView> selfTableView() const { return m_selfTableView.lock(); }
    std::shared_ptr<UploadTaskTableViewCell> cellMain() const { return m_cellMain.lock(); }

    void viewDidLoad() override;

    // Reads the shot list and the task's pending and uploaded records again.
    void loadData();
    void checkOddNumIsValidRequest();
    void uploadOrderRequest();
    // Queues one operation per pending file.
    void handleUploadData();
    // Builds and starts one file's request; runs on a worker of the upload queue.
    void uploadFileRequestWithInfoDic(const foundation::Map& info);
    // Moves one progress value ("identify": the file's tag, "progress") to the file's row.
    void updateTasksLocalDataWithInfo(const foundation::Map& info);
    void dismissViewBtnClick();

    // The form fields of the requests, from the stored task and the user.
    static foundation::Map addOrderFields(const MivoTask& task);
    struct PlanCode {
        std::string code; // "carSource": "0", "1" or "2"
        std::string lastIndex; // "maxseq": "13", "14" or "18"
    };
    static PlanCode planCodeOf(const std::string& photoType);
    static int courseListType(const std::string& companyName, const std::string& photoType);

    // Table.
    size_t numberOfSectionsInTableView(ui::TableView& tableView) override;
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(
        ui::TableView& tableView, ui::IndexPath indexPath) override;
    std::optional<std::string> titleForHeaderInSection(ui::TableView& tableView, size_t section) override;
    std::optional<double> heightForHeaderInSection(ui::TableView& tableView, size_t section) override;

private:
    friend class UploadTaskViewControllerTestApi;

    void buildViews();
    void validateFinished(const foundation::Value& reply);
    void validateFailed(const HttpError& error);
    void addFinished(const foundation::Value& reply);
    void addFailed(const HttpError& error);
    void fileFinished(const std::string& tag, const foundation::Value& reply);
    void fileFailed(const std::string& tag);
    void progressed(const std::string& tag, float fraction);
    // On the main queue: a file's progress to the row that shows it now.
    void showProgress(const std::string& identify, float progress);
    void allFilesUploaded();
    void showNetworkError();
    std::shared_ptr<MivoUploadTask> recordOf(const std::string& tag) const;
    // The last progress shown for a file in flight, so that a row made again shows it too.
    std::optional<float> progressOf(const std::shared_ptr<MivoUploadTask>& record) const;
    void forgetInFlight(const std::string& tag);

    std::string m_applyTaskNO;
    std::string m_applyTaskPhotoType;
    std::string m_uuidForTask;
    std::string m_uploadModel;
    foundation::Array m_recipeImages;
    std::vector<std::shared_ptr<MivoUploadTask>> m_toUploadData;
    std::vector<std::shared_ptr<MivoUploadTask>> m_uploadedData;
    std::shared_ptr<ModalAlertView> m_showMsgAlertView;
    std::shared_ptr<foundation::OperationQueue> m_queue;
    int64_t m_uploadTotalCount {0};
    int64_t m_uploadTempCount {0};
    int64_t m_warningTotalCount {0};
    bool m_uploadsStarted {false};
    std::atomic<int64_t> m_filesSent {0}; // requests the workers started
    std::string m_uploadCarTaskId;
    std::string m_uploadOptional;
    // The record each file request carries, by its tag: replies and progress go to that record.
    std::map<std::string, std::shared_ptr<MivoUploadTask>> m_recordsInFlight;
    std::map<std::string, float> m_progressInFlight; // by tag
    std::weak_ptr<ui::TableView> m_selfTableView;
    std::weak_ptr<UploadTaskTableViewCell> m_cellMain;
};
