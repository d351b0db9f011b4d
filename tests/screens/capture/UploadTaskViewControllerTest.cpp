#include "tests/screens/capture/UploadFixture.h"

#include "components/alert/ModalAlertButton.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ProgressView.h"
#include "platform/webimage/ImageCache.h"
#include "screens/capture/UploadTaskTableViewCell.h"

#include <algorithm>
#include <mutex>

namespace {

using mivo::test::UploadFixture;

constexpr const char* kNetworkError = "网络超时,请重新尝试!";
constexpr const char* kAllDone = "数据全部上传成功!";
constexpr const char* kFileWarning = "由于网络原因部分资源未能上传成功,请返回查看详情之后重传未完成资源";
constexpr const char* kRefused = "服务器拒绝了请求";
constexpr const char* kValidateLine = "CarTask.ashx?method=validate";
constexpr const char* kAddLine = "CarTask.ashx?method=add";
constexpr const char* kUploadLine = "FileUpload.ashx?method=upload";

class UploadTaskViewControllerTest : public UploadFixture { };

TEST_F(UploadTaskViewControllerTest, NothingPendingSaysSoAndSendsNothing)
{
    makeTask("U100", 0, false);
    // One file already uploaded: still nothing to send, and no second section.
    store()->updateMivoUploadTask(
        records(data::Predicate::withFormat("applyNO=%@", std::string("U100"))).front(),
        {{"taskStatus", "UPLOADED"}});
    size_t requests = logCount("/Services/");

    auto screen = open("U100");
    ASSERT_TRUE(waitForAlert("所有数据都已同步到服务器,没有需要上传的数据!"));
    EXPECT_EQ(alertButtons(*screen->showMsgAlertView()), (std::vector<std::string> {"确认"}));
    EXPECT_EQ(logCount("/Services/"), requests);

    auto table = screen->selfTableView();
    ASSERT_TRUE(table);
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfSections(), 1u);
    EXPECT_EQ(table->numberOfRowsInSection(0), 0u);
    EXPECT_EQ(table->headerViewForSection(0)->text(), "正在上传任务(0)");
    EXPECT_EQ(table->rectForHeaderInSection(0).height(), 55);
}

TEST_F(UploadTaskViewControllerTest, AKnownServerIdGoesStraightToTheFiles)
{
    std::string carId = registerTask("U200");
    ASSERT_FALSE(carId.empty());
    makeTask("U200", 3, true, carId);
    // A server thumbnail seen earlier, in memory and on disk.
    auto& cache = webimage::ImageCache::sharedImageCache();
    auto bytes = std::make_shared<const std::string>(thumbnailJpeg());
    cache.storeImage("http://server/thumb.jpg", graphics::Image::create(16, 12), bytes);
    ASSERT_TRUE(runUntil([&] { return cache.diskImageExists("http://server/thumb.jpg"); }, 5));
    size_t validates = logCount(kValidateLine);
    size_t adds = logCount(kAddLine);

    auto screen = open("U200", carId);
    ASSERT_TRUE(waitForAlert(kAllDone)) << alertText(*screen);
    ASSERT_TRUE(settle());
    EXPECT_EQ(logCount(kValidateLine), validates);
    EXPECT_EQ(logCount(kAddLine), adds);
    EXPECT_EQ(screen->uploadTotalCount(), 4);
    EXPECT_EQ(screen->uploadTempCount(), 4);
    // The all-done notice has no button of its own: it closes with the queued notice's.
    EXPECT_EQ(alertButtons(*screen->showMsgAlertView()), (std::vector<std::string> {"确定"}));
    EXPECT_EQ(countStatus("U200", "UPLOADED"), 4u);
    EXPECT_EQ(countStatus("U200", "PENDING"), 0u);
    EXPECT_EQ(task("U200")->taskStatus(), "TOUPLOAD") << "a normal task waits for the server's lists";
    EXPECT_FALSE(cache.imageFromMemoryCache("http://server/thumb.jpg")) << "the image cache is emptied";
    EXPECT_TRUE(runUntil([&] { return !cache.diskImageExists("http://server/thumb.jpg"); }, 5));
    for (const auto& record : records(data::Predicate::withFormat(
             "applyNO=%@ and taskStatus=%@", std::string("U200"), std::string("UPLOADED")))) {
        EXPECT_EQ(record->carID(), carId);
        EXPECT_EQ(record->fileUrl().rfind("/media/" + carId + "/", 0), 0u) << record->fileUrl();
        EXPECT_EQ(record->thumbnail(), record->fileUrl());
    }
    expectStoreMatchesServer("U200");

    // The uploaded files moved to the second section: the photos with a full bar, the video as the
    // cell comes.
    auto table = screen->selfTableView();
    EXPECT_EQ(table->numberOfSections(), 1u) << "no pending file: one section";
    EXPECT_TRUE(screen->toUploadData().empty());
    EXPECT_EQ(screen->uploadedData().size(), 4u);
}

