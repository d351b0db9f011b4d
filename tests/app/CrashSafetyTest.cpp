// The app killed at any moment while it saves photos, merges server lists and edits a task: the
// store it leaves opens, passes SQLite's integrity check, holds whole merges and whole edits only,
// and no record names a missing or half-written file. The child is this test program itself, running the
// workload below.
#include "core/media/CommonUtil.h"
#include "core/media/MediaCleanup.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using foundation::Array;
using foundation::Map;
using foundation::Value;

namespace {

constexpr const char* kChildHome = "MIVO_CRASH_CHILD_HOME";
constexpr int kShots = 13;
constexpr int kTasksPerMerge = 40;
constexpr int kFilesPerTask = 19;

std::shared_ptr<graphics::Image> photo(int seed)
{
    auto image = graphics::Image::create(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            image->setPixel(
                x, y, 0xFF000000u | uint32_t((x + seed) & 255) << 16 | uint32_t((y * 3) & 255) << 8 | 0x40);
    image->setOpaque(true);
    return image;
}

Value serverList(int merge)
{
    Array tasks;
    for (int t = 0; t < kTasksPerMerge; ++t) {
        std::string carID = std::to_string(merge * kTasksPerMerge + t + 1000);
        Array files;
        for (int f = 1; f <= kFilesPerTask; ++f)
            files.push_back(Map {{"carTaskId", carID}, {"FileNum", std::to_string(f)},
                {"FileType", f < kFilesPerTask ? "image" : "video"},
                {"FileName", "server-" + std::to_string(f) + ".jpg"},
                {"FileUrl", "/media/" + carID + "/" + std::to_string(f)}});
        tasks.push_back(Map {
            {"CarID", carID}, {"ApplyNoWithoutPrefix", "S" + carID}, {"CarFilesList", std::move(files)}});
    }
    return tasks;
}

// Runs this program as the child, working in `home` until it is killed.
pid_t startChild(const fs::path& home)
{
    pid_t pid = fork();
    if (pid == 0) {
        setenv(kChildHome, home.c_str(), 1);
        execl("/proc/self/exe", "crash-child", "--gtest_filter=CrashSafetyChild.Workload", nullptr);
        _exit(127);
    }
    return pid;
}

struct Found {
    size_t savedPhotos = 0;
    size_t mergedTasks = 0;
    size_t edits = 0;
};

// The edited task ("E<edits>") and its media records: one number for all, and the shot list of
// its plan (13 photos for the seal plan, 14 for the other, then the video).
size_t inspectEditedTask(sqlite3* db)
{
    std::vector<std::pair<std::string, std::string>> tasks;
    std::vector<std::pair<std::string, int>> groups;
    auto rows = [&](const char* sql, auto&& read) {
        sqlite3_stmt* select = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &select, nullptr), SQLITE_OK) << sql;
        while (select && sqlite3_step(select) == SQLITE_ROW)
            read(select);
        sqlite3_finalize(select);
    };
    auto text = [](sqlite3_stmt* row, int column) {
        auto value = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
        return std::string(value ? value : "");
    };
    int tables = 0;
    rows("SELECT count(*) FROM sqlite_master WHERE name IN ('MivoTask', 'MivoUploadTask')",
        [&](sqlite3_stmt* row) { tables = sqlite3_column_int(row, 0); });
    if (tables < 2)
        return 0; // killed while the store was being made
    rows("SELECT applyNO, photoType FROM MivoTask WHERE applyNO LIKE 'E%'",
        [&](sqlite3_stmt* row) { tasks.emplace_back(text(row, 0), text(row, 1)); });
    rows("SELECT applyNO, count(*) FROM MivoUploadTask WHERE applyNO LIKE 'E%' GROUP BY applyNO",
        [&](sqlite3_stmt* row) { groups.emplace_back(text(row, 0), sqlite3_column_int(row, 1)); });
    if (tasks.empty()) {
        EXPECT_TRUE(groups.empty()) << "no media records without their task";
        return 0;
    }
    EXPECT_EQ(tasks.size(), 1u);
    const auto& [applyNO, plan] = tasks.front();
    EXPECT_EQ(groups.size(), 1u) << "every media record has the task's number";
    if (!groups.empty()) {
        EXPECT_EQ(groups.front().first, applyNO);
        EXPECT_EQ(groups.front().second, plan == TaskRecordUtil::kPlanRemoveSeal ? 14 : 15) << plan;
    }
    return size_t(std::stoul(applyNO.substr(1)));
}

