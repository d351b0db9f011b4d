#include "screens/capture/UploadTaskViewController.h"

#include "components/alert/ModalAlertView.h"
#include "core/net/HttpManager.h"
#include "core/net/UserInfo.h"
#include "core/store/GetCourseArrayModel.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/DateUtil.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/webimage/ImageCache.h"
#include "screens/capture/UploadTaskTableViewCell.h"
#include "screens/shell/RequestUrlUtil.h"

using foundation::Map;
using foundation::Value;

namespace {

constexpr const char* kValidatePath = "/CarTask.ashx?method=validate&time=";
constexpr const char* kAddPath = "/CarTask.ashx?method=add&time=";
constexpr const char* kUploadPath = "/FileUpload.ashx?method=upload&time=";
constexpr const char* kValidateTag = "checkOddNumValid";
constexpr const char* kAddTag = "uploadOrder";

constexpr const char* kPlan1 = "拆密封条-方案1";
constexpr const char* kPlan2 = "不拆密封条-方案2";
constexpr const char* kFileLastModifyTime = "2425-11-03 05:52:00";

constexpr const char* kNoticeTitle = "提示";
constexpr const char* kNothingPendingText = "所有数据都已同步到服务器,没有需要上传的数据!";
constexpr const char* kQueuedText = "数据已经进入队列正在进行上传,请稍后";
constexpr const char* kAllDoneText = "数据全部上传成功!";
constexpr const char* kFileFailedText = "由于网络原因部分资源未能上传成功,请返回查看详情之后重传未完成资源";

constexpr double kBarHeight = 64;

std::string text(const Value& value)
{
    if (value.isString())
        return value.asString();
    if (value.isInt())
        return foundation::format("%lld", static_cast<long long>(value.asInt()));
    return {};
}

} // namespace

// ---- Opening and lists

void UploadTaskViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    buildViews();
    loadData();
    m_showMsgAlertView = ModalAlertView::create();
    m_warningTotalCount = 0;

    auto self = sharedAs<UploadTaskViewController>();
    if (m_toUploadData.empty()) {
        auto queue = foundation::DispatchQueue::createSerial("com.brevane-savephoto-initial-progress");
        queue->async([self] {
            foundation::DispatchQueue::main().async([self] {
                self->m_showMsgAlertView->showSuccess(self, kNoticeTitle, kNothingPendingText, "确认", 0);
            });
        });
    } else if (!m_uuidForTask.empty()) {
        handleUploadData();
    } else {
        checkOddNumIsValidRequest();
    }
}

// A bar with the title and the close button over the table of files.
void UploadTaskViewController::buildViews()
{
    auto self = sharedAs<UploadTaskViewController>();
    auto& root = *view();
    root.setBackgroundColor(graphics::Color::white());
    double width = root.bounds().width();

    auto bar = ui::View::create({0, 0, width, kBarHeight});
    bar->setBackgroundColor(graphics::Color::rgba(0.97, 0.97, 0.97));
    bar->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    auto title = ui::Label::create({60, 20, width - 120, 44});
    title->setText("上传任务");
    title->setFont(graphics::Font::boldSystemFont(17));
    title->setTextAlignment(graphics::TextAlignment::Center);
    title->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    bar->addSubview(title);
    auto close = ui::Button::create(graphics::Rect {4, 20, 60, 44});
    close->setTitle("返回", ui::ControlState::Normal);
    close->setTitleColor(graphics::Color::rgba(0, 122.0 / 255, 1), ui::ControlState::Normal);
    std::weak_ptr<UploadTaskViewController> weakSelf = self;
    close->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto strong = weakSelf.lock())
            strong->dismissViewBtnClick();
    });
    bar->addSubview(close);
    root.addSubview(bar);

    auto table = ui::TableView::create({0, kBarHeight, width, root.bounds().height() - kBarHeight});
    table->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    table->setRowHeight(UploadTaskTableViewCell::kHeight);
    table->setSectionHeaderHeight(kHeaderHeight);
    table->setDataSource(self);
    table->setTableDelegate(self);
    root.addSubview(table);
    m_selfTableView = table;
}

int UploadTaskViewController::courseListType(const std::string& companyName, const std::string& photoType)
{
    if (companyName == "Arvel")
        return photoType == kPlan1 || photoType == "0" ? 0 : 1;
    if (companyName == "Kestro")
        return 1;
    return 2;
}

