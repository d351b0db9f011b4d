#include "tests/screens/capture/UploadFixture.h"

#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/UserInfo.h"
#include "tests/support/LoopbackServer.h"

#include <httplib.h>

#include <ctime>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

namespace {

using mivo::test::UploadFixture;
using Fields = std::map<std::string, std::string>;

// A bare server written from the request contract alone: it records every request and answers
// each with the plainest success the contract allows.
class ContractServer {
public:
    struct Request {
        std::string target;
        std::string contentType;
        Fields fields;
        std::vector<httplib::MultipartFormData> files;
    };

    explicit ContractServer(std::string addReply = R"({"Success":true,"Msg":"","Data":{"serverId":"77"}})")
        : m_addReply(std::move(addReply))
    {
        m_server.Post(".*", [this](const httplib::Request& req, httplib::Response& res) {
            Request request {req.target, req.get_header_value("Content-Type"), {}, {}};
            for (const auto& [name, value] : req.params) {
                if (req.target.find(name + "=") == std::string::npos)
                    request.fields[name] = value;
            }
            for (const auto& [name, part] : req.files) {
                if (part.filename.empty())
                    request.fields[name] = part.content;
                else
                    request.files.push_back(part);
            }
            if (req.target.find("method=validate") != std::string::npos)
                res.set_content(R"({"Success":true,"Msg":"","Data":{}})", "application/json");
            else if (req.target.find("method=add") != std::string::npos)
                res.set_content(m_addReply, "application/json");
            else
                res.set_content(
                    R"({"Success":true,"Msg":"","Data":{"FileUrl":"/f/)" + request.fields["seq"] + "\"}}",
                    "text/html");
            std::lock_guard lock(m_mutex);
            m_requests.push_back(std::move(request));
        });
        m_server.start();
    }

    int port() const { return m_server.port(); }
    std::vector<Request> requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    const std::string m_addReply;
    mivo::test::LoopbackServer m_server;
    std::mutex m_mutex;
    std::vector<Request> m_requests;
};

class UploadRequestsTest : public UploadFixture { };

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(UploadRequestsTest, EveryRequestCarriesTheContractsFields)
{
    makeTask("C100", 2, true);
    // Created at 10:20:30 local time on 1 March 2016.
    std::tm local {};
    local.tm_year = 116, local.tm_mon = 2, local.tm_mday = 1, local.tm_hour = 10, local.tm_min = 20,
    local.tm_sec = 30, local.tm_isdst = -1;
    store()->updateMivoTask(
        task("C100"), {{"createTime", foundation::Date(static_cast<double>(std::mktime(&local)))}});

    ContractServer contract;
    foundation::UserDefaults::standard().set(
        GetBaseUrlAndPortModel::kBasePortKey, std::to_string(contract.port()));
    auto screen = open("C100");
    ASSERT_TRUE(waitForAlert("数据全部上传成功!")) << alertText(*screen);
    ASSERT_TRUE(settle());

    auto requests = contract.requests();
    ASSERT_EQ(requests.size(), 5u);
    const std::regex stamp(R"(time=\d{16}$)");
    for (const auto& request : requests)
        EXPECT_TRUE(std::regex_search(request.target, stamp)) << request.target;

    EXPECT_EQ(requests[0].target.rfind("/Services/CarTask.ashx?method=validate&time=", 0), 0u);
    EXPECT_EQ(requests[0].fields, (Fields {{"applyNo", "AVC100"}}));
    EXPECT_EQ(requests[1].target.rfind("/Services/CarTask.ashx?method=add&time=", 0), 0u);
    EXPECT_EQ(requests[1].fields,
        (Fields {{"userId", "1001"}, {"applyNo", "AVC100"}, {"stockArea", "上海浦东仓"},
            {"undertakeCompany", "平安保险"}, {"secondhandPrice", "86000"}, {"carSource", "0"},
            {"regDate", "2016-03-01 10:20:30"}, {"loantype", "0"}}));

    std::set<std::string> partNames;
    for (size_t i = 2; i < requests.size(); ++i) {
        const auto& request = requests[i];
        EXPECT_EQ(request.target.rfind("/Services/FileUpload.ashx?method=upload&time=", 0), 0u);
        EXPECT_EQ(request.contentType.rfind("multipart/form-data", 0), 0u);
        ASSERT_EQ(request.files.size(), 1u);
        const auto& part = request.files[0];
        bool video = request.fields.at("type") == "video";
        std::string seq = request.fields.at("seq");
        EXPECT_EQ(request.fields,
            (Fields {{"filename", "C100-" + seq + (video ? ".mp4" : ".jpg")}, {"carTaskId", "77"},
                {"seq", seq}, {"carSource", "0"}, {"maxseq", "13"},
                {"filelastModifyTime", "2425-11-03 05:52:00"}, {"imgisoriginal", "0"}, {"optional", ""},
                {"picMode", "1"}, {"type", video ? "video" : "image"}}));
        EXPECT_EQ(part.filename, request.fields.at("filename"));
        EXPECT_EQ(part.content_type, video ? "video/mp4" : "image/png");
        auto folder = video ? LocalDocumentManager::kVideoFolder : LocalDocumentManager::kPictureFolder;
        EXPECT_EQ(part.content, fileBytes(*LocalDocumentManager::userFolder(folder) / part.filename));
        partNames.insert(part.name);
    }
    EXPECT_EQ(partNames, (std::set<std::string> {"file1", "file2", "file3"}));
    EXPECT_EQ(task("C100")->carID(), "77");
}

