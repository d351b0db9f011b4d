#include "app/Walkthrough.h"

#include "core/media/CommonUtil.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/HttpManager.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/DateUtil.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/Host.h"
#include "platform/ui/ImagePickerInfo.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <vector>

using foundation::Map;
using foundation::Value;

namespace {

struct Step {
    std::string title;
    std::vector<Map> commands;
    std::string screenshot; // file name, or empty
    // Work done in the app itself before the commands, where no screen can do it yet; false fails.
    std::function<bool()> action = {};
};

Map tapLabel(const std::string& label)
{
    return {{"cmd", "tap"}, {"label", label}};
}
Map tapText(const std::string& text)
{
    return {{"cmd", "tap"}, {"text", text}};
}
Map type(const std::string& text)
{
    return {{"cmd", "type"}, {"text", text}};
}
Map waitText(const std::string& text)
{
    return {{"cmd", "wait"}, {"text", text}, {"timeout", 15}};
}
Map advance(double seconds)
{
    return {{"cmd", "advance"}, {"seconds", seconds}};
}
Map waitLabel(const std::string& label)
{
    return {{"cmd", "wait"}, {"label", label}, {"timeout", 15}};
}
// The home button sits on the right of the navigation bar.
Map tapHome()
{
    return {{"cmd", "tap"}, {"x", 300}, {"y", 42}};
}

auto& loop()
{
    return foundation::RunLoop::main();
}

std::shared_ptr<MivoTask> storedTask(const std::string& applyNO)
{
    auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
        data::Predicate::withFormat("applyNO=%@", applyNO));
    return tasks && !tasks->empty() ? tasks->front() : nullptr;
}

// Sends an admin command of the stand-in server (beside the app's base URL) and waits for its answer.
bool serverAdmin(const std::string& action, const Map& fields)
{
    bool done = false;
    bool ok = false;
    auto manager = HttpManager::create();
    manager->postRequestWithBaseUrl(
        GetBaseUrlAndPortModel::getBaseImageUrlModel() + "/admin/" + action, Value(fields), action);
    manager->setRequestFinishBlock([&](const std::string&, const Value& reply) {
        ok = reply["Success"] == Value(true);
        done = true;
    });
    manager->setRequestFailiedBlock([&](const std::string&, const HttpError&) { done = true; });
    loop().runUntil([&] { return done; }, 15);
    return ok;
}

// Takes every shot of the task with the sample camera media, as the shot grid does with the camera,
// and applies the ready-to-upload rule of leaving the grid.
// FIXME: walk through the shot grid's camera instead once the grids have landed.
bool shootEveryShot(const std::string& applyNO)
{
    auto records = IMivoDataBaseManager::sharedManager()
                       ->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", applyNO))
                       .value_or(std::vector<std::shared_ptr<MivoUploadTask>> {});
    CommonUtil::SectionLists lists(2);
    for (const auto& record : records)
        lists[record->resourceType() == "video" ? 1 : 0].push_back(record);
    std::sort(lists[0].begin(), lists[0].end(), [](const auto& a, const auto& b) {
        return std::stoi(a->taskPosition()) < std::stoi(b->taskPosition());
    });
    const char* photos[] = {"camera/sample-photo-1.jpg", "camera/sample-photo-2.jpg",
        "camera/sample-photo-3.jpg", "camera/sample-photo-4-portrait.jpg"};
    for (size_t row = 0; row < lists[0].size(); ++row) {
        auto image = graphics::decodeImageFile(foundation::Paths::resource(photos[row % 4]));
        if (!image)
            return false;
        CommonUtil::imagePickerController(nullptr, {ui::ImagePickerInfo::kMediaTypeImage, image, {}},
            {0, static_cast<int64_t>(row)}, lists);
    }
    for (size_t row = 0; row < lists[1].size(); ++row) {
        // The picker hands over a movie in a temporary folder; the saver moves it away.
        auto movie = foundation::Paths::temporary() / ("walkthrough-" + applyNO + ".mp4");
        std::error_code error;
        std::filesystem::copy_file(foundation::Paths::resource("camera/sample-video.mp4"), movie,
            std::filesystem::copy_options::overwrite_existing, error);
        CommonUtil::imagePickerController(nullptr, {ui::ImagePickerInfo::kMediaTypeMovie, nullptr, movie},
            {1, static_cast<int64_t>(row)}, lists);
    }
    loop().runUntil(
        [&] {
            return std::all_of(records.begin(), records.end(),
                [](const auto& record) { return record->taskStatus() == "PENDING"; });
        },
        30);
    CommonUtil::upDateTaskStatusAfterBack(applyNO, lists);
    auto task = storedTask(applyNO);
    return task && task->taskStatus() == "TOUPLOAD";
}

