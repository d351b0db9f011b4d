// What a reply costs in memory under each body limit. A login answered with 30 MB of `[0,0,...]`
// as "Data" (a reply anyone on the plain-HTTP path could send) is cut off at the limit of one
// object's reply (1 MB), with its length announced and without one, beside a usual login reply;
// the same 30 MB answered to a list request is read under the list limit (32 MB) with its entries
// kept as text. The yardstick is the login's road before it had a limit of its own: the reply read
// whole into a `Value` under 32 MB. Counter: the process's peak resident memory, so without a
// filter each case runs in a process of its own; every case checks that it ended as it must.
#include "bench/support/SeparateProcesses.h"
#include "core/net/HttpManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/HttpClient.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

using foundation::Map;
using foundation::Value;

namespace {

constexpr size_t kZerosBytes = 30'000'000;
// How many zeros the reply's "Data" holds: "[0" and then ",0" until the body has kZerosBytes.
constexpr size_t kHead = sizeof(R"({"Success":true,"Msg":"","Data":[0)") - 1;
constexpr size_t kZeros = 1 + (kZerosBytes - kHead + 1) / 2;

std::string zerosBody()
{
    std::string body = R"({"Success":true,"Msg":"","Data":[0)";
    body.reserve(kZerosBytes + 4);
    while (body.size() < kZerosBytes)
        body += ",0";
    return body + "]}";
}

// The login answers by user name: "arvel" as usual, "zeros" the 30 MB with its length, "chunked"
// the same without one; the list always the 30 MB.
pid_t startServer(int& port)
{
    return benchsupport::forkServer(
        [](httplib::Server& server) {
            auto zeros = std::make_shared<const std::string>(zerosBody());
            server.Post("/Services/Login.ashx",
                [zeros](const httplib::Request& request, httplib::Response& response) {
                    std::string user = request.get_param_value("username");
                    if (user == "zeros") {
                        response.set_content(*zeros, "application/json");
                    } else if (user == "chunked") {
                        response.set_chunked_content_provider(
                            "application/json", [zeros](size_t offset, httplib::DataSink& sink) {
                                if (offset >= zeros->size()) {
                                    sink.done();
                                    return true;
                                }
                                return sink.write(zeros->data() + offset,
                                    std::min<size_t>(64 * 1024, zeros->size() - offset));
                            });
                    } else {
                        response.set_content(
                            R"({"Success":true,"Msg":"登录成功","Data":{"userId":1001,"name":"Arvel 检测员","loginname":"arvel","companyname":"Arvel","orderprefix":"AV"}})",
                            "application/json");
                    }
                });
            server.Post(
                "/Services/CarTask.ashx", [zeros](const httplib::Request&, httplib::Response& response) {
                    response.set_content(*zeros, "text/html");
                });
        },
        port);
}

struct Setup {
    int port {0};
    pid_t server;

    Setup()
        : server(startServer(port))
    { }
    ~Setup() { benchsupport::stopServer(server); }

    std::string url(const char* path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

bool runUntil(const std::function<bool()>& done)
{
    return foundation::RunLoop::main().runUntil(done, 60);
}

const char* userOf(benchmark::State& state)
{
    switch (state.range(0)) {
    case 1:
        return "zeros";
    case 2:
        return "chunked";
    default:
        return "arvel";
    }
}

void report(benchmark::State& state, const std::optional<std::string>& wrong)
{
    state.counters["peak_rss_mb"] = benchsupport::peakResidentMb();
    if (wrong)
        state.SkipWithError(wrong->c_str());
}

// The login's own request: a usual reply is read, the 30 MB one refused as too large.
void BM_LoginReply(benchmark::State& state)
{
    std::optional<std::string> wrong;
    for (auto _ : state) {
        std::optional<Value> reply;
        std::optional<HttpError> error;
        auto manager = HttpManager::create();
        manager->postRequestWithBaseUrl(
            setup().url("/Services/Login.ashx?time=1"), Value(Map {{"username", userOf(state)}}), "login");
        manager->setRequestFinishBlock([&](const std::string&, Value got) { reply = std::move(got); });
        manager->setRequestFailiedBlock([&](const std::string&, const HttpError& got) { error = got; });
        manager.reset();
        runUntil([&] { return reply || error; });
        bool usual = state.range(0) == 0;
        if (usual && !(reply && (*reply)["Data"]["userId"] == Value(1001)))
            wrong = "the usual login reply was not read";
        if (!usual && !(error && error->code == HttpError::kDataLengthExceedsMaximum))
            wrong = "the 30 MB reply was not refused as too large";
    }
    report(state, wrong);
}
BENCHMARK(BM_LoginReply)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same 30 MB answered to a list request: read, its entries kept as text.
void BM_ListReply(benchmark::State& state)
{
    std::optional<std::string> wrong;
    for (auto _ : state) {
        std::optional<size_t> entries;
        bool failed = false;
        auto manager = HttpManager::create();
        manager->postListRequestWithBaseUrl(
            setup().url("/Services/CarTask.ashx?method=endlist&time=1"), Value(Map {}), "Data", "endlist");
        manager->setRequestListFinishBlock(
            [&](const std::string&, Value, std::optional<foundation::JsonList> list) {
                entries = list ? list->size() : 0;
            });
        manager->setRequestFailiedBlock([&](const std::string&, const HttpError&) { failed = true; });
        manager.reset();
        runUntil([&] { return entries || failed; });
        if (entries != kZeros)
            wrong = "the list did not hold every zero";
    }
    report(state, wrong);
}
BENCHMARK(BM_ListReply)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The yardstick: the login reply read whole, as before, under the 32 MB a list may take.
void BM_LoginReplyWhole(benchmark::State& state)
{
    std::optional<std::string> wrong;
    for (auto _ : state) {
        std::optional<size_t> zeros;
        auto request = net::HttpRequest::formPost(
            setup().url("/Services/Login.ashx?time=1"), {{"username", userOf(state)}}, 10);
        request.maxBodySize = HttpManager::kListReplyLimit;
        net::HttpClient::shared().start(std::move(request), [&](net::HttpResponse response) {
            Value reply = Value::fromJson(response.body).value_or(Value());
            zeros = reply["Data"].size();
        });
        runUntil([&] { return zeros.has_value(); });
        if (zeros != kZeros)
            wrong = "the reply was not read whole";
    }
    report(state, wrong);
}
BENCHMARK(BM_LoginReplyWhole)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (!benchsupport::filtered(argc, argv))
        return benchsupport::runEachCaseAlone(argc, argv,
            {"BM_LoginReply/0", "BM_LoginReply/1", "BM_LoginReply/2", "BM_ListReply/1",
                "BM_LoginReplyWhole/1"});
    setup();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
