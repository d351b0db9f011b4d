#include "tests/app/ShellFixture.h"

#include "core/net/UserInfo.h"
#include "core/store/GetCourseArrayModel.h"
#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/host/Automation.h"
#include "platform/ui/Camera.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "screens/capture/FinishedCollectionViewController.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/capture/PendingCollectionViewController.h"
#include "screens/capture/PhotoListCollectionReusableView.h"
#include "screens/capture/PhotoListCollectionViewCell.h"
#include "screens/capture/RejectedCollectionViewController.h"
#include "screens/capture/ToUploadCollectionViewController.h"
#include "screens/shell/HomeViewController.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <filesystem>

using data::Predicate;
using mivo::test::ShellFixture;
using ui::IndexPath;

namespace {

namespace fs = std::filesystem;

class GridScreensTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        // The camera sees only the EXIF portrait (and the movie), so every photo is a portrait.
        auto camera = m_home.path() / "camera";
        foundation::createDirectories(camera);
        auto samples = fs::path(MIVO_SOURCE_DIR) / "Resources/camera";
        fs::copy_file(samples / "sample-photo-5-portrait-exif6.jpg", camera / "portrait.jpg");
        fs::copy_file(samples / "sample-video.mp4", camera / "movie.mp4");
        ui::Camera::shared().setFolder(camera);
        ASSERT_TRUE(m_sliding = logIn("arvel"));
    }

    void TearDown() override
    {
        ui::Camera::shared().setFolder({});
        m_sliding.reset();
        ShellFixture::TearDown();
    }

    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }

    // A new local task of the seal plan (list type 0 for Arvel).
    std::shared_ptr<MivoTask> newTask(const std::string& applyNO)
    {
        auto user = UserInfo::sharedInstance();
        NewTaskFields fields {
            applyNO, "上海浦东仓", "平安保险", "86000", "常规产品", TaskRecordUtil::kPlanRemoveSeal};
        return TaskRecordUtil::storeNewTask(
            fields, user->companyName(), "arvel", user->userId(), foundation::Date::now());
    }

    static std::vector<std::shared_ptr<MivoUploadTask>> records(const std::string& applyNO, const char* type)
    {
        return *IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(
            Predicate::withFormat("applyNO=%@ and resourceType=%@", applyNO, type));
    }

    // Marks the task's video and all photos but `missing` taken.
    static void takeAllBut(const std::string& applyNO, size_t missing)
    {
        auto store = IMivoDataBaseManager::sharedManager();
        auto images = records(applyNO, "image");
        for (size_t i = 0; i + missing < images.size(); ++i)
            store->updateMivoUploadTask(images[i], foundation::Map {{"taskStatus", "PENDING"}});
        for (const auto& video : records(applyNO, "video"))
            store->updateMivoUploadTask(video, foundation::Map {{"taskStatus", "PENDING"}});
    }

    static std::string taskStatus(const std::string& applyNO)
    {
        auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
            Predicate::withFormat("applyNO=%@", applyNO));
        return tasks && !tasks->empty() ? tasks->front()->taskStatus() : "(none)";
    }

    template<class Grid> std::shared_ptr<Grid> push(const std::string& applyNO, const std::string& plan)
    {
        auto grid = Grid::create();
        grid->setApplyTaskNO(applyNO);
        grid->setApplyTaskPhotoType(plan);
        homeStack(m_sliding)->pushViewController(grid, false);
        step();
        return grid;
    }

    // The slot's state text as drawn.
    static std::string state(ShotGridViewController& grid, IndexPath path)
    {
        grid.collectionView()->scrollRectToVisible(
            grid.collectionView()->layoutAttributesForItemAtIndexPath(path)->frame, false);
        auto cell = grid.cellAt(path);
        if (!cell)
            return "(not on screen)";
        return cell->photoStatusLabel()->text();
    }

    // Takes a shot for a slot through the camera and waits until the grid shows it taken.
    bool shoot(ShotGridViewController& grid, IndexPath path)
    {
        grid.collectionView()->scrollRectToVisible(
            grid.collectionView()->layoutAttributesForItemAtIndexPath(path)->frame, false);
        grid.didSelectItemAtIndexPath(*grid.collectionView(), path);
        step(0.6);
        auto picker = grid.presentedPicker();
        if (!picker)
            return false;
        picker->takePicture();
        step(0.6);
        return runUntil([&] { return state(grid, path) == "已拍摄"; });
    }

    std::shared_ptr<SlidingViewController> m_sliding;
};