UploadTaskViewController::PlanCode UploadTaskViewController::planCodeOf(const std::string& photoType)
{
    if (photoType == kPlan1 || photoType == "0")
        return {"0", "13"};
    if (photoType == kPlan2 || photoType == "1")
        return {"1", "14"};
    return {"2", "18"};
}

void UploadTaskViewController::loadData()
{
    int type = courseListType(UserInfo::sharedInstance()->companyName(), m_applyTaskPhotoType);
    m_recipeImages = foundation::Array {Value(GetCourseArrayModel::getConstantArrayByType(type))};
    auto store = IMivoDataBaseManager::sharedManager();
    auto list = [&](const char* status) {
        return store
            ->listMivoUploadTasks(data::Predicate::withFormat(
                "applyNO=%@ and taskStatus =%@", m_applyTaskNO, std::string(status)))
            .value_or(std::vector<std::shared_ptr<MivoUploadTask>> {});
    };
    m_toUploadData = list("PENDING");
    m_uploadedData = list("UPLOADED");
}

// ---- Registration

namespace {

// Posts a form and hands the reply or the error to the screen, which the request keeps alive.
template<class Finished, class Failed>
void postForm(
    const std::string& path, const Map& fields, const std::string& tag, Finished finished, Failed failed)
{
    auto manager = HttpManager::create();
    manager->postRequestWithBaseUrl(RequestUrlUtil::urlFor(path), Value(fields), tag);
    manager->setRequestFinishBlock([finished](const std::string&, const Value& reply) { finished(reply); });
    manager->setRequestFailiedBlock([failed](const std::string&, const HttpError& error) { failed(error); });
}

} // namespace

void UploadTaskViewController::checkOddNumIsValidRequest()
{
    auto self = sharedAs<UploadTaskViewController>();
    Map fields {{"applyNo", UserInfo::sharedInstance()->orderPrefix() + m_applyTaskNO}};
    postForm(
        kValidatePath, fields, kValidateTag, [self](const Value& reply) { self->validateFinished(reply); },
        [self](const HttpError& error) { self->validateFailed(error); });
}

void UploadTaskViewController::validateFinished(const Value& reply)
{
    // A body that is not the envelope says nothing about the number: as good as no answer.
    if (!reply.isMap()) {
        showNetworkError();
        return;
    }
    if (RequestUrlUtil::succeeded(reply)) {
        uploadOrderRequest();
        return;
    }
    auto self = sharedAs<UploadTaskViewController>();
    std::string message = RequestUrlUtil::message(reply, {});
    auto queue = foundation::DispatchQueue::createSerial("com.qdl.showwarning.msg");
    queue->async([self, message] {
        foundation::DispatchQueue::main().async(
            [self, message] { ModalAlertView::create()->showError(self, kNoticeTitle, message, "确认", 0); });
    });
}

void UploadTaskViewController::validateFailed(const HttpError& error)
{
    foundation::logf("--------error------@%s", error.description.c_str());
    // Silence here would leave the inspector before an idle screen for good.
    showNetworkError();
}

Map UploadTaskViewController::addOrderFields(const MivoTask& task)
{
    auto user = UserInfo::sharedInstance();
    const std::string photoType = task.photoType();
    const std::string productType = task.productType();
    auto created = task.createTime();
    return Map {
        {"userId", foundation::format("%lld", static_cast<long long>(user->userId()))},
        {"applyNo", user->orderPrefix() + task.applyNO()},
        {"stockArea", task.baseLocation()},
        {"undertakeCompany", task.ensureCompany()},
        {"secondhandPrice", task.dealPrice()},
        {"carSource",
            photoType == kPlan1       ? "0"
                : photoType == kPlan2 ? "1"
                                      : "2"},
        {"regDate", created ? DateUtil::getTotalDateByTimeStamp(created->secondsSince1970()) : std::string()},
        {"loantype",
            productType == "常规产品"     ? "0"
                : productType == "车抵贷" ? "1"
                                          : "3"},
    };
}

