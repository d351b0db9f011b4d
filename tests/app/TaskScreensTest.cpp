#include "tests/app/ShellFixture.h"

#include "components/actionsheet/ActionSheet.h"
#include "components/banner/DropdownBanner.h"

#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/store/UpdateTime.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/host/Automation.h"
#include "platform/ui/Button.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "screens/capture/FinishedCollectionViewController.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/capture/PendingCollectionViewController.h"
#include "screens/capture/RejectedCollectionViewController.h"
#include "screens/capture/ToUploadCollectionViewController.h"
#include "screens/capture/UploadTaskViewController.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/EditTaskViewController.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/NewTaskViewController.h"
#include "screens/tasks/PendingTaskListViewController.h"
#include "screens/tasks/RejectedTaskListViewController.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "screens/tasks/UploadTaskListViewController.h"
#include "tests/support/PixelProbe.h"

#include <algorithm>
#include <functional>
#include <sqlite3.h>

using data::Predicate;
using mivo::test::ShellFixture;

namespace {

class TaskScreensTest : public ShellFixture {
protected:
    // Logs in and opens a screen from the home dashboard.
    template<class Screen> std::shared_ptr<Screen> open(const char* segue, const std::string& user = "arvel")
    {
        if (!m_sliding)
            m_sliding = logIn(user);
        if (!m_sliding)
            return nullptr;
        auto stack = homeStack(m_sliding);
        stack->popToRootViewController(false);
        stack->topViewController()->performSegueWithIdentifier(segue);
        step();
        return std::dynamic_pointer_cast<Screen>(stack->topViewController());
    }

    std::shared_ptr<ui::ViewController> top() { return homeStack(m_sliding)->topViewController(); }
    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }
    static auto tasksNamed(const std::string& applyNO)
    {
        return IMivoDataBaseManager::sharedManager()->listMivoTasks(
            Predicate::withFormat("applyNO=%@", applyNO));
    }

    // The action sheet a chooser of the create-task screen shows, if one is up.
    static std::shared_ptr<ActionSheet> shownSheet(NewTaskViewController& screen)
    {
        for (const auto& view : screen.navigationController()->view()->subviews()) {
            if (auto sheet = std::dynamic_pointer_cast<ActionSheet>(view))
                return sheet;
        }
        return nullptr;
    }

    // Opens a chooser's sheet and presses its button at `row`, as a finger would.
    static void choose(NewTaskViewController& screen, ui::Button& chooser, size_t row)
    {
        chooser.sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        step(0.3);
        auto sheet = shownSheet(screen);
        ASSERT_TRUE(sheet);
        ASSERT_LT(row, sheet->sections()[0]->buttons().size());
        auto button = sheet->sections()[0]->buttons()[row];
        auto center = button->convertPointToView({button->bounds().midX(), button->bounds().midY()}, nullptr);
        ui::Application::shared().tap(center);
        step(0.3);
        EXPECT_FALSE(shownSheet(screen));
    }

    // Fills the create-task screen; the first product type and the plan at `planIndex`.
    static void fill(NewTaskViewController& screen, const std::string& applyNO, size_t planIndex = 0)
    {
        screen.applyNoField()->setText(applyNO);
        screen.baseLocationField()->setText("上海浦东仓");
        screen.ensureCompanyField()->setText("平安保险");
        screen.dealPriceField()->setText("86000");
        choose(screen, *screen.productTypeButton(), 0);
        choose(screen, *screen.photoPlanButton(), planIndex);
    }

    bool submit(NewTaskViewController& screen)
    {
        screen.submit();
        runUntil([&] { return !screen.isRequestRunning(); });
        step();
        return top().get() != &screen;
    }

