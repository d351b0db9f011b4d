// Shows the alert styles the screens use over the example program's screen, with Chinese texts,
// and drives them through the headless automation protocol: wait, screenshot, type, tap the
// alert's buttons by their titles. alert_screenshots <output folder>; exits non-zero when a step
// fails.

#include "components/alert/ModalAlertView.h"
#include "examples/hello/HelloViewController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/Automation.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Shot {
    const char* name;
    std::function<std::shared_ptr<ModalAlertView>(const std::shared_ptr<ui::ViewController>&)> show;
    // Automation commands run after the alert has settled; "%s" stands for the screenshot path.
    std::vector<std::string> commands;
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    auto clock = std::make_shared<foundation::ManualClock>(0.0);
    foundation::RunLoop::main().setClock(clock);
    ui::Screen::mainScreen().usePhoneProfile();

    auto window = ui::Window::create(ui::Screen::mainScreen().bounds());
    auto screen = examples::HelloViewController::create();
    window->setRootViewController(screen);
    window->makeKeyAndVisible();

    const Shot shots[] = {
        {"error",
            [](auto host) {
                auto alert = ModalAlertView::create();
                alert->showError(host, "登录失败", "用户名或密码错误，请重新输入。", "确定", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"确定"})"}},
        {"success",
            [](auto host) {
                auto alert = ModalAlertView::create();
                alert->showSuccess(host, "上传成功", "任务的全部照片和视频已上传到服务器。", "好的", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"好的"})"}},
        {"warning",
            [](auto host) {
                auto alert = ModalAlertView::create();
                alert->addButton("退出", [] {});
                alert->showWarning(host, "退出登录", "确定要退出当前账号吗？", "取消", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"取消"})"}},
        {"info",
            [](auto host) {
                auto alert = ModalAlertView::create();
                alert->showInfo(host, "提示", "网络连接不可用，请检查网络设置后重试。", "知道了", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"知道了"})"}},
        {"edit",
            [](auto host) {
                auto alert = ModalAlertView::create();
                auto field = alert->addTextField("请输入任务编号");
                field->setKeyboardType(ui::KeyboardType::NumberPad);
                alert->addButton("查询", [] {});
                alert->addButton("取消", [] {});
                alert->showEdit(host, "查询任务", "输入任务编号以查看审核结果。", std::nullopt, 0);
                return alert;
            },
            {R"({"cmd":"tap","text":"请输入任务编号"})", R"({"cmd":"type","text":"20261206001"})",
                R"({"cmd":"advance","seconds":0.5})", R"({"cmd":"screenshot","path":"%s"})",
                R"({"cmd":"tap","text":"查询"})"}},
        {"blur",
            [](auto host) {
                auto alert = ModalAlertView::create();
                alert->setBackgroundType(1);
                alert->showInfo(host, "毛玻璃背景", "背景是当前屏幕的模糊图像。", "确定", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"确定"})"}},
        {"own-window",
            [](auto) {
                // The network-failure warnings: no host, in a window of its own.
                auto alert = ModalAlertView::createWithNewWindow();
                alert->showWarning("网络错误", "无法连接到服务器，请稍后再试。", "确定", 0);
                return alert;
            },
            {R"({"cmd":"screenshot","path":"%s"})", R"({"cmd":"tap","text":"确定"})"}},
    };

    host::Automation automation;
    int failures = 0;
    auto run = [&](const std::string& command) {
        const std::string answer = automation.handle(command);
        if (answer.find("\"ok\":true") == std::string::npos) {
            std::fprintf(stderr, "%s -> %s\n", command.c_str(), answer.c_str());
            ++failures;
        }
    };
    run(R"({"cmd":"advance","seconds":0.5})");
    for (const Shot& shot : shots) {
        auto alert = shot.show(screen);
        run(R"({"cmd":"advance","seconds":1})");
        const std::string path = (folder / (std::string("alert-") + shot.name + ".png")).string();
        for (const std::string& command : shot.commands)
            run(foundation::format(command.c_str(), path.c_str()));
        run(R"({"cmd":"advance","seconds":1})");
        const bool closed
            = alert->usingNewWindow() ? !alert->modalAlertWindow() : !alert->view()->superview();
        if (!closed) {
            std::fprintf(stderr, "%s: the alert did not close\n", shot.name);
            ++failures;
        } else {
            std::printf("%s\n", path.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}
