// Merging a finished list of 2,000 tasks of 19 files into a store that holds 1,000 (500 of them
// in the list), through the app's sliced merge (which reads each entry from the list's text),
// beside the same upserts written directly against SQLite in one transaction. Both end with the
// same rows, checked here. Also: listing one task's records with 20 and with 5,000 tasks stored.
#include "platform/data/Predicate.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "screens/tasks/ServerTaskMerge.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using foundation::Array;
using foundation::Map;
using foundation::Value;
using MergeRule = IMivoDataBaseManager::MergeRule;

namespace {

constexpr int kFiles = 19;

Value serverList(int firstCarID, int count)
{
    Array tasks;
    for (int t = firstCarID; t < firstCarID + count; ++t) {
        std::string carID = std::to_string(t);
        Array files;
        for (int f = 1; f <= kFiles; ++f) {
            std::string n = std::to_string(f);
            files.push_back(
                Map {{"carTaskId", carID}, {"FileNum", n}, {"FileType", f < kFiles ? "image" : "video"},
                    {"FileName", carID + "_" + n + ".jpg"}, {"FileUrl", "/media/" + carID + "/" + n + ".jpg"},
                    {"Thumbnail", "/media/" + carID + "/t" + n + ".jpg"}});
        }
        tasks.push_back(Map {{"CarID", carID}, {"ApplyNo", "AV" + carID},
            {"ApplyNoWithoutPrefix", "N" + carID}, {"carSource", "0"}, {"StockArea", "北京仓"},
            {"UndertakeCompany", "人保"}, {"SecondhandPrice", "90000"}, {"UpdateDate", "2026-12-06 10:00:00"},
            {"CarFilesList", std::move(files)}});
    }
    return tasks;
}

fs::path storeFile()
{
    return foundation::Paths::documents() / "IMivoDataBaseManager.sqlite";
}

// A home whose store holds `tasks` rejected tasks (car ids from 0), made once per size and copied
// into place before each run.
struct Home {
    fs::path root;
    std::map<int, fs::path> templates;