    // Registers a task with the server as the upload screen would, and returns its id.
    std::string registerTask(const std::string& applyNoWithPrefix, const std::string& userId = "1001")
    {
        s_server->post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", userId}, {"applyNo", applyNoWithPrefix}, {"stockArea", "北京仓"},
                {"undertakeCompany", "人保"}, {"secondhandPrice", "90000"}, {"carSource", "1"},
                {"regDate", "2020-01-01"}, {"loantype", "常规产品"}});
        return s_server->carIdOf(applyNoWithPrefix).value_or("");
    }

    // Runs SQL on the app's store file through a connection of its own (the app's stays open).
    static bool storeSql(const char* sql)
    {
        sqlite3* db = nullptr;
        bool ok = sqlite3_open((foundation::Paths::documents() / "IMivoDataBaseManager.sqlite").c_str(), &db)
                == SQLITE_OK
            && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }

    std::shared_ptr<SlidingViewController> m_sliding;
};

} // namespace

TEST_F(TaskScreensTest, CreatingATaskStoresItAndOpensItsGrid)
{
    auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
    ASSERT_TRUE(screen);
    fill(*screen, "N100", 1);
    EXPECT_EQ(screen->photoPlanButton()->currentTitle(), "不拆密封条-方案2");
    ASSERT_TRUE(submit(*screen)) << alertText(*screen);

    auto grid = std::dynamic_pointer_cast<NewTaskPLCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "N100");
    EXPECT_EQ(grid->applyTaskPhotoType(), "不拆密封条-方案2");
    EXPECT_NE(s_server->log().find("CarTask.ashx?method=validate"), std::string::npos);

    auto manager = IMivoDataBaseManager::sharedManager();
    auto tasks = tasksNamed("N100");
    ASSERT_TRUE(tasks && tasks->size() == 1);
    EXPECT_EQ(tasks->front()->createUser(), "arvel");
    EXPECT_EQ(tasks->front()->productType(), "常规产品");
    EXPECT_EQ(manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", "N100"))->size(), 15u);
}

TEST_F(TaskScreensTest, ChoosersOfferTheBrandsChoicesAndMarkTheCurrentOne)
{
    const struct {
        const char* user;
        std::vector<std::string> plans;
        std::vector<std::string> productTypes;
    } brands[] = {
        {"arvel", {"拆密封条-方案1", "不拆密封条-方案2"}, {"常规产品", "车抵贷"}},
        {"kestro", {"不拆密封条-方案2"}, {"常规产品", "车抵贷"}},
        {"ombry", {"拍摄方案"}, {"常规产品"}},
    };
    // A marked button has style 2: a white title on red.
    auto isMarked = [](const ActionSheetButton& button) {
        return button.titleColorForState(ui::ControlState::Normal) == graphics::Color::white();
    };
    for (const auto& brand : brands) {
        SCOPED_TRACE(brand.user);
        m_sliding.reset();
        if (auto presented = m_login->presentedViewController()) {
            m_login->dismissViewController(false);
            step();
        }
        auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask, brand.user);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->photoPlanButton()->currentTitle(), NewTaskViewController::kChoosePhotoPlan);
        const auto placeholder = screen->photoPlanButton()->currentTitleColor();

        screen->applyNoField()->becomeFirstResponder();
        screen->photoPlanButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        EXPECT_FALSE(screen->applyNoField()->isFirstResponder()) << "editing ends first";
        auto sheet = shownSheet(*screen);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->tag(), NewTaskViewController::kPhotoPlanSheetTag);
        auto section = sheet->sections()[0];
        EXPECT_EQ(section->titleLabel()->text(), "拍摄方案");
        EXPECT_EQ(section->messageLabel()->text(), "请选择一种拍摄方案");
        ASSERT_EQ(section->buttons().size(), brand.plans.size());
        for (size_t i = 0; i < brand.plans.size(); ++i) {
            EXPECT_EQ(section->buttons()[i]->currentTitle(), brand.plans[i]);
            EXPECT_FALSE(isMarked(*section->buttons()[i])) << "nothing is chosen yet";
        }
        step(0.3);
        sheet->dismissAnimated(false);
        EXPECT_EQ(screen->photoPlanButton()->currentTitle(), NewTaskViewController::kChoosePhotoPlan);
        choose(*screen, *screen->photoPlanButton(), brand.plans.size() - 1);
        EXPECT_EQ(screen->photoPlan(), brand.plans.back());
        EXPECT_EQ(screen->photoPlanButton()->currentTitle(), brand.plans.back());
        EXPECT_NE(screen->photoPlanButton()->currentTitleColor(), placeholder);

        // Opened again, the chosen plan is marked when there are two to tell apart.
        screen->photoPlanButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        sheet = shownSheet(*screen);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(isMarked(*sheet->sections()[0]->buttons().back()), brand.plans.size() == 2);
        step(0.3);
        sheet->dismissAnimated(false);

        choose(*screen, *screen->productTypeButton(), brand.productTypes.size() - 1);
        EXPECT_EQ(screen->productType(), brand.productTypes.back());
        screen->productTypeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        sheet = shownSheet(*screen);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->tag(), NewTaskViewController::kProductTypeSheetTag);
        EXPECT_EQ(sheet->sections()[0]->titleLabel()->text(), "产品类型选择");
        const auto& types = sheet->sections()[0]->buttons();
        ASSERT_EQ(types.size(), brand.productTypes.size());
        for (size_t i = 0; i < types.size(); ++i) {
            EXPECT_EQ(types[i]->currentTitle(), brand.productTypes[i]);
            EXPECT_EQ(isMarked(*types[i]), i + 1 == types.size()) << "the chosen one is marked";
        }
        step(0.3);
        sheet->dismissAnimated(false);
    }
}