TEST_F(GridScreensTest, TheNewTaskGridShowsTheShotListAndTakesAPhotoUpright)
{
    newTask("G100");
    auto grid = push<NewTaskPLCollectionViewController>("G100", TaskRecordUtil::kPlanRemoveSeal);
    auto shots = GetCourseArrayModel::getConstantArrayByType(0);
    ASSERT_FALSE(shots.empty());
    auto& view = *grid->collectionView();
    EXPECT_EQ(view.numberOfSections(), 2);
    EXPECT_EQ(view.numberOfItemsInSection(0), int64_t(shots.size()));
    EXPECT_EQ(view.numberOfItemsInSection(1), 1);

    auto first = grid->cellAt({0, 0});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->photoLabel()->text(), shots[0]["title"].asString());
    EXPECT_EQ(state(*grid, {0, 0}), "未拍摄");
    auto header = std::static_pointer_cast<PhotoListCollectionReusableView>(
        view.supplementaryViewForElementKind(ui::kCollectionElementKindSectionHeader, {0, 0}));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->title()->text(), "图片列表");
    EXPECT_TRUE(header->backgroundImage()->image()) << "header_banner.jpg ships with the app";
    EXPECT_TRUE(first->recipeImageView()->image()) << "no_pic_default.png ships with the app";

    // A real tap on the slot, by its label, opens the camera in photo mode.
    host::Automation automation;
    ASSERT_NE(automation.handle(R"({"cmd":"tap","label":"照片1:"})").find("\"ok\":true"), std::string::npos);
    step(0.6);
    auto picker = grid->presentedPicker();
    ASSERT_TRUE(picker);
    EXPECT_FALSE(picker->isMovieMode());
    EXPECT_EQ(picker->sourceType(), ui::ImagePickerController::SourceType::Camera);
    EXPECT_EQ(picker->videoQuality(), ui::ImagePickerController::VideoQuality::High);
    picker->takePicture();
    step(0.6);
    ASSERT_TRUE(runUntil([&] { return state(*grid, {0, 0}) == "已拍摄"; })) << "the saved shot shows";
    auto thumbnail = grid->cellAt({0, 0})->recipeImageView()->image();
    ASSERT_TRUE(thumbnail);
    EXPECT_GT(thumbnail->size().height, thumbnail->size().width) << "the portrait's thumbnail stands upright";
    EXPECT_EQ(records("G100", "image")[0]->taskStatus(), "PENDING");
    EXPECT_EQ(taskStatus("G100"), "PENDING") << "taking shots does not change the task";

    // The new-task grid has no footer; the video slot opens the camera for a short VGA movie.
    view.setContentOffset(view.maximumContentOffset());
    view.layoutIfNeeded();
    EXPECT_FALSE(view.supplementaryViewForElementKind(ui::kCollectionElementKindSectionFooter, {1, 0}));
    EXPECT_EQ(state(*grid, {1, 0}), "未拍摄");
    auto moviePicker = grid->makePicker({1, 0});
    EXPECT_TRUE(moviePicker->isMovieMode());
    EXPECT_EQ(moviePicker->videoQuality(), ui::ImagePickerController::VideoQuality::Type640x480);
    EXPECT_EQ(moviePicker->videoMaximumDuration(), 35.0);
    ASSERT_TRUE(shoot(*grid, {1, 0}));
    EXPECT_EQ(records("G100", "video")[0]->taskStatus(), "PENDING");
}