void UploadTaskViewController::uploadOrderRequest()
{
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
        data::Predicate::withFormat("applyNO=%@ ", m_applyTaskNO));
    if (!tasks || tasks->empty()) {
        foundation::logf("upload: no stored task %s to register", m_applyTaskNO.c_str());
        return;
    }
    auto self = sharedAs<UploadTaskViewController>();
    postForm(
        kAddPath, addOrderFields(*tasks->front()), kAddTag,
        [self](const Value& reply) { self->addFinished(reply); },
        [self](const HttpError& error) { self->addFailed(error); });
}

void UploadTaskViewController::addFinished(const Value& reply)
{
    if (!reply.isMap()) {
        showNetworkError();
        return;
    }
    if (!RequestUrlUtil::succeeded(reply)) {
        // Files sent without a task id reach no task: send none, keep them pending.
        m_showMsgAlertView->showError(sharedAs<UploadTaskViewController>(), kNoticeTitle,
            RequestUrlUtil::message(reply, {}), "确认", 0);
        return;
    }
    // A success without the id is no envelope: its message may well read as a success, so it is
    // not shown; the task stays unregistered and the next try registers it again.
    std::string serverId = text(reply["Data"]["serverId"]);
    if (serverId.empty()) {
        showNetworkError();
        return;
    }
    m_uuidForTask = serverId;
    auto store = IMivoDataBaseManager::sharedManager();
    auto tasks = store->listMivoTasks(data::Predicate::withFormat("applyNO=%@", m_applyTaskNO));
    if (tasks && !tasks->empty()) {
        const auto& task = tasks->front();
        store->updateMivoTask(task, Map {{"carID", m_uuidForTask}, {"oldApplyNO", task->oldApplyNO()}});
    }
    handleUploadData();
}

void UploadTaskViewController::addFailed(const HttpError& error)
{
    foundation::logf("--------error------@%s", error.description.c_str());
    showNetworkError();
}

void UploadTaskViewController::showNetworkError()
{
    m_showMsgAlertView->showError(sharedAs<UploadTaskViewController>(), kNoticeTitle,
        RequestUrlUtil::kNetworkFailureMessage, "确定", 0);
}

// ---- Files

void UploadTaskViewController::handleUploadData()
{
    // The counters belong to one start.
    if (m_uploadsStarted)
        return;
    m_uploadsStarted = true;
    auto self = sharedAs<UploadTaskViewController>();
    m_showMsgAlertView->showSuccess(self, kNoticeTitle, kQueuedText, "确定", 0);
    if (!m_queue) {
        m_queue = foundation::OperationQueue::create();
        m_queue->setMaxConcurrentOperationCount(
            foundation::OperationQueue::kDefaultMaxConcurrentOperationCount);
    }
    m_uploadTotalCount = static_cast<int64_t>(m_toUploadData.size());
    // What the workers read of the screen and the user, fixed before any of them runs.
    m_uploadCarTaskId = m_uuidForTask;
    m_uploadOptional = UserInfo::sharedInstance()->companyName() == "Arvel" ? "" : "18";
    PlanCode plan = planCodeOf(m_applyTaskPhotoType);
    for (size_t i = 0; i < m_toUploadData.size(); ++i) {
        const auto& record = m_toUploadData[i];
        bool video = record->resourceType() == "video";
        std::string index = foundation::format("%d", static_cast<int>(i + 1));
        Map info {
            {"path", record->resourceFilePath()},
            {"type", video ? "video" : "image"},
            {"mineType", video ? "video/mp4" : "image/png"},
            {"index", index},
            {"fileName", record->resourceName()},
            {"lastIndex", plan.lastIndex},
            {"picMod", "1"},
            {"seq", record->taskPosition()},
            {"shootPlan", plan.code},
            {"taskPosition", record->taskPosition()},
        };
        m_recordsInFlight[index] = record;
        m_queue->addInvocationOperation(self, &UploadTaskViewController::uploadFileRequestWithInfoDic, info);
    }
}