TEST_F(TaskScreensTest, AChooserTurnedWithTheDeviceStaysOnTheScreenAndChooses)
{
    auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
    ASSERT_TRUE(screen);
    host::Automation automation;
    auto done = [&](const std::string& line) {
        auto reply = foundation::Value::fromJson(automation.handle(line));
        return reply && (*reply)["ok"].asBool();
    };
    ASSERT_TRUE(done(R"({"cmd":"tap","label":"产品类型"})"));
    step(0.3);
    auto sheet = shownSheet(*screen);
    ASSERT_TRUE(sheet);

    ASSERT_TRUE(done(R"({"cmd":"rotate","orientation":"landscapeLeft"})"));
    step(0.4);
    auto turned = screen->navigationController()->view();
    ASSERT_EQ(turned->bounds().size, (graphics::Size {568, 320}));
    // The dimming reaches the turned screen's far end; the choices stand on the screen.
    const auto probe = mivo::test::PixelProbe::screen();
    const graphics::Rect screenBounds = ui::Screen::mainScreen().bounds();
    for (graphics::Point farEnd : {graphics::Point {564, 60}, {564, 200}}) {
        auto shown = probe.colorAt(turned->convertPointToView(farEnd, nullptr));
        EXPECT_LE(std::max({shown.r, shown.g, shown.b}), 0.75) << farEnd.y; // under the 30% black
    }
    for (const auto& button : sheet->sections()[0]->buttons()) {
        auto bounds = button->bounds();
        EXPECT_TRUE(
            screenBounds.contains(button->convertPointToView({bounds.midX(), bounds.midY()}, nullptr)));
        EXPECT_TRUE(
            screenBounds.contains(button->convertPointToView({bounds.minX(), bounds.minY()}, nullptr)));
        EXPECT_TRUE(
            screenBounds.contains(button->convertPointToView({bounds.maxX(), bounds.maxY()}, nullptr)));
    }

    ASSERT_TRUE(done(R"({"cmd":"tap","text":"常规产品"})"));
    step(0.3);
    EXPECT_FALSE(shownSheet(*screen));
    EXPECT_EQ(screen->productType(), "常规产品");
    EXPECT_EQ(screen->productTypeButton()->currentTitle(), "常规产品");
    ASSERT_TRUE(done(R"({"cmd":"rotate","orientation":"portrait"})"));
    step(0.4);
    EXPECT_EQ(turned->bounds().size, (graphics::Size {320, 568}));
}

TEST_F(TaskScreensTest, AStoredNumberIsNotStoredTwice)
{
    auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
    fill(*screen, "N300");
    ASSERT_TRUE(submit(*screen));
    homeStack(m_sliding)->popViewController(false);
    EXPECT_FALSE(submit(*screen));
    // A notice drops down instead of an alert.
    EXPECT_EQ(alertText(*screen), "");
    ASSERT_TRUE(duplicateNumberNoticeShown());
    auto banner = shownBanner();
    foundation::RunLoop::main().runFor(3.7);
    EXPECT_EQ(banner->superview(), nullptr);
    EXPECT_EQ(IMivoDataBaseManager::sharedManager()
                  ->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", "N300"))
                  ->size(),
        14u);
}

