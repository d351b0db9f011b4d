#include "app/Walkthrough.h"

#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/HttpManager.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/DateUtil.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/Host.h"

#include <functional>
#include <iostream>
#include <optional>
#include <vector>

using foundation::Map;
using foundation::Value;

namespace {

// Sends one command; the answer's error, or nothing when it went through.
std::optional<std::string> send(host::Automation& automation, const Map& command)
{
    std::string answer = automation.handle(Value(command).toJson());
    if (answer.find("\"ok\":true") != std::string::npos)
        return std::nullopt;
    return Value(command).toJson() + " -> " + answer;
}

// A step that decides as it goes (how many shots a grid has): the error, or nothing.
using Action = std::function<std::optional<std::string>(host::Automation&)>;

struct Step {
    std::string title;
    std::vector<Map> commands;
    std::string screenshot; // file name, or empty
    Action action = {}; // after the commands
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
Map rotate(const std::string& orientation)
{
    return {{"cmd", "rotate"}, {"orientation", orientation}};
}
// A slow drag: the content follows the finger and stops with it, no flick.
Map dragUp(double distance)
{
    return {{"cmd", "drag"}, {"from", foundation::Array {160, 460}},
        {"to", foundation::Array {160, 460 - distance}}, {"duration", 1.0}};
}

// Taps the slot with the camera's shutter and waits until the grid shows it taken. A slot below
// the screen is scrolled to first; false when there is no such slot.
std::optional<std::string> shoot(host::Automation& automation, const std::string& slot, bool& found)
{
    found = false;
    for (int attempt = 0; attempt < 4 && !found; ++attempt) {
        found = !send(automation, tapLabel(slot + ":"));
        if (!found && attempt < 3) {
            if (auto error = send(automation, dragUp(260)))
                return error;
            send(automation, advance(0.5));
        }
    }
    if (!found)
        return std::nullopt;
    for (const auto& command : {advance(0.6), tapLabel("快门"), advance(0.6), waitLabel(slot + ":已拍摄")}) {
        if (auto error = send(automation, command))
            return error;
    }
    return std::nullopt;
}

// Every photo slot in turn, then the video.
std::optional<std::string> shootEverything(host::Automation& automation)
{
    bool found = true;
    int shots = 0;
    for (int number = 1; found; ++number) {
        if (auto error = shoot(automation, foundation::format("照片%d", number), found))
            return error;
        shots += found ? 1 : 0;
    }
    if (shots == 0)
        return "the grid shows no photo slot";
    if (auto error = shoot(automation, "视频", found))
        return error;
    if (!found)
        return "the grid shows no video slot";
    std::cout << "walkthrough: shot " << shots << " photos and the video" << std::endl;
    return std::nullopt;
}

std::optional<std::string> sendAll(host::Automation& automation, const std::vector<Map>& commands)
{
    for (const auto& command : commands) {
        if (auto error = send(automation, command))
            return error;
    }
    return std::nullopt;
}

// The home button sits on the right of the navigation bar of every inner screen.
Map tapHome()
{
    return {{"cmd", "tap"}, {"x", 300}, {"y", 42}};
}

// Sends an admin command of the stand-in server (beside the app's base URL) and waits for its
// answer: the error, or nothing when the server answered Success.
std::optional<std::string> serverAdmin(const std::string& action, const Map& fields)
{
    bool done = false;
    std::optional<std::string> error = "no answer to the admin command " + action;
    auto manager = HttpManager::create();
    manager->postRequestWithBaseUrl(
        GetBaseUrlAndPortModel::getBaseImageUrlModel() + "/admin/" + action, Value(fields), action);
    manager->setRequestFinishBlock([&](const std::string&, const Value& reply) {
        if (reply["Success"] == Value(true))
            error.reset();
        else
            error = "the server refused the admin command " + action + ": " + reply.toJson();
        done = true;
    });
    manager->setRequestFailiedBlock([&](const std::string&, const HttpError& failure) {
        error = "the admin command " + action + " failed: " + failure.description;
        done = true;
    });
    foundation::RunLoop::main().runUntil([&] { return done; }, 15);
    return error;
}

// From the ready-to-upload grid: upload every file, see it done, have the server finish the task,
// and find it in the finished list with its grid.
std::vector<Step> uploadRoad(const std::string& applyNO)
{
    return {
        {"open the upload screen: validate, add, then every file in flight", {}, "10-upload-queued.png",
            [](host::Automation& automation) -> std::optional<std::string> {
                // The stand-in server holds each file a moment, so that the screen is caught mid-upload.
                if (auto error = serverAdmin("misbehave",
                        {{"mode", "delay"}, {"delayMs", "1500"}, {"path", "/Services/FileUpload.ashx"}}))
                    return error;
                return sendAll(automation,
                    {tapText("上传任务"), waitText("正在上传任务("), waitText("数据已经进入队列正在进行上传"),
                        advance(0.4)});
            }},
        {"close the notice: every file sent, the server's answers on their way",
            {advance(0.6), tapText("确定"), advance(0.5)}, "11-upload-in-flight.png",
            [](host::Automation& automation) {
                // Real time for the files to go out; the bars then show what was sent.
                foundation::RunLoop::main().runUntil([] { return false; }, 0.6);
                return send(automation, advance(0.1));
            }},
        {"all uploaded", {waitText("数据全部上传成功!"), advance(0.5)}, "12-upload-done.png",
            [](host::Automation&) {
                return serverAdmin("misbehave", {{"mode", "none"}});
            }},
        {"close the upload screen; the server finishes the task",
            {tapText("确定"), advance(0.5), tapText("返回"), advance(1)}, "",
            [applyNO](host::Automation&) -> std::optional<std::string> {
                auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
                    data::Predicate::withFormat("applyNO=%@", applyNO));
                if (!tasks || tasks->empty() || tasks->front()->carID().empty())
                    return "the task has no server id after its upload";
                return serverAdmin("finish", {{"carId", tasks->front()->carID()}, {"price", "85000"}});
            }},
        {"the finished list brings the task back",
            {tapHome(), advance(1), waitText("已完成任务"), tapText("已完成任务"), advance(1),
                waitLabel("任务:" + applyNO), advance(0.5)},
            "13-finished.png"},
        {"its finished grid with the server's files", {tapLabel("任务:" + applyNO), advance(1)},
            "14-finished-grid.png",
            [](host::Automation& automation) {
                // The server's thumbnails arrive in real time.
                foundation::RunLoop::main().runUntil([] { return false; }, 1.0);
                return send(automation, advance(0.3));
            }},
    };
}

// Back on the finished list: a new number for the task through its row's dialog, on the number pad.
std::vector<Step> renumberRoad(const std::string& applyNO)
{
    // The pad types digits only.
    const std::string renumbered = applyNO.substr(2) + "1";
    return {
        {"back to the finished list: each row offers a new number",
            {tapHome(), advance(1), waitText("已完成任务"), tapText("已完成任务"), advance(1),
                waitLabel("修改单号:" + applyNO), advance(0.5)},
            ""},
        {"open the number dialog and type a new number: the dialog rises above the number pad",
            {tapLabel("修改单号:" + applyNO), advance(0.6), waitLabel("新申请编号"), tapLabel("新申请编号"),
                Map {{"cmd", "backspace"}, {"count", 100}}, type(renumbered), advance(0.5)},
            "15-number-dialog.png"},
        {"confirm: the server takes the number and the list shows it",
            {tapText("确定"), advance(0.5), waitLabel("任务:" + renumbered), advance(0.5)},
            "16-finished-renumbered.png"},
    };
}

// Taps the camera's shutter at the centre of the frame automation finds for it, which is where it
// is drawn however the phone is held.
std::optional<std::string> tapShutterWhereDrawn(host::Automation& automation)
{
    Map find {{"cmd", "find"}, {"label", "快门"}};
    auto answer = Value::fromJson(automation.handle(Value(find).toJson()));
    if (!answer || !(*answer)["ok"].asBool())
        return "the camera shows no shutter";
    const Value& frame = (*answer)["node"]["frame"];
    double x = frame[size_t(0)].asDouble() + frame[2].asDouble() / 2;
    double y = frame[1].asDouble() + frame[3].asDouble() / 2;
    return sendAll(automation, {Map {{"cmd", "tap"}, {"x", x}, {"y", y}}, advance(0.6)});
}

// Long-presses the lowest photo slot on screen (the grid is scrolled to its end) to open it in
// the image viewer.
std::optional<std::string> viewAPhoto(host::Automation& automation)
{
    for (int number = 40; number >= 1; --number) {
        auto press = Map {{"cmd", "longpress"}, {"label", foundation::format("照片%d:已拍摄", number)}};
        if (!send(automation, press))
            return send(automation, advance(1));
    }
    return "no taken photo on screen";
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
                tapLabel("保险公司"), type("平安保险"), tapLabel("成交价格"), type("86000")},
            ""},
        // The sheet lays itself out again for the turned screen.
        {"open the product-type sheet and turn the phone to landscape",
            {tapLabel("产品类型"), advance(0.3), waitText("请选择产品类型"), rotate("landscapeLeft"),
                advance(0.5)},
            "03-product-sheet-landscape.png"},
        {"pick the product type in landscape", {tapText("常规产品"), advance(0.5)},
            "03-product-type-landscape.png"},
        {"turn the phone back to portrait", {rotate("portrait"), advance(0.5), waitText("开始拍摄")}, ""},
        // The chooser's action sheet slides up from the bottom; touches wait until it is in.
        {"open the shooting-plan sheet", {tapLabel("拍摄方案"), advance(0.3), waitText("请选择一种拍摄方案")},
            "03-plan-sheet.png"},
        {"pick the shooting plan", {tapText("拆密封条-方案1"), advance(0.3), waitText("开始拍摄")},
            "03-new-task.png"},
        {"validate, store the task and open its grid",
            {tapText("开始拍摄"), waitText("图片列表"), advance(1)}, "04-grid-new.png"},
        {"go home and find the task in the pending list",
            {tapHome(), advance(1), waitText("待拍摄任务"), tapText("待拍摄任务"), advance(1),
                waitLabel("编辑:" + applyNO), advance(0.5)},
            "04a-pending-list.png"},
        {"open the edit-task screen from the row's edit button",
            {tapLabel("编辑:" + applyNO), advance(1), waitText("保存并拍摄"), advance(0.5)},
            "04b-edit-task.png"},
        {"change the stock area",
            {tapLabel("库存地点"), advance(0.3), Map {{"cmd", "backspace"}, {"count", 100}},
                type("上海嘉定仓")},
            ""},
        // The edit screen's sheet lies in its own view, below the navigation bar.
        {"open the edit screen's shooting-plan sheet: the stored plan is marked",
            {tapLabel("拍摄方案"), advance(0.3), waitText("请选择一种拍摄方案")}, "04c-edit-plan-sheet.png"},
        {"keep the plan, store the change and go back to the grid",
            {tapText("拆密封条-方案1"), advance(0.3), tapText("保存并拍摄"), waitText("图片列表"),
                advance(1)},
            "",
            [applyNO](host::Automation&) -> std::optional<std::string> {
                auto tasks = IMivoDataBaseManager::sharedManager()->listMivoTasks(
                    data::Predicate::withFormat("applyNO=%@", applyNO));
                if (!tasks || tasks->size() != 1 || tasks->front()->baseLocation() != "上海嘉定仓")
                    return "the edited stock area is not stored";
                return std::nullopt;
            }},
        {"open the camera on the first photo slot", {tapLabel("照片1:"), advance(0.6)}, "05-camera.png"},
        {"turn the phone: the camera lays itself out for landscape", {rotate("landscapeLeft"), advance(0.5)},
            "05a-camera-landscape.png"},
        {"take the first photo turned, tapping the shutter where it is drawn", {}, "", tapShutterWhereDrawn},
        {"turn the phone back: the grid shows the photo",
            {rotate("portrait"), advance(0.5), waitLabel("照片1:已拍摄"), advance(0.3)},
            "06-grid-first-shot.png"},
        {"shoot every photo and the video", {}, "07-grid-all-shot.png", shootEverything},
        {"long-press a photo: it grows out of the grid in the viewer", {}, "07a-photo-viewer.png",
            viewAPhoto},
        {"close the viewer with a tap", {tapLabel("图片"), advance(1), waitLabel("视频:已拍摄")}, ""},
        {"long-press the video: it plays with subtitles",
            {Map {{"cmd", "longpress"}, {"label", "视频:已拍摄"}}, advance(0.5), waitLabel("Done"),
                advance(1.2)},
            "07b-video-player.png"},
        {"close the player with Done", {tapLabel("Done"), advance(1), waitLabel("视频:已拍摄")}, ""},
        {"leave by the side menu: the task is ready to upload",
            // The home button sits on the right of the navigation bar.
            {Map {{"cmd", "tap"}, {"x", 300}, {"y", 42}}, advance(1), waitText("待上传任务"), advance(0.5)},
            "08-home.png"},
        {"open the ready-to-upload list and the task's grid",
            {tapText("待上传任务"), advance(1), waitLabel("任务:" + applyNO), tapLabel("任务:" + applyNO),
                advance(1), waitText("上传任务"), advance(0.5)},
            "09-grid-to-upload.png"},
    };
    auto upload = uploadRoad(applyNO);
    steps.insert(steps.end(), upload.begin(), upload.end());
    auto renumber = renumberRoad(applyNO);
    steps.insert(steps.end(), renumber.begin(), renumber.end());
    std::vector<Step> logout {
        // Keep this last: it leaves the app on the login screen. The home button sits on the right of
        // the navigation bar of every inner screen, the menu button on the left of the home screen's.
        {"log out through the prompt",
            {Map {{"cmd", "tap"}, {"x", 300}, {"y", 42}}, advance(1), waitText("新建任务"),
                Map {{"cmd", "tap"}, {"x", 20}, {"y", 42}}, advance(0.5), tapLabel("菜单:退出登录"),
                advance(0.5), waitText("确定要退出吗？")},
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
        std::optional<std::string> error;
        for (const auto& command : step.commands) {
            if ((error = send(automation, command)))
                break;
        }
        if (!error && step.action)
            error = step.action(automation);
        if (error) {
            std::cout << "walkthrough: step " << number << ", " << step.title << ": failed at " << *error
                      << std::endl;
            return 1;
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
