// A finished list arriving from a server over loopback, read and merged by the finished list's own
// road (the reply read on a worker, its entries merged in slices), beside the same reply read at
// once and merged in one transaction on the main thread. Two replies: 10,071 real tasks (11
// files each, 29.8 MB) and 30 MB of `[0,0,...]` as "Data". Counters: the longest main-thread
// turn and the process's peak resident memory. Peak memory only grows, so without a filter the
// program runs each case in a fresh process of its own; both sides must leave the same rows.
#include "bench/support/SeparateProcesses.h"
#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/HttpClient.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using foundation::Value;

namespace {

constexpr int kTasks = 10071;
constexpr int kFiles = 11;
constexpr size_t kZerosBytes = 30'000'000;

std::string tasksBody()
{
    std::string body = R"({"Success":true,"Msg":"","Data":[)";
    for (int t = 0; t < kTasks; ++t) {
        std::string id = std::to_string(200000 + t);
        body += t ? "," : "";
        body += R"({"CarID":")" + id + R"(","ApplyNo":"AVN)" + id + R"(","ApplyNoWithoutPrefix":"N)" + id
            + R"(","carSource":"0","StockArea":"北京仓","UndertakeCompany":"人保","SecondhandPrice":"90000",)"
            + R"("RegDate":"2019-01","LoanType":"1","Status":"FINISHED","RejectReason":"","AssessPrice":"85000",)"
            + R"("CreateTime":"2026-12-01 09:00:00","UpdateDate":"2026-12-06 10:00:00","UserId":7,)"
            + R"("LoginName":"arvel","CarFilesList":[)";
        for (int f = 1; f <= kFiles; ++f) {
            std::string n = std::to_string(f);
            std::string name = "17334720" + id + n + (f < kFiles ? ".jpg" : ".mp4");
            body += f > 1 ? "," : "";
            body += R"({"carTaskId":")" + id + R"(","FileNum":")" + n + R"(","FileType":")"
                + (f < kFiles ? "image" : "video") + R"(","FileName":")" + name + R"(","FileUrl":"/media/)"
                + id + "/" + name + R"(","Thumbnail":"/media/)" + id + "/thumbs/_" + name
                + R"(.jpg","UploadTime":"2026-12-05 11:00:00"})";
        }
        body += "]}";
    }
    return body + R"(],"sysdate":"2026-12-06 10:00:00"})";
}

std::string zerosBody()
{
    std::string body = R"({"Success":true,"Msg":"","Data":[0)";
    body.reserve(kZerosBytes + 64);
    while (body.size() < kZerosBytes)
        body += ",0";
    return body + R"(],"sysdate":"2026-12-06 10:00:00"})";
}

// The server answers the list with the reply named by the user's login name.
pid_t startServer(int& port)
{
    return benchsupport::forkServer(
        [](httplib::Server& server) {
            auto tasks = std::make_shared<const std::string>(tasksBody());
            auto zeros = std::make_shared<const std::string>(zerosBody());
            server.Post("/Services/CarTask.ashx",
                [tasks, zeros](const httplib::Request& request, httplib::Response& response) {
                    response.set_content(
                        request.get_param_value("LoginName") == "zeros" ? *zeros : *tasks, "text/html");
                });
        },
        port);
}

struct Setup {
    fs::path root;
    int port {0};
    pid_t server;

