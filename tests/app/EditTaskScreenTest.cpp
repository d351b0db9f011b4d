#include "tests/app/ShellFixture.h"

#include "components/actionsheet/ActionSheet.h"
#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/host/Automation.h"
#include "platform/ui/Button.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/Screen.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/capture/ToUploadCollectionViewController.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/EditTaskViewController.h"
#include "screens/tasks/PendingTaskListViewController.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "screens/tasks/UploadTaskListViewController.h"
#include "tests/support/PixelProbe.h"

using data::Predicate;
using mivo::test::ShellFixture;

namespace {

class EditTaskScreenTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ASSERT_TRUE(m_sliding = logIn("arvel"));
    }
    void TearDown() override
    {
        m_sliding.reset();
        ShellFixture::TearDown();
    }

    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }
    std::shared_ptr<ui::ViewController> top() { return homeStack(m_sliding)->topViewController(); }

    // A local task of the user, as the create screen stores it.
    static std::shared_ptr<MivoTask> storeTask(
        const std::string& applyNO, const char* plan = TaskRecordUtil::kPlanKeepSeal)
    {
        auto user = UserInfo::sharedInstance();
        NewTaskFields fields {applyNO, "上海浦东仓", "平安保险", "86000", "常规产品", plan};
        return TaskRecordUtil::storeNewTask(
            fields, user->companyName(), "arvel", user->userId(), foundation::Date(1'700'000'000));
    }

    static std::vector<std::shared_ptr<MivoUploadTask>> records(const std::string& applyNO)
    {
        return IMivoDataBaseManager::sharedManager()
            ->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", applyNO))
            .value_or(std::vector<std::shared_ptr<MivoUploadTask>> {});
    }

    static std::shared_ptr<MivoTask> taskNamed(const std::string& applyNO)
    {
        auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
            Predicate::withFormat("applyNO=%@", applyNO));
        return tasks && tasks->size() == 1 ? tasks->front() : nullptr;
    }

    // Whether the automation carried the command out.
    bool done(const std::string& line)
    {
        auto reply = foundation::Value::fromJson(m_automation.handle(line));
        return reply && (*reply)["ok"].asBool();
    }
    bool tapLabel(const std::string& label)
    {
        return done(foundation::Value(foundation::Map {{"cmd", "tap"}, {"label", label}}).toJson());
    }

    // Opens a list from the home dashboard.
    void openList(const char* segue)
    {
        auto stack = homeStack(m_sliding);
        stack->popToRootViewController(false);
        stack->topViewController()->performSegueWithIdentifier(segue);
        step();
    }

    // Opens the list and taps the "编辑" button of the task's row, as a finger would.
    std::shared_ptr<EditTaskViewController> edit(const char* listSegue, const std::string& applyNO)
    {
        openList(listSegue);
        if (!tapLabel("编辑:" + applyNO))
            return nullptr;
        step();
        return std::dynamic_pointer_cast<EditTaskViewController>(top());
    }

    // True when the grid opened.
    bool submit(EditTaskViewController& screen)
    {
        screen.submit();
        runUntil([&] { return !screen.isRequestRunning(); });
        step();
        return top().get() != &screen;
    }

    static size_t validations() { return count(s_server->settledLog(), "method=validate"); }
    static size_t count(const std::string& text, const std::string& part)
    {
        size_t found = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++found;
        return found;
    }

    static std::shared_ptr<ActionSheet> sheetIn(const ui::View& view)
    {
        for (const auto& subview : view.subviews()) {
            if (auto sheet = std::dynamic_pointer_cast<ActionSheet>(subview))
                return sheet;
        }
        return nullptr;
    }

    // A marked button has style 2: a white title on red.
    static bool isMarked(const ActionSheetButton& button)
    {
        return button.titleColorForState(ui::ControlState::Normal) == graphics::Color::white();
    }

    std::shared_ptr<SlidingViewController> m_sliding;
    host::Automation m_automation;
};

} // namespace

TEST_F(EditTaskScreenTest, ARenameReachesEveryMediaRecordAndTheGridOpensOnTheNewNumber)
{
    ASSERT_TRUE(storeTask("E100"));
    const size_t shots = records("E100").size();
    ASSERT_EQ(shots, 15u);
    auto screen = edit(ShellSegues::kToPendingList, "E100");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->applyNoField()->text(), "E100");
    EXPECT_EQ(screen->baseLocationField()->text(), "上海浦东仓");
    EXPECT_EQ(screen->dealPriceField()->text(), "86000");
    EXPECT_EQ(screen->productTypeButton()->currentTitle(), "常规产品");
    EXPECT_EQ(screen->photoPlanButton()->currentTitle(), TaskRecordUtil::kPlanKeepSeal);

    screen->applyNoField()->setText("E101");
    screen->baseLocationField()->setText("北京仓");
    const size_t asked = validations();
    ASSERT_TRUE(submit(*screen)) << alertText(*screen);
    EXPECT_EQ(validations(), asked + 1) << "a new number is asked of the server, as on the create screen";

    auto grid = std::dynamic_pointer_cast<NewTaskPLCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "E101");
    EXPECT_EQ(grid->applyTaskPhotoType(), TaskRecordUtil::kPlanKeepSeal);
    EXPECT_EQ(grid->collectionView()->numberOfItemsInSection(0), 14);

    // What the file holds.
    BaseDatabaseManager::resetSharedManagersForTesting();
    auto task = taskNamed("E101");
    ASSERT_TRUE(task);
    EXPECT_EQ(task->baseLocation(), "北京仓");
    EXPECT_EQ(task->taskStatus(), "PENDING");
    EXPECT_EQ(records("E101").size(), shots);
    EXPECT_TRUE(records("E100").empty());
    EXPECT_FALSE(taskNamed("E100"));
}