TEST_F(TaskScreensTest, AStoreThatCannotOpenIsNotATakenNumber)
{
    auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
    ASSERT_TRUE(screen);
    // The store file is damaged beyond opening.
    BaseDatabaseManager::resetSharedManagersForTesting();
    auto file = foundation::Paths::documents() / "IMivoDataBaseManager.sqlite";
    for (const char* suffix : {"-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix);
    ASSERT_TRUE(foundation::writeFileAtomically(file, std::string(8192, 'x')));
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    fill(*screen, "N400");
    EXPECT_FALSE(submit(*screen));
    EXPECT_EQ(alertText(*screen), NewTaskViewController::kStoreFailureMessage);
    EXPECT_TRUE(capture.contains("cannot open store"));
    BaseDatabaseManager::resetSharedManagersForTesting();
}

TEST_F(TaskScreensTest, RefusedTasksSayWhyAndStoreNothing)
{
    const struct {
        const char* applyNO;
        std::function<void(NewTaskViewController&)> prepare;
        const char* why;
        bool sends;
    } table[] = {
        // The server's reason, with the order prefix sent.
        {"N200", [&](auto&) { EXPECT_FALSE(registerTask("AVN200").empty()); }, "申请编号已存在", true},
        {"N400", [](auto& screen) { screen.dealPriceField()->setText("abc"); }, "成交价格须为大于0的数字",
            false},
        {"N401", [](auto&) { EXPECT_TRUE(s_server->misbehave("drop", 0, "/Services/CarTask.ashx")); },
            "网络超时,请重新尝试!", true},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.applyNO);
        auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
        ASSERT_TRUE(screen);
        fill(*screen, row.applyNO);
        row.prepare(*screen);
        const size_t before = s_server->settledLog().size();
        EXPECT_FALSE(submit(*screen));
        EXPECT_EQ(alertText(*screen), row.why);
        if (!row.sends) {
            EXPECT_EQ(s_server->log().size(), before) << "nothing is sent for bad fields";
        }
        EXPECT_TRUE(tasksNamed(row.applyNO)->empty());
        s_server->behave();
    }
}

TEST_F(TaskScreensTest, LocalListsOpenTheirGridsWithTheTasksValues)
{
    auto screen = open<NewTaskViewController>(ShellSegues::kToNewTask);
    fill(*screen, "N500");
    ASSERT_TRUE(submit(*screen));

    auto pending = open<PendingTaskListViewController>(ShellSegues::kToPendingList);
    ASSERT_TRUE(pending);
    ASSERT_EQ(pending->tasks().size(), 1u);
    pending->selectTask(0);
    step();
    auto grid = std::dynamic_pointer_cast<PendingCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "N500");
    EXPECT_EQ(grid->applyTaskPhotoType(), "拆密封条-方案1");

    IMivoDataBaseManager::sharedManager()->updateMivoTask(
        tasksNamed("N500")->front(), foundation::Map {{"taskStatus", "TOUPLOAD"}, {"carID", "321"}});
    auto upload = open<UploadTaskListViewController>(ShellSegues::kToUploadList);
    ASSERT_EQ(upload->tasks().size(), 1u);
    upload->selectTask(0);
    step();
    auto uploadGrid = std::dynamic_pointer_cast<ToUploadCollectionViewController>(top());
    ASSERT_TRUE(uploadGrid);
    EXPECT_EQ(uploadGrid->uuidForTask(), "321");

    uploadGrid->performSegueWithIdentifier(ShellSegues::kToUploadMonitor);
    step(0.6);
    auto monitor = std::dynamic_pointer_cast<UploadTaskViewController>(presentedFrom(uploadGrid));
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->applyTaskNO(), "N500");
    EXPECT_EQ(monitor->uuidForTask(), "321");
    EXPECT_EQ(monitor->uploadModel(), "");
}

