#include "tests/server/InProcessServer.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <httplib.h>
#include <turbojpeg.h>

namespace servertest {

InProcessServer::InProcessServer(server::ServerOptions options)
    : m_now(std::make_shared<std::atomic<double>>(1700000000.0))
{
    char pattern[] = "/tmp/mivo-server-test-XXXXXX";
    m_dataDir = mkdtemp(pattern);
    options.host = "127.0.0.1";
    options.port = 0;
    options.dataDir = m_dataDir / "data";
    options.logRequests = std::getenv("MIVO_SERVER_TEST_LOG") != nullptr;
    options.threads = 8;
    auto now = m_now;
    options.clock = [now] { return now->load(); };
    m_server = std::make_unique<server::MivoServer>(std::move(options));
    std::string error;
    EXPECT_TRUE(m_server->start(&error)) << error;
}

InProcessServer::~InProcessServer()
{
    m_server.reset();
    std::error_code ec;
    std::filesystem::remove_all(m_dataDir, ec);
}

namespace {

InProcessServer::Reply toReply(const httplib::Result& result)
{
    InProcessServer::Reply reply;
    if (!result) {
        reply.error = httplib::to_string(result.error());
        return reply;
    }
    reply.answered = true;
    reply.status = result->status;
    reply.contentType = result->get_header_value("Content-Type");
    reply.body = result->body;
    reply.json = nlohmann::json::parse(reply.body, nullptr, false);
    return reply;
}

httplib::Client client(int port)
{
    httplib::Client c("127.0.0.1", port);
    c.set_tcp_nodelay(true);
    c.set_read_timeout(10);
    return c;
}

} // namespace

InProcessServer::Reply InProcessServer::post(
    const std::string& path, const std::map<std::string, std::string>& form) const
{
    auto c = client(port());
    return toReply(c.Post(path.c_str(), httplib::Params(form.begin(), form.end())));
}

InProcessServer::Reply InProcessServer::get(const std::string& path) const
{
    auto c = client(port());
    return toReply(c.Get(path.c_str()));
}

InProcessServer::Reply InProcessServer::upload(const std::map<std::string, std::string>& fields,
    const std::string& partName, const std::string& fileName, const std::string& bytes,
    const std::string& contentType) const
{
    httplib::MultipartFormDataItems items;
    for (const auto& [name, value] : fields)
        items.push_back({name, value, "", ""});
    if (!partName.empty())
        items.push_back({partName, bytes, fileName, contentType});
    auto c = client(port());
    return toReply(c.Post("/Services/FileUpload.ashx?method=upload&time=1", items));
}

nlohmann::json InProcessServer::login(const std::string& user, const std::string& password) const
{
    return post(
        "/Services/Login.ashx?time=1", {{"username", user}, {"password", password}, {"simid", "sim-1"}})
        .json;
}

std::string InProcessServer::addTask(
    const std::string& applyNo, int64_t userId, const std::string& carSource) const
{
    auto reply = carTask("add", taskForm(applyNo, userId, carSource));
    EXPECT_TRUE(success(reply)) << reply.body;
    return reply.json["Data"].value("serverId", "");
}

InProcessServer::Reply InProcessServer::carTask(
    const std::string& method, const std::map<std::string, std::string>& form) const
{
    return post("/Services/CarTask.ashx?method=" + method + "&time=1", form);
}

InProcessServer::Reply InProcessServer::listOf(
    const std::string& method, const std::string& since, const std::string& loginName) const
{
    return carTask(method, {{"LoginName", loginName}, {"updateDate", since}});
}

Form taskForm(const std::string& applyNo, int64_t userId, const std::string& carSource)
{
    return {{"userId", std::to_string(userId)}, {"applyNo", applyNo}, {"stockArea", "上海"},
        {"undertakeCompany", "平安"}, {"secondhandPrice", "88000"}, {"carSource", carSource},
        {"regDate", "2016-03-01 10:20:30"}, {"loantype", "0"}};
}

Form uploadFields(
    const std::string& carId, const std::string& seq, const std::string& fileName, const std::string& type)
{
    return {{"filename", fileName}, {"carTaskId", carId}, {"seq", seq}, {"carSource", "0"}, {"maxseq", "13"},
        {"filelastModifyTime", "2425-11-03 05:52:00"}, {"imgisoriginal", "0"}, {"optional", ""},
        {"picMode", "1"}, {"type", type}};
}

bool success(const InProcessServer::Reply& reply)
{
    return reply.json.is_object() && reply.json.value("Success", false);
}

std::string msg(const InProcessServer::Reply& reply)
{
    return reply.json.is_object() ? reply.json.value("Msg", "") : "<not JSON: " + reply.body + ">";
}

std::string makeJpeg(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size() / 3; ++i) {
        rgb[i * 3] = static_cast<unsigned char>(static_cast<int>(i % width) * 255 / width);
        rgb[i * 3 + 1] = static_cast<unsigned char>(static_cast<int>(i / width) * 255 / height);
        rgb[i * 3 + 2] = 128;
    }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, TJSAMP_420, 85, 0);
    std::string result(reinterpret_cast<char*>(out), size);
    tjFree(out);
    tjDestroy(handle);
    return result;
}

std::pair<int, int> jpegSize(const std::string& bytes)
{
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    if (tjDecompressHeader3(handle, data, bytes.size(), &width, &height, &subsampling, &colorspace) != 0)
        width = height = 0;
    tjDestroy(handle);
    return {width, height};
}

} // namespace servertest
