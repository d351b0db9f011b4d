// mivo-server: the stand-in for the inspection service's server.
//   mivo-server --host 127.0.0.1 --port 0 --data DIR --port-file FILE [--misbehave MODE ...]
//   mivo-server admin finish|reject|user|misbehave --url http://127.0.0.1:PORT ...

#include "server/AdminClient.h"
#include "server/MivoServer.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <future>
#include <pthread.h>

namespace {

int serve(server::ServerOptions options)
{
    // Signals are taken by sigwait below, never by a worker thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    server::MivoServer server(std::move(options));
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "mivo-server: %s\n", error.c_str());
        return 1;
    }
    int signal = 0;
    sigwait(&signals, &signal);
    std::fprintf(stderr, "mivo-server: stopping (signal %d)\n", signal);
    // Idle keep-alive connections can hold a clean stop for a moment; every write is already in the
    // database, so do not wait long for them.
    auto stopped = std::async(std::launch::async, [&server] { server.stop(); });
    if (stopped.wait_for(std::chrono::seconds(1)) != std::future_status::ready)
        std::_Exit(0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app {"mivo-server: the stand-in for the inspection service's server"};
    app.require_subcommand(0, 1);

    server::ServerOptions options;
    std::string dataDir = options.dataDir.string();
    std::string portFile;
    std::string misbehave;
    std::string misbehavePath;
    int misbehaveCount = -1;
    int delayMs = 0;
    // Signed, so that a negative limit is refused instead of wrapping round to a huge one.
    int64_t maxUploadMb = int64_t(options.maxUploadBytes / (1024 * 1024));
    int64_t maxUploadBytes = 0;
    bool quiet = false;
    app.add_option("--host", options.host, "address to listen on")->capture_default_str();
    app.add_option("--port", options.port, "port; 0 picks a free one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    app.add_option("--data", dataDir, "data folder (database and media)")->capture_default_str();
    app.add_option("--port-file", portFile, "file that receives the port once listening");
    app.add_option(
        "--misbehave", misbehave, "none|delay|drop|500|nonjson|contenttype|refuse|huge from the start");
    app.add_option("--delay-ms", delayMs, "delay every matching request by this many ms")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--misbehave-path", misbehavePath, "misbehave only on paths starting with this");
    app.add_option("--misbehave-count", misbehaveCount, "misbehave this many times (-1: always)");
    app.add_option("--max-upload-mb", maxUploadMb, "largest accepted upload file in MB")
        ->check(CLI::Range(int64_t(0), int64_t(1) << 40))
        ->capture_default_str();
    app.add_option("--max-upload-bytes", maxUploadBytes, "largest accepted upload file in bytes (tests)")
        ->check(CLI::Range(int64_t(0), int64_t(1) << 60));
    app.add_option("--threads", options.threads, "worker threads")->capture_default_str();
    app.add_flag("--quiet", quiet, "no request log");

    auto* admin = app.add_subcommand("admin", "send a command to a running server");
    admin->require_subcommand(1);
    std::string url = "http://127.0.0.1:8080";
    std::string carId, reason, price;
    std::string loginName, password, name, company, prefix, plan;
    std::string mode, path;
    int count = -1, adminDelay = 0;
    auto addUrl = [&](CLI::App* command) { command->add_option("--url", url, "server URL")->required(); };
    auto* finish = admin->add_subcommand("finish", "mark a task finished");
    addUrl(finish);
    finish->add_option("--car-id", carId, "server task id")->required();
    finish->add_option("--price", price, "assessed price");
    auto* reject = admin->add_subcommand("reject", "reject a task with a reason");
    addUrl(reject);
    reject->add_option("--car-id", carId, "server task id")->required();
    reject->add_option("--reason", reason, "reason shown to the inspector");
    auto* user = admin->add_subcommand("user", "add a user");
    addUrl(user);
    user->add_option("--login", loginName)->required();
    user->add_option("--password", password)->required();
    user->add_option("--name", name);
    user->add_option("--company", company);
    user->add_option("--prefix", prefix);
    user->add_option("--plan", plan);
    auto* misbehaveCommand
        = admin->add_subcommand("misbehave", "make the server misbehave (mode none: stop)");
    addUrl(misbehaveCommand);
    misbehaveCommand->add_option("--mode", mode)->required();
    misbehaveCommand->add_option("--delay-ms", adminDelay);
    misbehaveCommand->add_option("--path", path);
    misbehaveCommand->add_option("--count", count);

    CLI11_PARSE(app, argc, argv);

    if (admin->parsed()) {
        server::Form form;
        std::string action;
        if (finish->parsed()) {
            action = "finish";
            form["carId"] = carId;
            if (!price.empty())
                form["price"] = price;
        } else if (reject->parsed()) {
            action = "reject";
            form["carId"] = carId;
            if (!reason.empty())
                form["reason"] = reason;
        } else if (user->parsed()) {
            action = "user";
            form = {{"loginname", loginName}, {"password", password}, {"name", name},
                {"companyname", company}, {"orderprefix", prefix}, {"photoplan", plan}};
        } else {
            action = "misbehave";
            form = {{"mode", mode}, {"delayMs", std::to_string(adminDelay)}, {"path", path},
                {"count", std::to_string(count)}};
        }
        return server::AdminClient::run(url, action, form);
    }

    options.dataDir = dataDir;
    options.portFile = portFile;
    options.logRequests = !quiet;
    options.maxUploadBytes = uint64_t(maxUploadBytes > 0 ? maxUploadBytes : maxUploadMb * 1024 * 1024);
    if (!misbehave.empty() || delayMs > 0) {
        auto parsed = server::Misbehaviour::parseMode(misbehave.empty() ? "delay" : misbehave);
        if (!parsed) {
            std::fprintf(stderr, "mivo-server: unknown --misbehave mode \"%s\"\n", misbehave.c_str());
            return 2;
        }
        options.misbehaviour.push_back({*parsed, delayMs, misbehavePath, misbehaveCount});
    }
    return serve(std::move(options));
}