    Home()
    {
        std::string pattern = (fs::temp_directory_path() / "mivo-merge-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        foundation::Paths::setHome(root / "home");
    }
    ~Home() { fs::remove_all(root); }

    void install(int tasks)
    {
        BaseDatabaseManager::resetSharedManagersForTesting();
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(storeFile().string() + suffix);
        auto& file = templates[tasks];
        if (file.empty()) {
            TaskRecordUtil::mergeServerTasks(serverList(0, tasks), "REJECTED", "arvel", MergeRule::Always);
            BaseDatabaseManager::resetSharedManagersForTesting(); // closes the store, folding in its log
            file = root / ("template-" + std::to_string(tasks) + ".sqlite");
            fs::copy_file(storeFile(), file);
        } else {
            fs::create_directories(storeFile().parent_path());
            fs::copy_file(file, storeFile());
        }
    }
};

Home& home()
{
    static Home instance;
    return instance;
}

// Every row the merge writes, in a fixed order: what the two sides must agree on.
std::string digest()
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(storeFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string text;
    for (const char* sql :
        {"SELECT carID, taskStatus, applyNO, createUser, photoType, baseLocation, ensureCompany, "
         "dealPrice, updateDate FROM MivoTask ORDER BY carID",
            "SELECT carID, taskPosition, resourceType, applyNO, resourceName, fileUrl, thumbnail, taskStatus "
            "FROM MivoUploadTask ORDER BY carID, resourceType, taskPosition"}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                auto value = sqlite3_column_text(statement, i);
                text += value ? reinterpret_cast<const char*>(value) : "-";
                text += '|';
            }
            text += '\n';
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return text;
}

std::string& expectedDigest()
{
    static std::string text;
    return text;
}

void checkDigest(benchmark::State& state)
{
    std::string text = digest();
    if (expectedDigest().empty())
        expectedDigest() = text;
    else if (text != expectedDigest())
        state.SkipWithError("the two merges left different rows");
}

void BM_MergeServerList(benchmark::State& state)
{
    auto& loop = foundation::RunLoop::main();
    const Value list = serverList(500, 2000);
    double longestTurn = 0;
    size_t slices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        home().install(1000);
        IMivoDataBaseManager::sharedManager(); // opening the store is not part of the merge
        foundation::JsonList tasks(list); // nor is the reply's reading, done on a worker
        state.ResumeTiming();
        auto merge = ServerTaskMerge::create(std::move(tasks), "FINISHED", "arvel", MergeRule::Always);
        bool allStored = false;
        merge->start([] { return true; }, [&](size_t, bool stored) { allStored = stored; });
        while (!merge->isDone()) {
            auto start = std::chrono::steady_clock::now();
            loop.runOnce();
            longestTurn = std::max(
                longestTurn, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        slices = merge->slicesRun();
        if (!allStored)
            state.SkipWithError("the merge did not store everything");
    }
    state.counters["longest_turn_ms"] = longestTurn * 1000;
    state.counters["turns"] = double(slices);
    checkDigest(state);
}
BENCHMARK(BM_MergeServerList)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same merge in one go and one transaction, as TaskRecordUtil offers it: what slicing costs.
// Like the others, it starts from the list's text: reading the entries is part of the work.
void BM_MergeServerListAtOnce(benchmark::State& state)
{
    const std::string text = serverList(500, 2000).toJson();
    for (auto _ : state) {
        state.PauseTiming();
        home().install(1000);
        IMivoDataBaseManager::sharedManager();
        state.ResumeTiming();
        bool allStored = false;
        const Value list = Value::fromJson(text).value_or(Value());
        TaskRecordUtil::mergeServerTasks(list, "FINISHED", "arvel", MergeRule::Always, &allStored);
        if (!allStored)
            state.SkipWithError("the merge did not store everything");
    }
    checkDigest(state);
}
BENCHMARK(BM_MergeServerListAtOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string textOf(const Value& value)
{
    return value.isInt() ? std::to_string(value.asInt()) : value.asString();
}

// The same upserts by hand: one connection, prepared statements, one transaction.
struct Direct {
    sqlite3* db {nullptr};
    std::map<std::string, sqlite3_stmt*> statements;

    Direct()
    {
        sqlite3_open_v2(storeFile().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    }
    ~Direct()
    {
        for (auto& [sql, statement] : statements)
            sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        auto& statement = statements[sql];
        if (!statement)
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_reset(statement);
        return statement;
    }
    static void bind(sqlite3_stmt* statement, std::initializer_list<std::string> texts)
    {
        int i = 1;
        for (auto& text : texts)
            sqlite3_bind_text(statement, i++, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    int64_t find(sqlite3_stmt* statement)
    {
        return sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    }

    void merge(const Value& list)
    {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (const Value& entry : list.asArray()) {
            std::string carID = textOf(entry["CarID"]);
            std::string applyNO = textOf(entry["ApplyNoWithoutPrefix"]);
            auto date = foundation::Date::parseLocal(textOf(entry["UpdateDate"]), "yyyy-MM-dd HH:mm:ss");
            auto select = prepare("SELECT Z_PK FROM MivoTask WHERE carID = ?");
            bind(select, {carID});
            int64_t id = find(select);
            auto write = id
                ? prepare("UPDATE MivoTask SET carID = ?, photoType = ?, taskStatus = ?, applyNO = ?, "
                          "createUser = ?, baseLocation = ?, ensureCompany = ?, dealPrice = ?, "
                          "updateDate = ? WHERE Z_PK = ?")
                : prepare("INSERT INTO MivoTask (carID, photoType, taskStatus, applyNO, createUser, "
                          "baseLocation, ensureCompany, dealPrice, updateDate) VALUES (?, ?, ?, ?, ?, ?, "
                          "?, ?, ?)");
            bind(write,
                {carID, textOf(entry["carSource"]), "FINISHED", applyNO, "arvel", textOf(entry["StockArea"]),
                    textOf(entry["UndertakeCompany"]), textOf(entry["SecondhandPrice"])});
            sqlite3_bind_double(write, 9, date->secondsSince1970());
            if (id)
                sqlite3_bind_int64(write, 10, id);
            sqlite3_step(write);
            for (const Value& file : entry["CarFilesList"].asArray()) {
                std::string position = textOf(file["FileNum"]);
                std::string type = textOf(file["FileType"]);
                auto lookup = prepare("SELECT Z_PK FROM MivoUploadTask WHERE carID = ? AND taskPosition = ? "
                                      "AND resourceType = ?");
                bind(lookup, {carID, position, type});
                int64_t fileId = find(lookup);
                auto put = fileId
                    ? prepare("UPDATE MivoUploadTask SET carID = ?, applyNO = ?, taskPosition = ?, "
                              "resourceType = ?, resourceName = ?, fileUrl = ?, thumbnail = ?, "
                              "taskStatus = ? WHERE Z_PK = ?")
                    : prepare("INSERT INTO MivoUploadTask (carID, applyNO, taskPosition, resourceType, "
                              "resourceName, fileUrl, thumbnail, taskStatus) VALUES (?, ?, ?, ?, ?, ?, "
                              "?, ?)");
                bind(put,
                    {carID, applyNO, position, type, textOf(file["FileName"]), textOf(file["FileUrl"]),
                        textOf(file["Thumbnail"]), "UPLOADED"});
                if (fileId)
                    sqlite3_bind_int64(put, 9, fileId);
                sqlite3_step(put);
            }
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
};

void BM_SqliteMergeServerList(benchmark::State& state)
{
    const std::string text = serverList(500, 2000).toJson();
    for (auto _ : state) {
        state.PauseTiming();
        home().install(1000);
        BaseDatabaseManager::resetSharedManagersForTesting();
        auto direct = std::make_unique<Direct>();
        state.ResumeTiming();
        direct->merge(Value::fromJson(text).value_or(Value()));
        state.PauseTiming();
        direct.reset();
        state.ResumeTiming();
    }
    checkDigest(state);
}
BENCHMARK(BM_SqliteMergeServerList)->Unit(benchmark::kMillisecond)->UseRealTime();

// One task's 19 records by its number, with `range(0)` tasks in the store.
void BM_ListTaskAmong(benchmark::State& state)
{
    home().install(int(state.range(0)));
    auto manager = IMivoDataBaseManager::sharedManager();
    const std::string applyNO = "N" + std::to_string(state.range(0) / 2);
    for (auto _ : state) {
        auto records = manager->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", applyNO));
        if (!records || records->size() != kFiles)
            state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_ListTaskAmong)->Arg(20)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