void UploadTaskViewController::uploadFileRequestWithInfoDic(const Map& info)
{
    auto field = [&](const char* key) { return info.count(key) ? info.at(key).asString() : std::string(); };
    Map fields {
        {"filename", field("fileName")},
        {"carTaskId", m_uploadCarTaskId},
        {"seq", field("seq")},
        {"carSource", field("shootPlan")},
        {"maxseq", field("lastIndex")},
        {"filelastModifyTime", kFileLastModifyTime},
        {"imgisoriginal", Value(int64_t {0})},
        {"optional", m_uploadOptional},
        {"picMode", field("picMod")},
        {"type", field("type")},
    };
    auto self = sharedAs<UploadTaskViewController>();
    auto manager = HttpManager::create();
    // The blocks go on before the start: from a worker, a quick answer could otherwise reach the main
    // thread before them and be lost, leaving the file unanswered for good.
    manager->setUploadFileFinishBlock(
        [self](const std::string& tag, const Value& reply) { self->fileFinished(tag, reply); });
    manager->setUploadFileFailiedBlock([self](const std::string& tag, const HttpError& error) {
        foundation::logf("--------error------@%s", error.description.c_str());
        self->fileFailed(tag);
    });
    manager->setUploadPercentBlock(
        [self](const std::string& tag, float fraction) { self->progressed(tag, fraction); });
    ++m_filesSent;
    manager->uploadFileWithBaseUrl(RequestUrlUtil::urlFor(kUploadPath), Value(fields), field("path"),
        field("fileName"), field("mineType"), field("index"), field("type"));
}

std::shared_ptr<MivoUploadTask> UploadTaskViewController::recordOf(const std::string& tag) const
{
    auto it = m_recordsInFlight.find(tag);
    return it == m_recordsInFlight.end() ? nullptr : it->second;
}

std::optional<float> UploadTaskViewController::progressOf(const std::shared_ptr<MivoUploadTask>& record) const
{
    for (const auto& [tag, progress] : m_progressInFlight) {
        if (recordOf(tag) == record)
            return progress;
    }
    return std::nullopt;
}

void UploadTaskViewController::forgetInFlight(const std::string& tag)
{
    m_recordsInFlight.erase(tag);
    m_progressInFlight.erase(tag);
}

void UploadTaskViewController::fileFinished(const std::string& tag, const Value& reply)
{
    foundation::logf("jsonDic = %s", reply.toJson().c_str());
    // Only a Success for this very file makes its record "UPLOADED"; anything else is a failed file.
    if (!reply.isMap() || !RequestUrlUtil::succeeded(reply)) {
        fileFailed(tag);
        return;
    }
    auto record = recordOf(tag);
    forgetInFlight(tag);
    if (record && !record->isDeleted()) {
        ++m_uploadTempCount;
        std::string fileUrl = text(reply["Data"]["FileUrl"]);
        IMivoDataBaseManager::sharedManager()->updateMivoUploadTask(record,
            Map {{"taskStatus", "UPLOADED"}, {"fileUrl", fileUrl}, {"thumbnail", fileUrl},
                {"carID", m_uuidForTask}});
    }
    if (m_uploadTempCount == m_uploadTotalCount)
        allFilesUploaded();
    else
        foundation::log("-------------------");
    loadData();
    if (auto table = selfTableView())
        table->reloadData();
}

void UploadTaskViewController::allFilesUploaded()
{
    if (m_uploadModel == kRejectModel) {
        auto store = IMivoDataBaseManager::sharedManager();
        auto tasks = store->listMivoTasks(data::Predicate::withFormat("applyNO=%@", m_applyTaskNO));
        if (tasks && !tasks->empty()) {
            const auto& task = tasks->front();
            store->updateMivoTask(task,
                Map {{"carID", m_uuidForTask}, {"oldApplyNO", task->oldApplyNO()},
                    {"taskStatus", "FINISHED"}});
        }
    }
    m_showMsgAlertView->showSuccess(
        sharedAs<UploadTaskViewController>(), kNoticeTitle, kAllDoneText, std::nullopt, 0);
    auto& cache = webimage::ImageCache::sharedImageCache();
    cache.clearDisk();
    cache.clearMemory();
}

void UploadTaskViewController::fileFailed(const std::string& tag)
{
    forgetInFlight(tag);
    ++m_warningTotalCount;
    if (m_warningTotalCount < 2) {
        m_showMsgAlertView->showWarning(
            sharedAs<UploadTaskViewController>(), kNoticeTitle, kFileFailedText, "知道", 0);
        if (m_queue)
            m_queue->cancelAllOperations();
    }
    loadData();
    if (auto table = selfTableView())
        table->reloadData();
}
