#include "tests/app/ShellFixture.h"

#include "components/banner/DropdownBanner.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/store/UpdateTime.h"
#include "platform/foundation/Paths.h"
#include "platform/host/Automation.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Screen.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/RejectedTaskListViewController.h"
#include "tests/support/PixelProbe.h"

#include <algorithm>
#include <functional>
#include <sqlite3.h>

using mivo::test::ShellFixture;

namespace {

// The number dialogs of the finished and rejected lists, against the stand-in server.
class TaskNumberDialogTest : public ShellFixture {
protected:
    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }

    // Logs in as arvel, registers `applyNO` (prefix "AV" added) with the server, finishes or
    // rejects it, and opens the list it then belongs to once its merge has ended.
    template<class List> std::shared_ptr<List> openListWith(const std::string& applyNO, const char* segue)
    {
        if (!m_sliding && !(m_sliding = logIn("arvel")))
            return nullptr;
        m_carId = registerTask("AV" + applyNO);
        bool finished = std::string(segue) == ShellSegues::kToFinishedList;
        if (m_carId.empty() || !(finished ? s_server->finish(m_carId, "85000") : s_server->reject(m_carId)))
            return nullptr;
        return openList<List>(segue);
    }

    // Once its fetch and merge have ended, unless `settle` is false.
    template<class List> std::shared_ptr<List> openList(const char* segue, bool settle = true)
    {
        auto stack = homeStack(m_sliding);
        stack->popToRootViewController(false);
        stack->topViewController()->performSegueWithIdentifier(segue);
        step();
        auto list = std::dynamic_pointer_cast<List>(stack->topViewController());
        if (list && settle)
            runUntil([&] { return !list->isRequestRunning(); });
        return list;
    }

    std::string registerTask(const std::string& applyNoWithPrefix)
    {
        s_server->post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", "1001"}, {"applyNo", applyNoWithPrefix}, {"stockArea", "北京仓"},
                {"undertakeCompany", "人保"}, {"secondhandPrice", "90000"}, {"carSource", "1"},
                {"regDate", "2020-01-01"}, {"loantype", "常规产品"}});
        return s_server->carIdOf(applyNoWithPrefix).value_or("");
    }

    // Two shots of the task that the server never had: they must follow the number all the same.
    void addLocalShots(const std::string& applyNO)
    {
        for (const char* position : {"1", "2"})
            ASSERT_TRUE(IMivoDataBaseManager::sharedManager()->insertMivoUploadTask(
                foundation::Map {{"carID", m_carId}, {"applyNO", applyNO}, {"taskPosition", position},
                    {"resourceType", "image"}, {"taskStatus", "ADDED"}}));
    }

    // The numbers the task and then its media records hold in the store file, read through a
    // connection of its own.
    std::vector<std::string> storedNumbers() const
    {
        std::vector<std::string> numbers;
        sqlite3* db = nullptr;
        auto file = foundation::Paths::documents() / "IMivoDataBaseManager.sqlite";
        if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            for (const char* table : {"MivoTask", "MivoUploadTask"}) {
                std::string sql = std::string("SELECT applyNO FROM ") + table + " WHERE carID = ?";
                sqlite3_stmt* query = nullptr;
                sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr);
                sqlite3_bind_text(query, 1, m_carId.c_str(), -1, SQLITE_TRANSIENT);
                while (sqlite3_step(query) == SQLITE_ROW) {
                    auto text = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
                    numbers.emplace_back(text ? text : "(null)");
                }
                sqlite3_finalize(query);
            }
        }
        sqlite3_close(db);
        return numbers;
    }

    static std::shared_ptr<ModalAlertView> dialogOf(const ui::ViewController& list)
    {
        for (const auto& child : list.childViewControllers()) {
            auto alert = std::dynamic_pointer_cast<ModalAlertView>(child);
            if (alert && alert->inputs().size() == 1)
                return alert;
        }
        return nullptr;
    }

    bool automate(const foundation::Map& command)
    {
        auto reply = foundation::Value::fromJson(m_automation.handle(foundation::Value(command).toJson()));
        return reply && (*reply)["ok"].asBool();
    }

    // Opens the row's dialog by its button, types `digits` over the number and confirms; waits for
    // the server's answer.
    void renumber(ServerTaskListViewController& list, const std::string& applyNO, const std::string& digits)
    {
        confirm(list, applyNO, digits);
        runUntil([&] { return !list.isRenumbering(); });
        step();
    }

    void confirm(ServerTaskListViewController& list, const std::string& applyNO, const std::string& digits)
    {
        ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", std::string("修改单号:") + applyNO}}));
        step(0.6);
        ASSERT_TRUE(dialogOf(list));
        ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "新申请编号"}}));
        ASSERT_TRUE(automate({{"cmd", "backspace"}, {"count", 20}}));
        ASSERT_TRUE(automate({{"cmd", "type"}, {"text", digits}}));
        step(0.3);
        ASSERT_TRUE(automate({{"cmd", "tap"}, {"text", "确定"}}));
    }

    host::Automation m_automation;
    std::shared_ptr<SlidingViewController> m_sliding;
    std::string m_carId;
};

} // namespace