TEST_F(TaskScreensTest, RejectedTasksComeBackFromTheServer)
{
    ASSERT_TRUE(logIn("kestro"));
    m_sliding = std::dynamic_pointer_cast<SlidingViewController>(m_login->presentedViewController());
    std::string carId = registerTask("KSR100", "1002");
    ASSERT_FALSE(carId.empty());
    ASSERT_TRUE(s_server->reject(carId, "车架号照片模糊"));

    auto list = open<RejectedTaskListViewController>(ShellSegues::kToRejectedList, "kestro");
    ASSERT_TRUE(list);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    auto task = list->tasks()[0];
    EXPECT_EQ(task->carID(), carId);
    EXPECT_EQ(task->applyNO(), "R100");
    EXPECT_EQ(task->photoType(), "1");
    EXPECT_EQ(task->rejectedReason(), "车架号照片模糊");
    EXPECT_FALSE(UpdateTime::rejectedUpdateTime(1002).empty())
        << "the server's sysdate is kept for the next fetch";

    list->selectTask(0);
    step();
    auto grid = std::dynamic_pointer_cast<RejectedCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "R100");
    EXPECT_EQ(grid->applyTaskPhotoType(), "1");
    EXPECT_EQ(grid->uuidForTask(), carId);
    EXPECT_EQ(grid->synMivoTask(), task);
    grid->performSegueWithIdentifier(ShellSegues::kToUploadMonitor);
    step(0.6);
    auto monitor = std::dynamic_pointer_cast<UploadTaskViewController>(presentedFrom(grid));
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->uploadModel(), "RejectModel");
}

TEST_F(TaskScreensTest, FinishedTasksComeBackAndAListFailureIsShown)
{
    std::string carId = registerTask("AVF100");
    ASSERT_TRUE(s_server->finish(carId, "85000"));
    auto list = open<FinishedTaskListViewController>(ShellSegues::kToFinishedList);
    ASSERT_TRUE(list);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    EXPECT_EQ(list->tasks()[0]->assessPrice(), "85000");
    list->selectTask(0);
    step();
    auto grid = std::dynamic_pointer_cast<FinishedCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "F100");
    EXPECT_TRUE(grid->allMivoUploads().empty()) << "nothing was uploaded";

    ASSERT_TRUE(s_server->misbehave("500", 0, "/Services/CarTask.ashx"));
    list = open<FinishedTaskListViewController>(ShellSegues::kToFinishedList);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    EXPECT_EQ(alertText(*list), "网络超时,请重新尝试!");
    EXPECT_EQ(list->tasks().size(), 1u) << "the stored tasks still show";
}

TEST_F(TaskScreensTest, ALongListScrollsSoThatItsLastRowOpensItsGrid)
{
    ASSERT_TRUE(m_sliding = logIn("arvel"));
    auto user = UserInfo::sharedInstance();
    for (int i = 0; i < 15; ++i) {
        NewTaskFields fields {"L" + std::to_string(600 + i), "上海浦东仓", "平安保险", "86000", "常规产品",
            TaskRecordUtil::kPlanRemoveSeal};
        ASSERT_TRUE(TaskRecordUtil::storeNewTask(
            fields, user->companyName(), "arvel", user->userId(), foundation::Date::now()));
    }
    auto list = open<PendingTaskListViewController>(ShellSegues::kToPendingList);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->tasks().size(), 15u);
    auto scroll = list->listView();
    EXPECT_EQ(scroll->contentSize().height, 15 * 56);
    EXPECT_GT(scroll->contentSize().height, scroll->bounds().height());

    host::Automation automation;
    // Whether the automation carried the command out.
    auto done = [&](const std::string& line) {
        auto reply = foundation::Value::fromJson(automation.handle(line));
        return reply && (*reply)["ok"].asBool();
    };
    EXPECT_FALSE(done(R"({"cmd":"tap","label":"任务:L614"})")) << "below the screen";

    ASSERT_TRUE(done(R"({"cmd":"drag","from":[160,500],"to":[160,150],"duration":0.3})"));
    EXPECT_TRUE(scroll->isDecelerating()) << "the drag ended as a flick";
    ASSERT_TRUE(done(R"({"cmd":"advance","seconds":4})"));
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_EQ(scroll->contentOffset().y, scroll->maximumContentOffset().y) << "it came to rest at the end";

    ASSERT_TRUE(done(R"({"cmd":"tap","label":"任务:L614"})")) << "the last row is on screen";
    step();
    auto grid = std::dynamic_pointer_cast<PendingCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "L614");

    // Back on the list the position is kept; with fewer tasks it ends at the new end.
    homeStack(m_sliding)->popViewController(false);
    step();
    EXPECT_EQ(scroll->contentOffset().y, scroll->maximumContentOffset().y);
    for (int i = 5; i < 15; ++i)
        IMivoDataBaseManager::sharedManager()->updateMivoTask(
            tasksNamed("L" + std::to_string(600 + i))->front(), foundation::Map {{"taskStatus", "TOUPLOAD"}});
    list->reloadList();
    EXPECT_EQ(scroll->contentOffset().y, 0) << "five rows fit";
    ASSERT_TRUE(done(R"({"cmd":"tap","label":"任务:L604"})"));
    step();
    grid = std::dynamic_pointer_cast<PendingCollectionViewController>(top());
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->applyTaskNO(), "L604");
}