// From the ready-to-upload grid: upload every file, see it done, have the server finish the task,
// and find it in the finished list.
std::vector<Step> uploadRoad(const std::string& applyNO)
{
    return {
        {"open the upload screen: validate, add, then every file in flight",
            {tapText("上传任务"), waitText("正在上传任务("), waitText("数据已经进入队列正在进行上传"),
                advance(0.4)},
            "08-upload-queued.png",
            // The stand-in server holds each file a moment, so that the screen is caught mid-upload.
            [] {
                return serverAdmin("misbehave",
                    {{"mode", "delay"}, {"delayMs", "1500"}, {"path", "/Services/FileUpload.ashx"}});
            }},
        {"close the notice: every file sent, the server's answers on their way",
            {advance(0.6), tapText("确定"), advance(0.5)}, "09-upload-in-flight.png",
            [] {
                // Real time for the files to go out; the bars then show what was sent.
                loop().runUntil([] { return false; }, 0.6);
                return true;
            }},
        {"all uploaded", {waitText("数据全部上传成功!"), advance(0.5)}, "10-upload-done.png",
            [] {
                return serverAdmin("misbehave", {{"mode", "none"}});
            }},
        {"close the upload screen and let the server finish the task",
            {tapText("确定"), advance(0.5), tapText("返回"), advance(1), tapHome(), advance(1),
                waitText("已完成任务")},
            "",
            [applyNO] {
                auto task = storedTask(applyNO);
                return task && !task->carID().empty()
                    && serverAdmin("finish", {{"carId", task->carID()}, {"price", "85000"}});
            }},
        {"the finished list brings the task back",
            {tapText("已完成任务"), advance(1), waitLabel("任务:" + applyNO), advance(0.5)},
            "11-finished.png"},
        {"its finished grid with the server's files",
            {tapLabel("任务:" + applyNO), advance(1), waitText("已上传文件")}, "12-finished-grid.png"},
    };
}

// The login screen, then its system-configuration popup: retypes the server's address and port
// (when given) and confirms them.
std::vector<Map> loginScreen(const Walkthrough::Account& account)
{
    std::vector<Map> commands {advance(0.5), waitText("登录"), tapText("系统配置"), advance(0.2)};
    for (const auto& [field, text] :
        {std::pair {"服务器的IP地址", &account.server}, {"服务器的端口号", &account.port}}) {
        if (text->empty())
            continue;
        // The box rises over the keyboard for a moment, and takes no taps while it moves.
        commands.push_back(tapLabel(field));
        commands.push_back(advance(0.3));
        commands.push_back(Map {{"cmd", "backspace"}, {"count", 100}});
        commands.push_back(type(*text));
    }
    commands.push_back(tapText("确认"));
    commands.push_back(advance(0.5));
    return commands;
}