TEST_F(UploadRequestsTest, AnAddAnsweredWithoutAServerIdRegistersNothingAndSendsNoFile)
{
    makeTask("C300", 2, true);
    for (const char* reply : {R"({"Success":true,"Msg":"任务创建成功","Data":{}})",
             R"({"Success":true,"Msg":"任务创建成功"})", R"({"Success":true,"Data":{"serverId":""}})"}) {
        SCOPED_TRACE(reply);
        ContractServer contract(reply);
        foundation::UserDefaults::standard().set(
            GetBaseUrlAndPortModel::kBasePortKey, std::to_string(contract.port()));
        auto screen = open("C300");
        ASSERT_TRUE(waitForAlert("网络超时,请重新尝试!")) << alertText(*screen);
        ASSERT_TRUE(settle());
        EXPECT_EQ(alertButtons(*screen->showMsgAlertView()), (std::vector<std::string> {"确定"}));
        auto requests = contract.requests();
        ASSERT_EQ(requests.size(), 2u) << "validate and add, no file";
        EXPECT_NE(requests[1].target.find("method=add"), std::string::npos);
        EXPECT_EQ(screen->uuidForTask(), "");
        EXPECT_EQ(task("C300")->carID(), "") << "the next try registers it again";
        EXPECT_EQ(countStatus("C300", "PENDING"), 3u);
        screen->dismissViewBtnClick();
        foundation::RunLoop::main().runFor(0.6);
    }
}

TEST_F(UploadRequestsTest, AnAddRefusedShowsTheServersMessageAsItIsEvenWhenEmpty)
{
    makeTask("C310", 2, true);
    for (const char* reply : {R"({"Success":false,"Msg":""})", R"({"Success":false})"}) {
        SCOPED_TRACE(reply);
        ContractServer contract(reply);
        foundation::UserDefaults::standard().set(
            GetBaseUrlAndPortModel::kBasePortKey, std::to_string(contract.port()));
        auto screen = open("C310");
        const auto& alert = *screen->showMsgAlertView();
        ASSERT_TRUE(runUntil([&] { return !alert.buttons().empty(); }, 20));
        ASSERT_TRUE(settle());
        // A refusal is not a timeout: the server's words, none here, and its button.
        EXPECT_EQ(alert.labelTitle()->text(), "提示");
        EXPECT_EQ(alertText(*screen), "");
        EXPECT_EQ(alertButtons(alert), (std::vector<std::string> {"确认"}));
        EXPECT_EQ(contract.requests().size(), 2u) << "validate and add, no file";
        screen->dismissViewBtnClick();
        foundation::RunLoop::main().runFor(0.6);
    }
}

TEST(UploadFieldTables, PlansProductTypesAndCompaniesMapAsTheContractSays)
{
    struct Plan {
        const char* photoType;
        const char* code;
        const char* lastIndex;
    };
    const Plan plans[] = {{"拆密封条-方案1", "0", "13"}, {"0", "0", "13"}, {"不拆密封条-方案2", "1", "14"},
        {"1", "1", "14"}, {"2", "2", "18"}, {"", "2", "18"}, {"其他方案", "2", "18"}};
    for (const auto& plan : plans) {
        auto mapped = UploadTaskViewController::planCodeOf(plan.photoType);
        EXPECT_EQ(mapped.code, plan.code) << plan.photoType;
        EXPECT_EQ(mapped.lastIndex, plan.lastIndex) << plan.photoType;
    }

    struct ListType {
        const char* company;
        const char* photoType;
        int type;
    };
    const ListType lists[]
        = {{"Arvel", "拆密封条-方案1", 0}, {"Arvel", "0", 0}, {"Arvel", "不拆密封条-方案2", 1},
            {"Arvel", "1", 1}, {"Kestro", "拆密封条-方案1", 1}, {"Ombry Motors", "0", 2}};
    for (const auto& list : lists)
        EXPECT_EQ(UploadTaskViewController::courseListType(list.company, list.photoType), list.type)
            << list.company;
}

