#include "app/Walkthrough.h"

#include "core/util/DateUtil.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/Host.h"

#include <iostream>
#include <vector>

using foundation::Map;
using foundation::Value;

namespace {

struct Step {
    std::string title;
    std::vector<Map> commands;
    std::string screenshot; // file name, or empty
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
    return {
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
        // The home button sits on the right of the navigation bar.
        {"return home and open the pending list",
            {Map {{"cmd", "tap"}, {"x", 300}, {"y", 42}}, advance(1), waitText("待拍摄任务"),
                tapText("待拍摄任务"), advance(1),
                Map {{"cmd", "wait"}, {"label", "任务:" + applyNO}, {"timeout", 15}}},
            "05-pending.png"},
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
    std::cout << "walkthrough: the road ends here; shooting and upload are not built yet" << std::endl;
    return 0;
}