TEST_F(GridScreensTest, OnlyTheTwoNamedExitsApplyTheReadyRule)
{
    enum class Exit { Back, Slider };
    struct Case {
        const char* applyNO;
        const char* grid;
        Exit exit;
        size_t missing;
        const char* expected;
    } cases[] = {
        {"E1", "new", Exit::Slider, 3, "TOUPLOAD"},
        {"E2", "new", Exit::Back, 3, "PENDING"},
        {"E3", "pending", Exit::Back, 3, "TOUPLOAD"},
        {"E4", "pending", Exit::Slider, 3, "PENDING"},
        {"E5", "pending", Exit::Back, 4, "PENDING"},
        {"E6", "upload", Exit::Back, 0, "PENDING"},
        {"E7", "upload", Exit::Slider, 0, "PENDING"},
    };
    for (const auto& c : cases) {
        newTask(c.applyNO);
        takeAllBut(c.applyNO, c.missing);
        std::shared_ptr<ShotGridViewController> grid;
        if (std::string(c.grid) == "new")
            grid = push<NewTaskPLCollectionViewController>(c.applyNO, TaskRecordUtil::kPlanRemoveSeal);
        else if (std::string(c.grid) == "pending")
            grid = push<PendingCollectionViewController>(c.applyNO, TaskRecordUtil::kPlanRemoveSeal);
        else
            grid = push<ToUploadCollectionViewController>(c.applyNO, TaskRecordUtil::kPlanRemoveSeal);
        size_t depth = homeStack(m_sliding)->viewControllers().size();
        if (c.exit == Exit::Back)
            grid->backToHome();
        else
            grid->backToHomeBySlider();
        step(1);
        EXPECT_EQ(taskStatus(c.applyNO), c.expected) << c.applyNO;
        if (c.exit == Exit::Back && std::string(c.grid) != "new") {
            EXPECT_EQ(homeStack(m_sliding)->viewControllers().size(), depth - 1)
                << c.applyNO << " pops one screen";
        }
        homeStack(m_sliding)->popToRootViewController(false);
        step();
    }
}

TEST_F(GridScreensTest, TheReadyToUploadGridReloadsOnAppearing)
{
    newTask("U100");
    takeAllBut("U100", 0);
    auto store = IMivoDataBaseManager::sharedManager();
    auto grid = push<ToUploadCollectionViewController>("U100", TaskRecordUtil::kPlanRemoveSeal);
    EXPECT_EQ(state(*grid, {1, 0}), "已拍摄");
    grid->collectionView()->setContentOffset(grid->collectionView()->maximumContentOffset());
    grid->collectionView()->layoutIfNeeded();
    EXPECT_TRUE(grid->collectionView()->supplementaryViewForElementKind(
        ui::kCollectionElementKindSectionFooter, {1, 0}));

    // Another screen changes a record; coming back shows it.
    auto other = ui::ViewController::create();
    homeStack(m_sliding)->pushViewController(other, false);
    step();
    store->updateMivoUploadTask(records("U100", "video")[0], foundation::Map {{"taskStatus", "UPLOADED"}});
    homeStack(m_sliding)->popViewController(false);
    step();
    EXPECT_EQ(state(*grid, {1, 0}), "已上传");
}

TEST_F(GridScreensTest, ScrolledAndReusedCellsShowTheirOwnSlot)
{
    newTask("S100");
    takeAllBut("S100", 0);
    auto images = records("S100", "image");
    for (size_t i = 0; i < images.size(); i += 2)
        IMivoDataBaseManager::sharedManager()->updateMivoUploadTask(
            images[i], foundation::Map {{"taskStatus", "DEFAULT"}});
    auto grid = push<PendingCollectionViewController>("S100", TaskRecordUtil::kPlanRemoveSeal);
    auto& view = *grid->collectionView();
    for (double y = 0; y <= view.maximumContentOffset().y; y += 45) {
        view.setContentOffset({0, y});
        view.layoutIfNeeded();
        for (const auto& cell : view.visibleCells()) {
            auto path = view.indexPathForCell(*cell);
            ASSERT_TRUE(path);
            auto shown = std::static_pointer_cast<PhotoListCollectionViewCell>(cell);
            if (path->section == 1)
                continue;
            bool taken = path->item % 2 == 1;
            EXPECT_EQ(shown->photoStatusLabel()->text(), taken ? "已拍摄" : "未拍摄")
                << path->item << " at " << y;
            EXPECT_EQ(bool(shown->recipeImageView()->image()), !taken)
                << "the thumbnail file of a taken slot is missing here, so it shows none, not another slot's";
        }
    }
    EXPECT_LE(view.viewsMadeForReuseIdentifier(PhotoListCollectionViewCell::kReuseIdentifier), 10u);
}