TEST_F(EditTaskScreenTest, BothLocalListsOfferTheEditButtonToTasksWithoutAServerId)
{
    auto local = storeTask("U1");
    auto server = storeTask("U2");
    auto store = IMivoDataBaseManager::sharedManager();
    store->updateMivoTask(local, foundation::Map {{"taskStatus", "TOUPLOAD"}});
    store->updateMivoTask(server, foundation::Map {{"taskStatus", "TOUPLOAD"}, {"carID", "77"}});
    storeTask("P1");

    openList(ShellSegues::kToPendingList);
    EXPECT_TRUE(tapLabel("编辑:P1"));
    step();
    EXPECT_TRUE(std::dynamic_pointer_cast<EditTaskViewController>(top()));

    openList(ShellSegues::kToUploadList);
    auto list = std::dynamic_pointer_cast<UploadTaskListViewController>(top());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->tasks().size(), 2u);
    EXPECT_FALSE(tapLabel("编辑:U2")) << "a server task's number is the server's";
    list->performRowAction(1);
    step();
    EXPECT_EQ(top(), list);
    // A plain tap still opens the grid.
    ASSERT_TRUE(tapLabel("任务:U1"));
    step();
    EXPECT_TRUE(std::dynamic_pointer_cast<ToUploadCollectionViewController>(top()));

    auto screen = edit(ShellSegues::kToUploadList, "U1");
    ASSERT_TRUE(screen);
    screen->dealPriceField()->setText("90000");
    const size_t asked = validations();
    ASSERT_TRUE(submit(*screen)) << alertText(*screen);
    EXPECT_EQ(validations(), asked) << "the task's own number is not asked again";
    EXPECT_TRUE(std::dynamic_pointer_cast<NewTaskPLCollectionViewController>(top()));
    BaseDatabaseManager::resetSharedManagersForTesting();
    ASSERT_TRUE(taskNamed("U1"));
    EXPECT_EQ(taskNamed("U1")->dealPrice(), "90000");
    EXPECT_EQ(taskNamed("U1")->taskStatus(), "TOUPLOAD") << "an edit keeps the task's state";
}

TEST_F(EditTaskScreenTest, ANumberAnotherLocalTaskHasShowsTheBannerAndStoresNothing)
{
    ASSERT_TRUE(storeTask("D1"));
    ASSERT_TRUE(storeTask("D2"));
    auto screen = edit(ShellSegues::kToPendingList, "D1");
    ASSERT_TRUE(screen);
    screen->applyNoField()->setText("D2");
    screen->baseLocationField()->setText("北京仓");
    const size_t asked = validations();
    EXPECT_FALSE(submit(*screen));
    EXPECT_EQ(alertText(*screen), "");
    EXPECT_TRUE(duplicateNumberNoticeShown());
    EXPECT_EQ(validations(), asked);

    BaseDatabaseManager::resetSharedManagersForTesting();
    ASSERT_TRUE(taskNamed("D1"));
    EXPECT_EQ(taskNamed("D1")->baseLocation(), "上海浦东仓");
    EXPECT_EQ(records("D1").size(), 15u);
    EXPECT_EQ(records("D2").size(), 15u);
}

