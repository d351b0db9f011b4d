// Listing and updating the records of one 19-shot task through the store, beside the same query
// and update written directly against SQLite on the same file with the same settings.
#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using data::Predicate;

namespace {

constexpr int kTasks = 20;
constexpr int kRecordsPerTask = 19;
const char* const kTask = "AV000010";

std::filesystem::path& home()
{
    static std::filesystem::path path;
    return path;
}

// A store with 20 tasks of 19 media records each, made once per process.
std::shared_ptr<IMivoDataBaseManager> store()
{
    static std::shared_ptr<IMivoDataBaseManager> manager = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-store-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        home() = pattern;
        foundation::Paths::setHome(home());
        foundation::UserDefaults::standard().reload();
        auto made = IMivoDataBaseManager::sharedManager();
        for (int task = 0; task < kTasks; ++task) {
            char applyNO[32];
            std::snprintf(applyNO, sizeof applyNO, "AV%06d", task);
            made->insertMivoTask({{"applyNO", applyNO}, {"taskStatus", "PENDING"}, {"carID", ""},
                {"createTime", foundation::Date::now()}});
            std::vector<foundation::Map> records;
            for (int i = 1; i <= kRecordsPerTask; ++i) {
                records.push_back(
                    {{"applyNO", applyNO}, {"resourceType", i < kRecordsPerTask ? "image" : "video"},
                        {"taskPosition", std::to_string(i)}, {"taskStatus", "DEFAULT"}, {"carID", ""},
                        {"resourceName", ""}, {"resourceFilePath", ""}, {"screenshotName", ""},
                        {"screenshotPath", ""}, {"createTime", foundation::Date::now()}});
            }
            made->insertMivoUploadTasks(records);
        }
        std::atexit([] { std::filesystem::remove_all(home()); });
        return made;
    }();
    return manager;
}

// The hand-written side: one connection, prepared statements kept for the run.
struct Direct {
    sqlite3* db {nullptr};
    sqlite3_stmt* select {nullptr};
    sqlite3_stmt* update {nullptr};

    Direct()
    {
        store();
        auto file = foundation::Paths::documents() / "IMivoDataBaseManager.sqlite";
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db,
            "SELECT Z_PK, createTime, applyNO, picMode, resourceName, resourceType, taskPosition, "
            "taskStatus, "
            "carID, screenshotName, screenshotPath, resourceFilePath, fileUrl, thumbnail FROM MivoUploadTask "
            "WHERE applyNO = ? ORDER BY Z_PK",
            -1, &select, nullptr);
        sqlite3_prepare_v2(db, "UPDATE MivoUploadTask SET taskStatus = ?, resourceName = ? WHERE Z_PK = ?",
            -1, &update, nullptr);
    }
    ~Direct()
    {
        sqlite3_finalize(select);
        sqlite3_finalize(update);
        sqlite3_close(db);
    }
};

Direct& direct()
{
    static Direct instance;
    return instance;
}

struct Row {
    int64_t id;
    double createTime;
    std::string text[12];
};

std::vector<Row> listDirect()
{
    auto& d = direct();
    sqlite3_bind_text(d.select, 1, kTask, -1, SQLITE_STATIC);
    std::vector<Row> rows;
    while (sqlite3_step(d.select) == SQLITE_ROW) {
        Row row;
        row.id = sqlite3_column_int64(d.select, 0);
        row.createTime = sqlite3_column_double(d.select, 1);
        for (int i = 0; i < 12; ++i) {
            auto text = reinterpret_cast<const char*>(sqlite3_column_text(d.select, i + 2));
            row.text[i]
                = text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(d.select, i + 2))) : "";
        }
        rows.push_back(std::move(row));
    }
    sqlite3_reset(d.select);
    return rows;
}

void updateDirect(int64_t id, const std::string& status, const std::string& name)
{
    auto& d = direct();
    sqlite3_bind_text(d.update, 1, status.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(d.update, 2, name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(d.update, 3, id);
    sqlite3_step(d.update);
    sqlite3_reset(d.update);
}

void BM_StoreListTask(benchmark::State& state)
{
    auto manager = store();
    for (auto _ : state) {
        auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", kTask));
        if (!records || records->size() != kRecordsPerTask)
            state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_StoreListTask);

// The grids keep their records while on screen: a second list finds the live objects.
void BM_StoreListTaskHeld(benchmark::State& state)
{
    auto manager = store();
    auto held = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", kTask));
    for (auto _ : state) {
        auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", kTask));
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_StoreListTaskHeld);

void BM_SqliteListTask(benchmark::State& state)
{
    direct();
    for (auto _ : state) {
        auto rows = listDirect();
        if (rows.size() != kRecordsPerTask)
            state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_SqliteListTask);

void BM_StoreUpdateRecord(benchmark::State& state)
{
    auto manager = store();
    auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", kTask));
    int64_t n = 0;
    for (auto _ : state) {
        auto& record = records->at(static_cast<size_t>(n % kRecordsPerTask));
        manager->updateMivoUploadTask(record,
            {{"taskStatus", n % 2 ? "PENDING" : "DEFAULT"}, {"resourceName", std::to_string(n) + ".jpg"}});
        ++n;
    }
}
BENCHMARK(BM_StoreUpdateRecord);

void BM_SqliteUpdateRecord(benchmark::State& state)
{
    auto rows = listDirect();
    int64_t n = 0;
    for (auto _ : state) {
        updateDirect(rows[static_cast<size_t>(n % kRecordsPerTask)].id, n % 2 ? "PENDING" : "DEFAULT",
            std::to_string(n) + ".jpg");
        ++n;
    }
}
BENCHMARK(BM_SqliteUpdateRecord);

// What leaving a grid does: list the task's records, then update each one with its own save.
void BM_StoreListAndUpdateAll(benchmark::State& state)
{
    auto manager = store();
    int64_t n = 0;
    for (auto _ : state) {
        auto records = manager->listMivoUploadTasks(Predicate::withFormat("applyNO=%@", kTask));
        for (auto& record : *records)
            manager->updateMivoUploadTask(record,
                {{"taskStatus", n % 2 ? "PENDING" : "DEFAULT"},
                    {"resourceName", std::to_string(n) + ".jpg"}});
        ++n;
    }
}
BENCHMARK(BM_StoreListAndUpdateAll);

void BM_SqliteListAndUpdateAll(benchmark::State& state)
{
    int64_t n = 0;
    for (auto _ : state) {
        auto rows = listDirect();
        for (auto& row : rows)
            updateDirect(row.id, n % 2 ? "PENDING" : "DEFAULT", std::to_string(n) + ".jpg");
        ++n;
    }
}
BENCHMARK(BM_SqliteListAndUpdateAll);

} // namespace

BENCHMARK_MAIN();