TEST_F(GridScreensTest, CancellingTheCameraChangesNothingAndOnlyThePendingGridStaysQuiet)
{
    newTask("C100");
    struct Case {
        bool pending;
        bool logs;
    } cases[] = {{false, true}, {true, false}};
    for (const auto& c : cases) {
        std::shared_ptr<LocalShotGridViewController> grid;
        if (c.pending)
            grid = push<PendingCollectionViewController>("C100", TaskRecordUtil::kPlanRemoveSeal);
        else
            grid = push<NewTaskPLCollectionViewController>("C100", TaskRecordUtil::kPlanRemoveSeal);
        foundation::LogCapture log(foundation::LogCapture::Echo::No);
        grid->didSelectItemAtIndexPath(*grid->collectionView(), {0, 0});
        step(0.6);
        auto picker = grid->presentedPicker();
        ASSERT_TRUE(picker);
        picker->cancel();
        step(1);
        EXPECT_FALSE(grid->presentedPicker()) << "dismissed";
        EXPECT_EQ(log.contains("Picker was cancelled"), c.logs) << (c.pending ? "pending" : "new");
        EXPECT_EQ(records("C100", "image")[0]->taskStatus(), "DEFAULT");
        homeStack(m_sliding)->popToRootViewController(false);
        step();
    }
}

TEST_F(GridScreensTest, ALongPressIsNotATap)
{
    newTask("L100");
    auto grid = push<PendingCollectionViewController>("L100", TaskRecordUtil::kPlanRemoveSeal);
    int pressed = 0;
    grid->longPressGestureRecognizer()->addTarget(
        [&](ui::GestureRecognizer& recognizer) { pressed += recognizer.state() == ui::GestureState::Began; });
    host::Automation automation;
    ASSERT_NE(automation.handle(R"({"cmd":"longpress","label":"照片2:","duration":1})").find("\"ok\":true"),
        std::string::npos);
    step(0.6);
    EXPECT_EQ(pressed, 1);
    EXPECT_FALSE(grid->presentedPicker()) << "the camera does not open";
    EXPECT_FALSE(grid->selectIndexPath());
}

class RejectedGridTest : public GridScreensTest {
protected:
    // A rejected task as the server list stores it: photos 1 and 3 and the video on the server.
    std::shared_ptr<RejectedCollectionViewController> openRejected()
    {
        auto store = IMivoDataBaseManager::sharedManager();
        auto task = store->insertMivoTask(foundation::Map {{"applyNO", "R7"}, {"carID", "88"},
            {"photoType", "0"}, {"taskStatus", "REJECTED"}, {"createUser", "arvel"}, {"carID", "88"}});
        for (auto [position, type] : {std::pair {"1", "image"}, {"3", "image"}, {"16", "video"}})
            store->insertMivoUploadTask(foundation::Map {{"carID", "88"}, {"taskPosition", position},
                {"resourceType", type}, {"taskStatus", "UPLOADED"}, {"applyNO", "R7"},
                {"fileUrl", std::string("/files/") + position + ".jpg"},
                {"thumbnail", std::string("/files/_") + position + ".jpg"}});
        auto grid = RejectedCollectionViewController::create();
        grid->setApplyTaskNO("R7");
        grid->setApplyTaskPhotoType("0");
        grid->setUuidForTask("88");
        grid->setSynMivoTask(task);
        homeStack(m_sliding)->pushViewController(grid, false);
        step();
        return grid;
    }
    static std::vector<std::shared_ptr<MivoUploadTask>> byPosition(const std::string& position)
    {
        return *IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(
            Predicate::withFormat("carID=%@ and taskPosition=%@", "88", position));
    }
};

TEST_F(RejectedGridTest, SlotsShowTheServerCopiesAndAnEmptySlotGetsANewRecord)
{
    auto grid = openRejected();
    EXPECT_EQ(grid->listType(), 0) << "Arvel with plan code 0";
    EXPECT_EQ(state(*grid, {0, 1}), "未拍摄");
    EXPECT_EQ(state(*grid, {0, 2}), "已上传");

    ASSERT_TRUE(shoot(*grid, {0, 1}));
    auto added = byPosition("2");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->taskStatus(), "PENDING");
    EXPECT_EQ(added[0]->applyNO(), "R7");
    EXPECT_EQ(added[0]->resourceType(), "image");
    EXPECT_EQ(added[0]->fileUrl(), "");
    EXPECT_EQ(added[0]->thumbnail(), "");

    // Shooting an uploaded slot again keeps its server paths and shows the local copy.
    ASSERT_TRUE(shoot(*grid, {0, 0}));
    auto again = byPosition("1");
    ASSERT_EQ(again.size(), 1u) << "updated, not added";
    EXPECT_EQ(again[0]->taskStatus(), "PENDING");
    EXPECT_EQ(again[0]->fileUrl(), "/files/1.jpg");
    EXPECT_TRUE(grid->cellAt({0, 0})->recipeImageView()->image()) << "the local thumbnail";

    // The video slot shows the first video record; shooting it again updates that record.
    ASSERT_TRUE(shoot(*grid, {1, 0}));
    auto videos = *IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(
        Predicate::withFormat("carID=%@ and resourceType=%@", "88", "video"));
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(videos[0]->taskStatus(), "PENDING");
    EXPECT_EQ(taskStatus("R7"), "REJECTED") << "the grid never applies the ready rule";
}