std::vector<Step> road(const Walkthrough::Account& account)
{
    std::string applyNO = foundation::format(
        "WT%lld", static_cast<long long>(DateUtil::getCurrentTimeIntervalSince1970() / 1000000));
    std::vector<Step> steps {
        {"the login screen, with the server address set in its popup", loginScreen(account), "01-login.png"},
        {"log in as " + account.userName,
            // A kept home remembers the last user name: clear it first.
            {tapLabel("用户名"), Map {{"cmd", "backspace"}, {"count", 100}}, type(account.userName),
                tapLabel("密码"), type(account.password), tapText("登录"), waitText("新建任务"), advance(1)},
            "02-home.png"},
        {"open the create-task screen", {tapText("新建任务"), advance(1), waitText("开始拍摄")}, ""},
        {"fill in task " + applyNO,
            {tapLabel("申请编号"), type(applyNO), tapLabel("库存地点"), type("上海浦东仓"),
                tapLabel("保险公司"), type("平安保险"), tapLabel("成交价格"), type("86000"),
                tapLabel("产品类型"), advance(0.3), tapText("常规产品"), advance(0.3)},
            ""},
        // The chooser's action sheet slides up from the bottom; touches wait until it is in.
        {"open the shooting-plan sheet", {tapLabel("拍摄方案"), advance(0.3), waitText("请选择一种拍摄方案")},
            "03-plan-sheet.png"},
        {"pick the shooting plan", {tapText("拆密封条-方案1"), advance(0.3), waitText("开始拍摄")},
            "03-new-task.png"},
        {"validate, store the task and open its grid",
            {tapText("开始拍摄"), waitText("照片记录"), advance(1)}, "04-grid.png"},
        {"return home and open the pending list",
            {tapHome(), advance(1), waitText("待拍摄任务"), tapText("待拍摄任务"), advance(1),
                Map {{"cmd", "wait"}, {"label", "任务:" + applyNO}, {"timeout", 15}}},
            "05-pending.png"},
        {"shoot every slot and make the task ready to upload",
            {tapHome(), advance(1), tapText("待上传任务"), advance(1), waitLabel("任务:" + applyNO),
                advance(0.5)},
            "06-to-upload.png", [applyNO] { return shootEveryShot(applyNO); }},
        {"open its ready-to-upload grid", {tapLabel("任务:" + applyNO), advance(1), waitText("上传任务")},
            "07-upload-grid.png"},
    };
    auto upload = uploadRoad(applyNO);
    steps.insert(steps.end(), upload.begin(), upload.end());
    std::vector<Step> logout {
        // Keep this last: it leaves the app on the login screen. The home button sits on the right of
        // the navigation bar of every inner screen, the menu button on the left of the home screen's.
        {"log out through the prompt",
            {tapHome(), advance(1), waitText("新建任务"), Map {{"cmd", "tap"}, {"x", 20}, {"y", 42}},
                advance(0.5), tapLabel("菜单:退出登录"), advance(0.5), waitText("确定要退出吗？")},
            "99-logout-prompt.png"},
        {"confirm and return to the login screen", {tapText("确定"), advance(1), waitText("登录")},
            "99-login.png"},
    };
    steps.insert(steps.end(), logout.begin(), logout.end());
    return steps;
}

} // namespace

int Walkthrough::run(host::App& app, const host::HostOptions& options, const std::filesystem::path& outputDir,
    const Account& account)
{
    auto& loop = foundation::RunLoop::main();
    // As under automation: steps move the clock themselves, so the screenshots are repeatable.
    loop.setClock(std::make_shared<foundation::ManualClock>(0));
    auto window = host::launch(app, options);
    loop.runOnce();
    foundation::createDirectories(outputDir);

    host::Automation automation;
    int number = 0;
    for (const auto& step : road(account)) {
        ++number;
        if (step.action && !step.action()) {
            std::cout << "walkthrough: step " << number << ", " << step.title << ": failed" << std::endl;
            return 1;
        }
        for (const auto& command : step.commands) {
            std::string answer = automation.handle(Value(command).toJson());
            if (answer.find("\"ok\":true") == std::string::npos) {
                std::cout << "walkthrough: step " << number << ", " << step.title << ": failed at "
                          << Value(command).toJson() << " -> " << answer << std::endl;
                return 1;
            }
        }
        std::string shot;
        if (!step.screenshot.empty()) {
            auto path = outputDir / step.screenshot;
            std::string answer
                = automation.handle(Value(Map {{"cmd", "screenshot"}, {"path", path.string()}}).toJson());
            shot = answer.find("\"ok\":true") == std::string::npos ? " (no screenshot: " + answer + ")"
                                                                   : " (" + path.string() + ")";
        }
        std::cout << "walkthrough: step " << number << ", " << step.title << ": ok" << shot << std::endl;
    }
    std::cout << "walkthrough: the road ends here" << std::endl;
    return 0;
}