TEST_F(UploadTaskViewControllerTest, ANewTaskIsValidatedAddedAndThenUploaded)
{
    makeTask("U300", 13, true);
    auto screen = open("U300");
    ASSERT_TRUE(waitForAlert(kAllDone)) << alertText(*screen);
    ASSERT_TRUE(settle());
    auto carId = s_server->carIdOf("AVU300");
    ASSERT_TRUE(carId);
    EXPECT_EQ(screen->uuidForTask(), *carId);
    EXPECT_EQ(task("U300")->carID(), *carId);
    EXPECT_EQ(task("U300")->taskStatus(), "TOUPLOAD");
    EXPECT_EQ(countStatus("U300", "UPLOADED"), 14u);
    EXPECT_EQ(serverFiles("U300").size(), 14u);
    expectStoreMatchesServer("U300");
}

TEST_F(UploadTaskViewControllerTest, InRejectModeTheTaskIsFinishedWhenAllAreAnswered)
{
    std::string carId = registerTask("U400");
    ASSERT_TRUE(s_server->reject(carId, "照片模糊"));
    makeTask("U400", 2, false, carId, "REJECTED", "0");
    auto screen = open("U400", carId, UploadTaskViewController::kRejectModel, "0");
    ASSERT_TRUE(waitForAlert(kAllDone)) << alertText(*screen);
    ASSERT_TRUE(settle());
    EXPECT_EQ(task("U400")->taskStatus(), "FINISHED");
    EXPECT_EQ(task("U400")->carID(), carId);
    expectStoreMatchesServer("U400");
}

TEST_F(UploadTaskViewControllerTest, AnAnswerUpdatesTheRecordItsRequestCarried)
{
    // An older record of the same number, position and type (from the server's lists) comes first
    // in the store: the reply must not land on it.
    ASSERT_TRUE(
        store()->insertMivoUploadTask({{"applyNO", "U500"}, {"resourceType", "image"}, {"taskPosition", "1"},
            {"taskStatus", "UPLOADED"}, {"carID", "999999"}, {"fileUrl", "/media/999999/1-old.jpg"}}));
    std::string carId = registerTask("U500");
    makeTask("U500", 1, false, carId);
    auto screen = open("U500", carId);
    ASSERT_TRUE(waitForAlert(kAllDone)) << alertText(*screen);
    ASSERT_TRUE(settle());
    for (const auto& record : records(data::Predicate::withFormat(
             "applyNO=%@ and taskPosition=%@", std::string("U500"), std::string("1")))) {
        if (record->carID() == "999999")
            EXPECT_EQ(record->fileUrl(), "/media/999999/1-old.jpg");
        else
            EXPECT_EQ(record->taskStatus(), "UPLOADED");
    }
}

TEST_F(UploadTaskViewControllerTest, ClosingTheScreenStopsNothingAndTheRequestsLetItGoWhenDone)
{
    std::string carId = registerTask("U700");
    makeTask("U700", 5, true, carId);
    std::weak_ptr<UploadTaskViewController> weakScreen = open("U700", carId);
    m_screen->dismissViewBtnClick();
    m_screen.reset();
    foundation::RunLoop::main().runFor(1);
    // The queued operations and the requests' blocks still run, and let the screen go at the end.
    ASSERT_TRUE(runUntil([&] { return countStatus("U700", "UPLOADED") == 6 && weakScreen.expired(); }))
        << countStatus("U700", "UPLOADED") << " uploaded";
    expectStoreMatchesServer("U700");
}

// ---- Each step failing in each way

enum class Step { Validate, Add, OneFile, AllFiles };

struct FailureCase {
    Step step;
    const char* mode;
    const char* name;
};

class UploadFailureTest : public UploadFixture, public ::testing::WithParamInterface<FailureCase> { };