TEST_F(UploadRequestsTest, AddMapsOnlyThePlanNamesAndNeverSendsLoanType2)
{
    struct Add {
        const char* photoType;
        const char* productType;
        const char* carSource;
        const char* loantype;
    };
    // Plan codes are the server's, not a stored task's: "add" gives them "2".
    const Add adds[] = {{"拆密封条-方案1", "常规产品", "0", "0"}, {"不拆密封条-方案2", "车抵贷", "1", "1"},
        {"0", "其他", "2", "3"}, {"1", "", "2", "3"}};
    int n = 0;
    for (const auto& add : adds) {
        std::string applyNO = "M" + std::to_string(++n);
        auto stored = store()->insertMivoTask(
            {{"applyNO", applyNO}, {"photoType", add.photoType}, {"productType", add.productType}});
        ASSERT_TRUE(stored);
        auto fields = UploadTaskViewController::addOrderFields(*stored);
        EXPECT_EQ(fields.at("carSource").asString(), add.carSource) << add.photoType;
        EXPECT_EQ(fields.at("loantype").asString(), add.loantype) << add.productType;
        EXPECT_EQ(fields.at("applyNo").asString(), "AV" + applyNO);
        EXPECT_EQ(fields.at("regDate").asString(), "") << "no creation time";
    }
}

TEST_F(UploadRequestsTest, OtherCompaniesSendOptional18AndTheirPlansCodes)
{
    UserInfo::sharedInstance()->setCompanyName("Kestro");
    makeTask("C200", 1, false, "55", "TOUPLOAD", "不拆密封条-方案2");
    ContractServer contract;
    foundation::UserDefaults::standard().set(
        GetBaseUrlAndPortModel::kBasePortKey, std::to_string(contract.port()));
    auto screen = open("C200", "55", {}, "不拆密封条-方案2");
    ASSERT_TRUE(waitForAlert("数据全部上传成功!")) << alertText(*screen);
    ASSERT_TRUE(settle());
    auto requests = contract.requests();
    ASSERT_EQ(requests.size(), 1u) << "a known server id sends only the file";
    EXPECT_EQ(requests[0].fields.at("optional"), "18");
    EXPECT_EQ(requests[0].fields.at("carSource"), "1");
    EXPECT_EQ(requests[0].fields.at("maxseq"), "14");
    EXPECT_EQ(requests[0].fields.at("carTaskId"), "55");
}

TEST_F(UploadRequestsTest, TheSinglePlanBrandRegistersAndSendsPlan2WithEighteenShots)
{
    UserInfo::sharedInstance()->setCompanyName("Ombry Motors");
    makeTask("C400", 18, true, {}, "TOUPLOAD", "拍摄方案");
    ContractServer contract;
    foundation::UserDefaults::standard().set(
        GetBaseUrlAndPortModel::kBasePortKey, std::to_string(contract.port()));
    auto screen = open("C400", {}, {}, "拍摄方案");
    ASSERT_TRUE(waitForAlert("数据全部上传成功!")) << alertText(*screen);
    ASSERT_TRUE(settle());
    ASSERT_EQ(screen->recipeImages()[0].size(), 18u) << "the shot list of type 2";
    auto requests = contract.requests();
    ASSERT_EQ(requests.size(), 2u + 19u);
    EXPECT_EQ(requests[1].fields.at("carSource"), "2");
    EXPECT_EQ(requests[1].fields.at("loantype"), "0");
    std::set<std::string> seqs;
    for (size_t i = 2; i < requests.size(); ++i) {
        const auto& fields = requests[i].fields;
        EXPECT_EQ(fields.at("carSource"), "2");
        EXPECT_EQ(fields.at("maxseq"), "18");
        EXPECT_EQ(fields.at("optional"), "18");
        seqs.insert(fields.at("seq") + ":" + fields.at("type"));
    }
    EXPECT_EQ(seqs.size(), 19u);
    EXPECT_TRUE(seqs.count("19:video"));
}

} // namespace