    Setup()
        : server(startServer(port))
    {
        std::string pattern = (fs::temp_directory_path() / "mivo-list-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        foundation::Paths::setHome(root);
        auto& defaults = foundation::UserDefaults::standard();
        defaults.set("staticBaseUrl", "127.0.0.1");
        defaults.set("staticBasePort", std::to_string(port));
        defaults.set("userName", "arvel");
    }
    ~Setup()
    {
        benchsupport::stopServer(server);
        fs::remove_all(root);
    }

    // An empty store, and a user whose login name picks the reply.
    void freshStore(const std::string& loginName)
    {
        BaseDatabaseManager::resetSharedManagersForTesting();
        fs::remove_all(foundation::Paths::documents());
        fs::create_directories(foundation::Paths::documents());
        UserInfo::sharedInstance()->setLoginName(loginName);
        IMivoDataBaseManager::sharedManager();
    }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// The longest turn of the main loop, in real time and in the main thread's CPU time: on a busy
// machine a turn waits for a core, which the CPU time leaves out.
struct Turns {
    double wall = 0;
    double cpu = 0;
};

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the main loop as a host does until `done`, timing every turn.
void runTimingTurns(const std::function<bool()>& done, Turns& longest)
{
    auto& loop = foundation::RunLoop::main();
    while (!done()) {
        auto start = std::chrono::steady_clock::now();
        double cpuStart = threadCpuSeconds();
        loop.runOnce();
        longest.cpu = std::max(longest.cpu, threadCpuSeconds() - cpuStart);
        longest.wall = std::max(
            longest.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        loop.waitForNextEvent(0.05);
    }
}

std::string rowCounts()
{
    auto count = [](const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((foundation::Paths::documents() / "IMivoDataBaseManager.sqlite").c_str(), &db,
            SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        std::string text = sqlite3_step(statement) == SQLITE_ROW
            ? std::to_string(sqlite3_column_int64(statement, 0)) + "/"
                + std::to_string(sqlite3_column_int64(statement, 1))
            : "-";
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return text;
    };
    return count("SELECT COUNT(*), COUNT(DISTINCT applyNO) FROM MivoTask") + " "
        + count("SELECT COUNT(*), COUNT(DISTINCT fileUrl) FROM MivoUploadTask");
}

void report(benchmark::State& state, const Turns& longestTurn, const std::string& rows)
{
    state.counters["longest_turn_ms"] = longestTurn.wall * 1000;
    state.counters["longest_turn_cpu_ms"] = longestTurn.cpu * 1000;
    state.counters["peak_rss_mb"] = benchsupport::peakResidentMb();
    std::string expected = state.range(0) ? "0/0 0/0" : "10071/10071 110781/110781";
    if (rows != expected)
        state.SkipWithError(("the store holds " + rows + ", not " + expected).c_str());
}

const char* loginName(benchmark::State& state)
{
    return state.range(0) ? "zeros" : "tasks";
}

// The finished list's own road: refresh, the reply read on a worker, the merge in slices, the
// list shown again.
void BM_FinishedListReply(benchmark::State& state)
{
    Turns longest;
    for (auto _ : state) {
        state.PauseTiming();
        setup().freshStore(loginName(state));
        auto list = FinishedTaskListViewController::create();
        // Shown, as on the phone: the rows of the merged list are made in the timed turns too.
        list->view()->setFrame({0, 0, 320, 504});
        list->view()->layoutIfNeeded();
        state.ResumeTiming();
        list->refresh();
        runTimingTurns([&] { return !list->isRequestRunning(); }, longest);
    }
    report(state, longest, rowCounts());
}
BENCHMARK(BM_FinishedListReply)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same reply read at once on the main thread and merged in one transaction.
void BM_FinishedListReplyAtOnce(benchmark::State& state)
{
    Turns longest;
    for (auto _ : state) {
        state.PauseTiming();
        setup().freshStore(loginName(state));
        state.ResumeTiming();
        bool done = false;
        auto request = net::HttpRequest::formPost(
            "http://127.0.0.1:" + std::to_string(setup().port) + "/Services/CarTask.ashx?method=endlist",
            {{"LoginName", loginName(state)}, {"updateDate", ""}}, 10);
        net::HttpClient::shared().start(std::move(request), [&](net::HttpResponse response) {
            Value reply = Value::fromJson(response.body).value_or(Value());
            Value tasks = reply["Data"];
            TaskRecordUtil::mergeServerTasks(tasks, "FINISHED", RequestUrlUtil::currentUserName(),
                IMivoDataBaseManager::MergeRule::Always);
            done = true;
        });
        runTimingTurns([&] { return done; }, longest);
    }
    report(state, longest, rowCounts());
}
BENCHMARK(BM_FinishedListReplyAtOnce)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (!benchsupport::filtered(argc, argv))
        return benchsupport::runEachCaseAlone(argc, argv,
            {"BM_FinishedListReply/0", "BM_FinishedListReply/1", "BM_FinishedListReplyAtOnce/0",
                "BM_FinishedListReplyAtOnce/1"});
    setup();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