TEST_F(TaskNumberDialogTest, ANewNumberTheServerTakesReachesTheTaskAndItsShotsAndOutlivesTheNextMerge)
{
    auto list = openListWith<FinishedTaskListViewController>("F700", ShellSegues::kToFinishedList);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    addLocalShots("F700");

    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "修改单号:F700"}}));
    step(0.6);
    auto dialog = dialogOf(*list);
    ASSERT_TRUE(dialog);
    auto field = dialog->inputs()[0];
    EXPECT_EQ(field->text(), "F700") << "the number without the order prefix";
    EXPECT_EQ(field->keyboardType(), ui::KeyboardType::NumberPad);
    EXPECT_EQ(field->placeholder(), "请输入新的申请编号");
    ASSERT_EQ(dialog->buttons().size(), 2u) << "confirm and cancel, no close button";
    EXPECT_EQ(dialog->circleView()->backgroundColor(), graphics::Color::rgba(164 / 255.0, 41 / 255.0, 1));
    // Cancel leaves everything as it was and sends nothing.
    ASSERT_TRUE(automate({{"cmd", "tap"}, {"text", "取消"}}));
    step();
    EXPECT_FALSE(dialogOf(*list));

    renumber(*list, "F700", "7001");
    EXPECT_EQ(alertText(*list), "");
    EXPECT_NE(s_server->settledLog().find("CarTask.ashx?method=updateapplyno"), std::string::npos);
    EXPECT_EQ(s_server->carIdOf("AV7001"), m_carId) << "the server got the prefix with the number";
    ASSERT_EQ(list->tasks().size(), 1u);
    EXPECT_EQ(list->tasks()[0]->applyNO(), "7001");
    EXPECT_TRUE(automate({{"cmd", "find"}, {"label", "任务:7001"}})) << "the row shows the new number";
    EXPECT_EQ(storedNumbers(), (std::vector<std::string> {"7001", "7001", "7001"}));

    // The whole list again from the server: the new number stays.
    UpdateTime::setFinishedUpdateTime(1001, "");
    list = openList<FinishedTaskListViewController>(ShellSegues::kToFinishedList);
    ASSERT_TRUE(list);
    EXPECT_EQ(alertText(*list), "");
    EXPECT_FALSE(UpdateTime::finishedUpdateTime(1001).empty()) << "the list was merged";
    EXPECT_EQ(storedNumbers(), (std::vector<std::string> {"7001", "7001", "7001"}));
}

TEST_F(TaskNumberDialogTest, ARefusedNumberChangesNothingAndSaysWhy)
{
    auto list = openListWith<RejectedTaskListViewController>("R700", ShellSegues::kToRejectedList);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    addLocalShots("R700");
    ASSERT_FALSE(registerTask("AV7100").empty());

    const struct {
        const char* why;
        std::string digits;
        std::function<void()> prepare;
        bool sends;
    } table[] = {
        {"申请编号已存在", "7100", [] {}, true},
        {"网络超时,请重新尝试!", "7200",
            [] {
                EXPECT_TRUE(s_server->misbehave("drop", 0, "/Services/CarTask.ashx?method=updateapplyno"));
            },
            true},
        // A reply of 30 MB, cut off at the first megabyte.
        {"网络超时,请重新尝试!", "7250",
            [] {
                EXPECT_TRUE(s_server->misbehave("huge", 0, "/Services/CarTask.ashx?method=updateapplyno"));
            },
            true},
        // As the create-task screen refuses them.
        {"请输入申请编号", "", [] {}, false},
        {"申请编号只能由字母、数字、“-”和“_”组成,最多40位", std::string(41, '7'), [] {}, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.why);
        row.prepare();
        const size_t before = s_server->settledLog().size();
        renumber(*list, "R700", row.digits);
        EXPECT_EQ(alertText(*list), row.why);
        if (!row.sends) {
            EXPECT_EQ(s_server->settledLog().size(), before) << "nothing is sent";
        }
        EXPECT_EQ(storedNumbers(), (std::vector<std::string> {"R700", "R700", "R700"}));
        EXPECT_EQ(list->tasks()[0]->applyNO(), "R700");
        EXPECT_FALSE(s_server->carIdOf("AV7200"));
        s_server->behave();
        for (const auto& child : list->childViewControllers()) {
            if (auto alert = std::dynamic_pointer_cast<ModalAlertView>(child))
                alert->hideView();
        }
        step(1);
    }

    // A number a stored task has already: the create screen's notice, and no request.
    ASSERT_TRUE(IMivoDataBaseManager::sharedManager()->insertMivoTask(
        foundation::Map {{"applyNO", "7300"}, {"taskStatus", "PENDING"}, {"createUser", "arvel"}}));
    const size_t before = s_server->settledLog().size();
    renumber(*list, "R700", "7300");
    EXPECT_EQ(alertText(*list), "");
    EXPECT_TRUE(duplicateNumberNoticeShown());
    EXPECT_EQ(s_server->settledLog().size(), before);
    EXPECT_EQ(storedNumbers(), (std::vector<std::string> {"R700", "R700", "R700"}));
}