TEST_P(UploadFailureTest, ShowsWhatFailedAndKeepsTheStoreTrue)
{
    const FailureCase& c = GetParam();
    std::string applyNO = std::string("F") + c.name;
    makeTask(applyNO, 3, true);
    const char* prefix = c.step == Step::Validate ? "/Services/CarTask.ashx?method=validate"
        : c.step == Step::Add                     ? "/Services/CarTask.ashx?method=add"
                                                  : "/Services/FileUpload.ashx";
    int count = c.step == Step::OneFile ? 1 : -1;
    bool delay = std::string(c.mode) == "delay";
    if (delay)
        HttpManager::setTimeoutsForTesting(1.0, 1.0);
    ASSERT_TRUE(s_server->misbehave(c.mode, delay ? 2500 : 0, prefix, count));
    size_t uploads = logCount(kUploadLine);

    auto screen = open(applyNO);
    bool registration = c.step == Step::Validate || c.step == Step::Add;
    std::string refusal = registration ? kRefused : kFileWarning;
    std::string expected = std::string(c.mode) == "refuse" ? refusal
        : registration                                     ? kNetworkError
                                                           : kFileWarning;
    ASSERT_TRUE(waitForAlert(expected)) << "shown: " << alertText(*screen);
    ASSERT_TRUE(settle());
    s_server->behave();

    if (registration) {
        EXPECT_EQ(logCount(kUploadLine), uploads) << "no file may go out without a registered task";
        EXPECT_EQ(countStatus(applyNO, "PENDING"), 4u);
        EXPECT_EQ(task(applyNO)->carID(), "");
        EXPECT_EQ(screen->uploadTotalCount(), 0);
    } else {
        EXPECT_NE(alertText(*screen), kAllDone);
        EXPECT_GE(screen->warningTotalCount(), 1);
        EXPECT_GE(countStatus(applyNO, "PENDING"), c.step == Step::AllFiles ? 4u : 1u);
        // One warning whatever the number of failures; it keeps the queued notice's button.
        EXPECT_EQ(alertButtons(*screen->showMsgAlertView()), (std::vector<std::string> {"确定", "知道"}));
    }
    expectStoreMatchesServer(applyNO);
}