TEST_F(EditTaskScreenTest, APlanChangeMakesTheShotListAnewUntilAShotIsTaken)
{
    ASSERT_TRUE(storeTask("S1"));
    auto screen = edit(ShellSegues::kToPendingList, "S1");
    ASSERT_TRUE(screen);
    ASSERT_TRUE(tapLabel("拍摄方案"));
    step(0.3);
    ASSERT_TRUE(done(R"({"cmd":"tap","text":"拆密封条-方案1"})"));
    step(0.3);
    ASSERT_TRUE(submit(*screen)) << alertText(*screen);
    auto grid = std::dynamic_pointer_cast<NewTaskPLCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskPhotoType(), TaskRecordUtil::kPlanRemoveSeal);
    EXPECT_EQ(grid->collectionView()->numberOfItemsInSection(0), 13);
    EXPECT_EQ(records("S1").size(), 14u) << "13 photos and the video";
    EXPECT_EQ(taskNamed("S1")->photoType(), TaskRecordUtil::kPlanRemoveSeal);

    // A photo is taken in the grid; back on the edit screen the plan can no longer change.
    ASSERT_TRUE(tapLabel("照片1:"));
    step(0.6);
    ASSERT_TRUE(tapLabel("快门"));
    step(0.6);
    ASSERT_TRUE(runUntil([&] { return records("S1").front()->taskStatus() == "PENDING"; }));
    homeStack(m_sliding)->popViewController(false);
    step();
    ASSERT_EQ(top(), screen);
    ASSERT_TRUE(tapLabel("拍摄方案"));
    step(0.3);
    ASSERT_TRUE(done(R"({"cmd":"tap","text":"不拆密封条-方案2"})"));
    step(0.3);
    screen->baseLocationField()->setText("北京仓");
    EXPECT_FALSE(submit(*screen));
    EXPECT_EQ(alertText(*screen), EditTaskViewController::kPlanKeptMessage);

    BaseDatabaseManager::resetSharedManagersForTesting();
    auto kept = records("S1");
    ASSERT_EQ(kept.size(), 14u);
    EXPECT_EQ(kept.front()->taskStatus(), "PENDING") << "the shot is kept";
    EXPECT_EQ(taskNamed("S1")->photoType(), TaskRecordUtil::kPlanRemoveSeal);
    EXPECT_EQ(taskNamed("S1")->baseLocation(), "上海浦东仓") << "nothing of the edit is stored";
}

TEST_F(EditTaskScreenTest, TheChooserShowsInTheScreensOwnViewAndTurnsWithTheDevice)
{
    ASSERT_TRUE(storeTask("C1"));
    auto screen = edit(ShellSegues::kToPendingList, "C1");
    ASSERT_TRUE(screen);
    const auto probe = [] { return mivo::test::PixelProbe::screen(); };
    const graphics::Point bar {160, 40};
    const auto barBefore = probe().colorAt(bar);

    ASSERT_TRUE(tapLabel("产品类型"));
    step(0.3);
    auto sheet = sheetIn(*screen->view());
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(sheetIn(*screen->navigationController()->view()));
    EXPECT_EQ(sheet->tag(), EditTaskViewController::kProductTypeSheetTag);
    EXPECT_EQ(sheet->sections()[0]->titleLabel()->text(), "产品类型选择");
    EXPECT_EQ(sheet->sections()[0]->messageLabel()->text(), "请选择产品类型");
    const auto& types = sheet->sections()[0]->buttons();
    ASSERT_EQ(types.size(), 2u);
    EXPECT_TRUE(isMarked(*types[0])) << "the stored 常规产品";
    EXPECT_FALSE(isMarked(*types[1]));
    // The sheet dims the screen's own view: the navigation bar above it stays as it was.
    EXPECT_TRUE(probe().covers(bar, barBefore));
    auto section = sheet->sections()[0];
    auto view = screen->view();
    EXPECT_EQ(section->convertRectToView(section->bounds(), view.get()).maxY(), view->bounds().height() - 10);
    sheet->dismissAnimated(false);

    ASSERT_TRUE(tapLabel("拍摄方案"));
    step(0.3);
    sheet = sheetIn(*screen->view());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->tag(), EditTaskViewController::kPhotoPlanSheetTag);
    EXPECT_EQ(sheet->sections()[0]->messageLabel()->text(), "请选择一种拍摄方案");
    ASSERT_EQ(sheet->sections()[0]->buttons().size(), 2u);
    EXPECT_FALSE(isMarked(*sheet->sections()[0]->buttons()[0]));
    EXPECT_TRUE(isMarked(*sheet->sections()[0]->buttons()[1])) << "the stored 不拆密封条-方案2";

    ASSERT_TRUE(done(R"({"cmd":"rotate","orientation":"landscapeLeft"})"));
    step(0.5);
    ASSERT_EQ(view->bounds().width(), 568);
    EXPECT_EQ(sheet->bounds().size, view->bounds().size);
    // The dimming reaches the turned view's far end; the choices stand inside it, on the screen.
    auto shown = probe().colorAt(view->convertPointToView({view->bounds().width() - 4, 40}, nullptr));
    EXPECT_LE(std::max({shown.r, shown.g, shown.b}), 0.75);
    const graphics::Rect screenBounds = ui::Screen::mainScreen().bounds();
    const graphics::Rect viewOnScreen = view->convertRectToView(view->bounds(), nullptr);
    for (const auto& button : sheet->sections()[0]->buttons()) {
        auto frame = button->convertRectToView(button->bounds(), nullptr);
        EXPECT_TRUE(screenBounds.contains(frame));
        EXPECT_TRUE(viewOnScreen.contains(frame));
    }
    ASSERT_TRUE(done(R"({"cmd":"tap","text":"拆密封条-方案1"})"));
    step(0.3);
    EXPECT_FALSE(sheetIn(*view));
    EXPECT_EQ(screen->photoPlanButton()->currentTitle(), TaskRecordUtil::kPlanRemoveSeal);
    ASSERT_TRUE(done(R"({"cmd":"rotate","orientation":"portrait"})"));
    step(0.5);
    EXPECT_EQ(view->bounds().width(), 320);
}