TEST_F(TaskNumberDialogTest, TheDialogRisesAboveTheNumberPad)
{
    auto list = openListWith<FinishedTaskListViewController>("F800", ShellSegues::kToFinishedList);
    ASSERT_TRUE(list);
    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "修改单号:F800"}}));
    step(0.6);
    ASSERT_TRUE(dialogOf(*list));
    // The Edit colour marks the badge at the dialog's top and the buttons at its bottom.
    const auto edit = graphics::Color::rgba(164 / 255.0, 41 / 255.0, 1);
    auto resting = mivo::test::PixelProbe::screen().boundingBox(edit);
    ASSERT_TRUE(resting);
    const double keyboardTop = ui::Screen::mainScreen().bounds().height() - ui::Keyboard::kPhoneHeight;
    EXPECT_GT(resting->maxY(), keyboardTop) << "the pad would cover the buttons";

    ASSERT_TRUE(automate({{"cmd", "tap"}, {"label", "新申请编号"}}));
    ASSERT_TRUE(ui::Keyboard::shared().isVisible());
    EXPECT_EQ(ui::Keyboard::shared().frame().minY(), keyboardTop);
    step(0.1);
    auto halfway = mivo::test::PixelProbe::screen().boundingBox(edit);
    ASSERT_TRUE(halfway);
    EXPECT_LT(halfway->minY(), resting->minY() - 10);
    EXPECT_GT(halfway->minY(), resting->minY() - 110);
    step(0.2);
    auto lifted = mivo::test::PixelProbe::screen().boundingBox(edit);
    ASSERT_TRUE(lifted);
    EXPECT_NEAR(lifted->minY(), resting->minY() - 120, 1);
    EXPECT_NEAR(lifted->maxY(), resting->maxY() - 120, 1);
    EXPECT_LT(lifted->maxY(), keyboardTop) << "the buttons stand above the pad";

    ASSERT_TRUE(automate({{"cmd", "tap"}, {"text", "取消"}}));
    step(0.6);
    EXPECT_FALSE(ui::Keyboard::shared().isVisible());
    EXPECT_FALSE(mivo::test::PixelProbe::screen().boundingBox(edit)) << "the dialog is gone";
}

TEST_F(TaskNumberDialogTest, ANumberConfirmedWhileTheListLoadsWaitsForTheMerge)
{
    auto list = openListWith<FinishedTaskListViewController>("F900", ShellSegues::kToFinishedList);
    ASSERT_TRUE(list);
    // The whole list again, slowly: it holds the task's old number.
    UpdateTime::setFinishedUpdateTime(1001, "");
    ASSERT_TRUE(s_server->misbehave("delay", 1500, "/Services/CarTask.ashx?method=endlist"));
    list = openList<FinishedTaskListViewController>(ShellSegues::kToFinishedList, false);
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->isRequestRunning());

    const size_t before = s_server->settledLog().size();
    auto sent = [&] { return s_server->log().find("method=updateapplyno", before) != std::string::npos; };
    confirm(*list, "F900", "9001");
    EXPECT_TRUE(list->isRenumbering());
    EXPECT_FALSE(runUntil(sent, 0.4)) << "held back while the list is fetched";
    ASSERT_TRUE(list->isRequestRunning());
    // Real time for the network, the manual clock for the wait's timer.
    for (int i = 0; i < 200 && list->isRenumbering(); ++i) {
        runUntil([] { return false; }, 0.05);
        step(0.1);
    }
    EXPECT_FALSE(list->isRenumbering());
    EXPECT_TRUE(sent());
    step();
    EXPECT_EQ(alertText(*list), "");
    EXPECT_EQ(s_server->carIdOf("AV9001"), m_carId);
    EXPECT_EQ(storedNumbers(), (std::vector<std::string> {"9001"}));
}