std::vector<FailureCase> failureCases()
{
    std::vector<FailureCase> cases;
    const std::pair<Step, const char*> steps[] = {{Step::Validate, "Validate"}, {Step::Add, "Add"},
        {Step::OneFile, "OneFile"}, {Step::AllFiles, "AllFiles"}};
    const std::pair<const char*, const char*> modes[] = {{"delay", "Timeout"}, {"drop", "Drop"},
        {"500", "Status500"}, {"nonjson", "NonJson"}, {"refuse", "Refused"}, {"huge", "TooLarge"}};
    static std::vector<std::string> names;
    names.reserve(24);
    for (auto& [step, stepName] : steps) {
        for (auto& [mode, modeName] : modes) {
            names.push_back(std::string(stepName) + modeName);
            cases.push_back({step, mode, names.back().c_str()});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryStep, UploadFailureTest, ::testing::ValuesIn(failureCases()),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---- The table

class UploadTableTest : public UploadFixture {
protected:
    using Api = UploadTaskViewControllerTestApi;

    // A refused "validate" leaves the rows pending with no request in flight; the files' requests are
    // then played by hand, tagged by their place as the uploads would tag them.
    std::shared_ptr<UploadTaskViewController> openIdle(const std::string& applyNO, size_t photos)
    {
        makeTask(applyNO, photos, true);
        EXPECT_TRUE(s_server->misbehave("refuse", 0, "/Services/CarTask.ashx?method=validate", 1));
        auto screen = open(applyNO);
        EXPECT_TRUE(waitForAlert(kRefused));
        for (size_t i = 0; i < screen->toUploadData().size(); ++i)
            Api::track(*screen, std::to_string(i + 1), screen->toUploadData()[i]);
        screen->selfTableView()->layoutIfNeeded();
        return screen;
    }

    std::shared_ptr<UploadTaskTableViewCell> cellAt(size_t row, int64_t section = 0)
    {
        return std::dynamic_pointer_cast<UploadTaskTableViewCell>(
            m_screen->selfTableView()->cellForRowAtIndexPath(
                ui::IndexPath::forRow(static_cast<int64_t>(row), section)));
    }

    // The value comes back from a queue's thread: wait for it in real time.
    void progressed(const char* tag, float fraction)
    {
        Api::progressed(*m_screen, tag, fraction);
        EXPECT_TRUE(runUntil([&] { return Api::progressOf(*m_screen, tag) == fraction; }));
        foundation::RunLoop::main().runFor(0.1);
    }
};

TEST_F(UploadTableTest, RowsShowTheShotTitleThumbnailAndProgressByPosition)
{
    auto screen = openIdle("U600", 2);
    auto table = screen->selfTableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 3u);
    EXPECT_EQ(table->headerViewForSection(0)->text(), "正在上传任务(3)");

    auto shots = GetCourseArrayModel::getConstantArrayByType(0);
    ASSERT_TRUE(cellAt(0) && cellAt(2));
    EXPECT_EQ(cellAt(0)->dealPrice()->text(), shots[0]["title"].asString());
    EXPECT_EQ(cellAt(0)->applyNOLabel()->text(), "U600");
    EXPECT_EQ(cellAt(2)->dealPrice()->text(), "视频资源信息");
    // Thumbnails from the user's "picture" and "video" folders.
    EXPECT_TRUE(cellAt(0)->taskImage()->image());
    EXPECT_TRUE(cellAt(2)->taskImage()->image());
    EXPECT_EQ(cellAt(0)->progressview()->progress(), 0.0f);

    // Progress of the third file lands on its row; once the first file is answered the rows close up
    // and the third file's progress follows it to its new row.
    progressed("3", 0.5f);
    EXPECT_FLOAT_EQ(cellAt(2)->progressview()->progress(), 0.5f);
    EXPECT_EQ(cellAt(1)->progressview()->progress(), 0.0f);
    // A reload in mid-upload makes the rows again: each keeps how far its file has gone.
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_FLOAT_EQ(cellAt(2)->progressview()->progress(), 0.5f);
    EXPECT_EQ(cellAt(1)->progressview()->progress(), 0.0f);

    Api::fileFinished(*screen, "1",
        foundation::Value::fromJson(R"({"Success":true,"Msg":"","Data":{"FileUrl":"/media/x/1.jpg"}})")
            .value());
    table->layoutIfNeeded();
    ASSERT_EQ(table->numberOfSections(), 2u);
    EXPECT_EQ(table->headerViewForSection(0)->text(), "正在上传任务(2)");
    EXPECT_EQ(table->headerViewForSection(1)->text(), "已经上传完成的传任务(1)");
    EXPECT_FLOAT_EQ(cellAt(1)->progressview()->progress(), 0.5f) << "the video's row, made again";
    progressed("3", 0.75f);
    EXPECT_FLOAT_EQ(cellAt(1)->progressview()->progress(), 0.75f) << "the video's row";
    EXPECT_EQ(cellAt(0)->progressview()->progress(), 0.0f) << "the second photo's row";
    auto uploaded = cellAt(0, 1);
    ASSERT_TRUE(uploaded);
    EXPECT_EQ(uploaded->progressview()->progress(), 1.0f);

    // A failed file is no longer on its way: its row starts empty again.
    Api::fileFinished(*screen, "3", foundation::Value::fromJson(R"({"Success":false,"Msg":"x"})").value());
    table->layoutIfNeeded();
    EXPECT_EQ(cellAt(1)->progressview()->progress(), 0.0f);
    // The requests were played by hand: nothing for the fixture to wait for.
    m_screen.reset();
}

TEST_F(UploadTableTest, ProgressReachesItsRowThroughASerialQueueOfItsOwn)
{
    auto screen = openIdle("U620", 2);
    std::mutex mutex;
    std::vector<std::string> senders;
    foundation::DispatchQueue::setMainQueueObserverForTesting([&] {
        std::lock_guard lock(mutex);
        senders.push_back(foundation::DispatchQueue::currentLabel());
    });
    progressed("2", 0.25f);
    progressed("2", 0.5f);
    foundation::DispatchQueue::setMainQueueObserverForTesting(nullptr);
    EXPECT_EQ(std::count(senders.begin(), senders.end(), "com.brevane-savephotoes"), 2) << "one hop each";
    EXPECT_EQ(std::count(senders.begin(), senders.end(), foundation::DispatchQueue::main().label()), 0);
    EXPECT_FLOAT_EQ(cellAt(1)->progressview()->progress(), 0.5f);
    EXPECT_EQ(cellAt(0)->progressview()->progress(), 0.0f);

    // Steps overtaken on the way: the bar stays at the furthest one.
    Api::showProgress(*screen, "2", 0.75f);
    Api::showProgress(*screen, "2", 0.6f);
    EXPECT_FLOAT_EQ(cellAt(1)->progressview()->progress(), 0.75f);
    EXPECT_EQ(Api::progressOf(*screen, "2"), 0.75f);
    m_screen.reset();
}

TEST_F(UploadTableTest, ARowScrolledIntoViewShowsItsFilesProgress)
{
    auto screen = openIdle("U610", 13);
    auto table = screen->selfTableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 14u);
    ASSERT_FALSE(cellAt(12)) << "below the screen";
    progressed("1", 0.3f);
    progressed("13", 0.6f);
    EXPECT_FLOAT_EQ(cellAt(0)->progressview()->progress(), 0.3f);

    table->setContentOffset(table->maximumContentOffset());
    table->layoutIfNeeded();
    ASSERT_FALSE(cellAt(0)) << "scrolled out";
    ASSERT_TRUE(cellAt(12));
    EXPECT_FLOAT_EQ(cellAt(12)->progressview()->progress(), 0.6f);
    EXPECT_EQ(cellAt(11)->progressview()->progress(), 0.0f) << "no progress yet";

    table->setContentOffset({0, 0});
    table->layoutIfNeeded();
    ASSERT_TRUE(cellAt(0));
    EXPECT_FLOAT_EQ(cellAt(0)->progressview()->progress(), 0.3f);
    m_screen.reset();
}

} // namespace