// What a fresh start of the app finds in `home`.
Found inspect(const fs::path& home)
{
    Found found;
    auto file = home / "Documents" / "IMivoDataBaseManager.sqlite";
    if (!fs::exists(file))
        return found; // killed before the store was made
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* check = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
        EXPECT_EQ(sqlite3_step(check), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
        sqlite3_finalize(check);
        found.edits = inspectEditedTask(db);
        sqlite3_close(db);
    }
    foundation::Paths::setHome(home);
    BaseDatabaseManager::resetSharedManagersForTesting();
    auto store = IMivoDataBaseManager::sharedManager();
    EXPECT_TRUE(store->managedObjectContext()) << "the store opens";
    if (!store->managedObjectContext())
        return found;
    auto records = store->listMivoUploadTasks(data::Predicate::withFormat("taskStatus=%@", "PENDING"));
    EXPECT_TRUE(records);
    for (auto& record : records.value_or(std::vector<std::shared_ptr<MivoUploadTask>> {})) {
        auto folder = home / "Documents" / "user7" / "picture";
        for (const std::string& name : {record->resourceName(), record->screenshotName()}) {
            std::string error;
            EXPECT_TRUE(graphics::JpegCodec::decodeFile(folder / name, 1, &error))
                << "record " << record->taskPosition() << " names " << name << ": " << error;
        }
        ++found.savedPhotos;
    }
    auto merged = store->listMivoTasks(data::Predicate::withFormat("taskStatus=%@", "FINISHED"));
    found.mergedTasks = merged ? merged->size() : 0;
    EXPECT_EQ(found.mergedTasks % kTasksPerMerge, 0u) << "a merge is stored whole or not at all";
    auto files = store->listMivoUploadTasks(data::Predicate::withFormat("taskStatus=%@", "UPLOADED"));
    EXPECT_EQ(files ? files->size() : 0, found.mergedTasks * kFilesPerTask);

    // The next start's sweep leaves exactly the files of the stored records.
    EXPECT_TRUE(media::MediaCleanup::sweep(home / "Documents", home / "tmp", *store));
    std::set<std::string> named;
    for (auto& record : records.value_or(std::vector<std::shared_ptr<MivoUploadTask>> {})) {
        named.insert(record->resourceName());
        named.insert(record->screenshotName());
    }
    std::set<std::string> left;
    std::error_code code;
    for (fs::directory_iterator it(home / "Documents" / "user7" / "picture", code), end; !code && it != end;
         it.increment(code))
        left.insert(it->path().filename().string());
    EXPECT_EQ(left, named);
    BaseDatabaseManager::resetSharedManagersForTesting();
    return found;
}

} // namespace

// The workload of the child; skipped when run as an ordinary test.
TEST(CrashSafetyChild, Workload)
{
    const char* home = std::getenv(kChildHome);
    if (!home)
        GTEST_SKIP() << "runs only as the child of CrashSafetyTest";
    foundation::Paths::setHome(home);
    foundation::UserDefaults::standard().reload();
    foundation::UserDefaults::standard().set(LocalDocumentManager::kCurrentUserKey, "user7");
    foundation::RunLoop::main().reset();
    auto store = IMivoDataBaseManager::sharedManager();
    ASSERT_TRUE(store->managedObjectContext());
    std::vector<Map> records;
    for (int i = 1; i <= kShots; ++i)
        records.push_back(
            Map {{"applyNO", "K1"}, {"resourceType", "image"}, {"taskPosition", std::to_string(i)},
                {"taskStatus", "DEFAULT"}, {"carID", ""}, {"resourceName", ""}, {"screenshotName", ""}});
    ASSERT_TRUE(store->insertMivoUploadTasks(records));
    auto shots = store->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", "K1")).value();
    CommonUtil::SectionLists lists {shots, {}};
    auto edited = TaskRecordUtil::storeNewTask(
        {"E0", "上海浦东仓", "平安保险", "86000", "常规产品", TaskRecordUtil::kPlanKeepSeal}, "Arvel",
        "arvel", 1001, foundation::Date(1));
    ASSERT_TRUE(edited);
    for (int round = 0;; ++round) {
        ui::ImagePickerInfo info;
        info.mediaType = ui::ImagePickerInfo::kMediaTypeImage;
        info.originalImage = photo(round);
        auto& shot = shots[size_t(round % kShots)];
        std::string before = shot->resourceName();
        CommonUtil::imagePickerController(nullptr, info, {0, round % kShots}, lists);
        foundation::RunLoop::main().runUntil([&] { return shot->resourceName() != before; }, 10);
        TaskRecordUtil::mergeServerTasks(
            serverList(round), "FINISHED", "arvel", IMivoDataBaseManager::MergeRule::Always);
        // A rename, every other time with a new plan and so a new shot list.
        std::string applyNO = "E" + std::to_string(round + 1);
        bool replanned = false;
        if (round % 2 == 1) {
            const char* plan = edited->photoType() == TaskRecordUtil::kPlanKeepSeal
                ? TaskRecordUtil::kPlanRemoveSeal
                : TaskRecordUtil::kPlanKeepSeal;
            replanned
                = TaskRecordUtil::replanTask(edited, Map {{"applyNO", applyNO}, {"photoType", plan}}, "Arvel")
                == TaskRecordUtil::ReplanResult::Stored;
        }
        // A photo save still on its way keeps the plan.
        if (!replanned)
            TaskRecordUtil::updateTask(edited, Map {{"applyNO", applyNO}});
    }
}

TEST(CrashSafetyTest, KillingTheAppAnywhereLeavesAStoreThatOpensAndNoDanglingRecord)
{
    mivo::test::TempHome scratch; // restores the home afterwards
    Found total;
    int killedWhileWorking = 0;
    // Kill points spread from the store's creation to well into the work, a few ms apart so
    // that they land in photo writes, record saves and merge commits alike.
    for (int run = 0; run < 16; ++run) {
        fs::path home = scratch.path() / ("run" + std::to_string(run));
        fs::create_directories(home);
        pid_t child = startChild(home);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(60 + 47 * run));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "run " << run << ": the child ended by itself";
        SCOPED_TRACE("run " + std::to_string(run));
        Found found = inspect(home);
        total.savedPhotos += found.savedPhotos;
        total.mergedTasks += found.mergedTasks;
        total.edits += found.edits;
        killedWhileWorking += found.savedPhotos > 0;
    }
    foundation::Paths::setHome(scratch.path());
    EXPECT_GT(killedWhileWorking, 4) << "most kills should land while photos and merges are under way";
    EXPECT_GT(total.mergedTasks, 0u);
    EXPECT_GT(total.edits, 0u);
}
