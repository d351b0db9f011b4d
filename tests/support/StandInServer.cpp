#include "tests/support/StandInServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

std::filesystem::path serverBinary()
{
    if (const char* override = std::getenv("MIVO_SERVER_BINARY"))
        return override;
    return std::filesystem::path(MIVO_BINARY_DIR) / "server" / "mivo-server";
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool succeeded(const StandInServer::Response& response)
{
    if (!response.answered)
        return false;
    auto reply = nlohmann::json::parse(response.body, nullptr, false);
    return reply.is_object() && reply.value("Success", false);
}

} // namespace

StandInServer::StandInServer(std::vector<std::string> extraArgs)
{
    char pattern[] = "/tmp/mivo-standin-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    m_dataDir = pattern;
    const auto portFile = m_dataDir / "port";
    const auto logFile = m_dataDir / "server.log";

    std::vector<std::string> args {serverBinary().string(), "--host", "127.0.0.1", "--port", "0", "--data",
        (m_dataDir / "data").string(), "--port-file", portFile.string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // The server must not outlive a test program that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (m_pid < 0)
        return;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        std::string text = readFile(portFile);
        if (!text.empty() && text.back() == '\n') {
            m_port = std::atoi(text.c_str());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_port <= 0) {
        std::fprintf(
            stderr, "StandInServer: %s did not start; its log:\n%s\n", args[0].c_str(), log().c_str());
        stop();
    }
}

StandInServer::~StandInServer()
{
    stop();
    if (!m_dataDir.empty() && !std::getenv("MIVO_KEEP_TEST_DATA")) {
        std::error_code ec;
        std::filesystem::remove_all(m_dataDir, ec);
    }
}

void StandInServer::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string StandInServer::baseUrl() const
{
    return mediaBaseUrl() + "/Services";
}

std::string StandInServer::mediaBaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::string StandInServer::log() const
{
    return readFile(m_dataDir / "server.log");
}

std::string StandInServer::settledLog() const
{
    std::string last = log();
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        std::string now = log();
        if (now == last)
            break;
        last = std::move(now);
    }
    return last;
}

StandInServer::Response StandInServer::post(
    const std::string& path, const std::map<std::string, std::string>& form) const
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_tcp_nodelay(true);
    client.set_read_timeout(30);
    httplib::Params params(form.begin(), form.end());
    Response response;
    if (auto result = client.Post(path.c_str(), params)) {
        response.answered = true;
        response.status = result->status;
        response.contentType = result->get_header_value("Content-Type");
        response.body = result->body;
    }
    return response;
}

StandInServer::Response StandInServer::get(const std::string& path) const
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_tcp_nodelay(true);
    client.set_read_timeout(30);
    Response response;
    if (auto result = client.Get(path.c_str())) {
        response.answered = true;
        response.status = result->status;
        response.contentType = result->get_header_value("Content-Type");
        response.body = result->body;
    }
    return response;
}

bool StandInServer::admin(const std::string& action, const std::map<std::string, std::string>& form) const
{
    return succeeded(post("/admin/" + action, form));
}

bool StandInServer::finish(const std::string& carId, const std::string& price)
{
    std::map<std::string, std::string> form {{"carId", carId}};
    if (!price.empty())
        form["price"] = price;
    return admin("finish", form);
}

bool StandInServer::reject(const std::string& carId, const std::string& reason)
{
    std::map<std::string, std::string> form {{"carId", carId}};
    if (!reason.empty())
        form["reason"] = reason;
    return admin("reject", form);
}

bool StandInServer::misbehave(const std::string& mode, int delayMs, const std::string& pathPrefix, int count)
{
    return admin("misbehave",
        {{"mode", mode}, {"delayMs", std::to_string(delayMs)}, {"path", pathPrefix},
            {"count", std::to_string(count)}});
}

bool StandInServer::behave()
{
    return admin("misbehave", {{"mode", "none"}});
}

std::optional<int64_t> StandInServer::addUser(const std::string& loginName, const std::string& password,
    const std::string& companyName, const std::string& orderPrefix, const std::string& photoPlan)
{
    auto response = post("/admin/user",
        {{"loginname", loginName}, {"password", password}, {"companyname", companyName},
            {"orderprefix", orderPrefix}, {"photoplan", photoPlan}});
    if (!succeeded(response))
        return std::nullopt;
    return nlohmann::json::parse(response.body)["Data"]["userId"].get<int64_t>();
}

std::optional<std::string> StandInServer::carIdOf(const std::string& applyNo) const
{
    auto response = post("/admin/tasks", {{"applyNo", applyNo}});
    if (!succeeded(response))
        return std::nullopt;
    auto data = nlohmann::json::parse(response.body)["Data"];
    if (!data.is_array() || data.empty())
        return std::nullopt;
    return data[0]["CarID"].get<std::string>();
}

} // namespace testsupport