TEST_F(GridScreensTest, TheFinishedGridOpensNoCamera)
{
    auto store = IMivoDataBaseManager::sharedManager();
    std::vector<std::shared_ptr<MivoUploadTask>> uploads;
    for (auto [position, type] : {std::pair {"1", "image"}, {"16", "video"}})
        uploads.push_back(store->insertMivoUploadTask(
            foundation::Map {{"carID", "5"}, {"taskPosition", position}, {"resourceType", type},
                {"taskStatus", "UPLOADED"}, {"thumbnail", std::string("/t/") + position}}));
    auto grid = FinishedCollectionViewController::create();
    grid->setApplyTaskNO("F5");
    grid->setApplyTaskPhotoType("1");
    grid->setAllMivoUploads(uploads);
    homeStack(m_sliding)->pushViewController(grid, false);
    step();
    EXPECT_EQ(grid->listType(), 1);
    EXPECT_EQ(state(*grid, {0, 0}), "已上传");

    grid->didSelectItemAtIndexPath(*grid->collectionView(), {0, 0});
    step(0.6);
    EXPECT_FALSE(grid->presentedPicker());
    EXPECT_EQ(grid->selectIndexPath(), (IndexPath {0, 0}));
    EXPECT_TRUE(grid->longPressGestureRecognizer()) << "installed for shot viewing";
}

TEST_F(GridScreensTest, TheServerTaskGridsLeaveByBackToTheListAndByHomeToTheDashboard)
{
    for (bool rejected : {true, false}) {
        for (std::string exit : {"返回", "首页"}) {
            SCOPED_TRACE((rejected ? "rejected " : "finished ") + exit);
            auto stack = homeStack(m_sliding);
            auto list = ui::ViewController::create();
            stack->pushViewController(list, false);
            std::shared_ptr<ShotGridViewController> grid;
            if (rejected) {
                auto rejectedGrid = RejectedCollectionViewController::create();
                rejectedGrid->setUuidForTask("31");
                grid = rejectedGrid;
            } else {
                grid = FinishedCollectionViewController::create();
            }
            grid->setApplyTaskNO("X31");
            grid->setApplyTaskPhotoType("0");
            stack->pushViewController(grid, false);
            step();
            host::Automation automation;
            ASSERT_NE(automation.handle(R"({"cmd":"tap","text":")" + exit + R"("})").find("\"ok\":true"),
                std::string::npos);
            step(1);
            if (exit == "返回") {
                EXPECT_EQ(homeStack(m_sliding), stack);
                EXPECT_EQ(stack->topViewController(), list) << "one screen back";
            } else {
                auto home = homeStack(m_sliding);
                ASSERT_TRUE(home);
                EXPECT_NE(home, stack);
                EXPECT_EQ(home->viewControllers().size(), 1u);
                EXPECT_TRUE(std::dynamic_pointer_cast<HomeViewController>(home->topViewController()));
            }
            homeStack(m_sliding)->popToRootViewController(false);
            step();
        }
    }
}

TEST_F(GridScreensTest, TheNewTaskGridsStandardBackButtonAppliesNoReadyRule)
{
    newTask("B100");
    takeAllBut("B100", 3);
    auto stack = homeStack(m_sliding);
    auto form = ui::ViewController::create();
    form->setTitle("表单");
    stack->pushViewController(form, false);
    auto grid = push<NewTaskPLCollectionViewController>("B100", TaskRecordUtil::kPlanRemoveSeal);
    host::Automation automation;
    ASSERT_NE(automation.handle(R"({"cmd":"tap","text":"表单"})").find("\"ok\":true"), std::string::npos);
    step(1);
    EXPECT_EQ(stack->topViewController(), form);
    EXPECT_EQ(taskStatus("B100"), "PENDING") << "ready, but not left through the side menu";
}

} // namespace