TEST_F(TaskScreensTest, ServerTasksTheStoreRefusedAreAskedForAgain)
{
    ASSERT_TRUE(m_sliding = logIn("arvel"));
    std::string carId = registerTask("AVS100");
    ASSERT_TRUE(s_server->reject(carId, "照片不清晰"));
    ASSERT_TRUE(storeSql(
        "CREATE TRIGGER refuse BEFORE INSERT ON MivoTask BEGIN SELECT RAISE(ABORT, 'disk full'); END"));

    auto list = open<RejectedTaskListViewController>(ShellSegues::kToRejectedList);
    ASSERT_TRUE(list);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    EXPECT_TRUE(list->tasks().empty());
    EXPECT_EQ(alertText(*list), "任务保存失败,请重新尝试!")
        << "not an empty list as if nothing were rejected";
    EXPECT_EQ(UpdateTime::rejectedUpdateTime(1001), "") << "the next fetch starts from the same time";

    ASSERT_TRUE(storeSql("DROP TRIGGER refuse"));
    list = open<RejectedTaskListViewController>(ShellSegues::kToRejectedList);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    EXPECT_EQ(list->tasks()[0]->carID(), carId);
    EXPECT_FALSE(UpdateTime::rejectedUpdateTime(1001).empty());
}

TEST_F(TaskScreensTest, AListOfThousandsHasViewsOnlyForTheRowsInSight)
{
    ASSERT_TRUE(m_sliding = logIn("arvel"));
    auto manager = IMivoDataBaseManager::sharedManager();
    ASSERT_TRUE(manager->beginTransaction());
    for (int i = 0; i < 3000; ++i)
        manager->insertMivoTask(
            foundation::Map {{"applyNO", "K" + std::to_string(i)}, {"createUser", "arvel"},
                {"taskStatus", "PENDING"}, {"carID", ""}, {"photoType", TaskRecordUtil::kPlanRemoveSeal}});
    ASSERT_TRUE(manager->commitTransaction());

    auto list = open<PendingTaskListViewController>(ShellSegues::kToPendingList);
    ASSERT_TRUE(list);
    auto table = list->listView();
    EXPECT_EQ(table->contentSize().height, 3000 * 56);
    EXPECT_LE(table->visibleCells().size(), 12u);

    // Far down, a reused row's button acts on the task it shows now.
    table->setContentOffset({0, 2000 * 56});
    table->layoutIfNeeded();
    EXPECT_LE(table->visibleCells().size(), 12u);
    host::Automation automation;
    auto reply = foundation::Value::fromJson(automation.handle(R"({"cmd":"tap","label":"编辑:K2001"})"));
    ASSERT_TRUE(reply && (*reply)["ok"].asBool());
    step();
    auto edit = std::dynamic_pointer_cast<EditTaskViewController>(top());
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->task()->applyNO(), "K2001");
}
