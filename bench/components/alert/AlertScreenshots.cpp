// Renders the alert styles the screens use over the example program's screen, with Chinese
// texts, into PNG files: alert_screenshots <output folder>.

#include "components/alert/ModalAlertView.h"
#include "examples/hello/HelloViewController.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

bool writeScreen(const std::filesystem::path& file)
{
    render::Renderer renderer;
    auto image = renderer.renderScreen();
    auto png = image ? graphics::PngCodec::encode(*image) : std::nullopt;
    if (!png)
        return false;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
    return out.good();
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    auto clock = std::make_shared<foundation::ManualClock>(0.0);
    foundation::RunLoop::main().setClock(clock);
    ui::Screen::mainScreen().usePhoneProfile();

    auto window = ui::Window::create(ui::Screen::mainScreen().bounds());
    auto screen = examples::HelloViewController::create();
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    foundation::RunLoop::main().runFor(0.5);

    const std::function<std::shared_ptr<ModalAlertView>()> shots[] = {
        [&] {
            auto alert = ModalAlertView::create();
            alert->showError(screen, "登录失败", "用户名或密码错误，请重新输入。", "确定", 0);
            return alert;
        },
        [&] {
            auto alert = ModalAlertView::create();
            alert->showSuccess(screen, "上传成功", "任务的全部照片和视频已上传到服务器。", "好的", 0);
            return alert;
        },
        [&] {
            auto alert = ModalAlertView::create();
            alert->addButton("退出", [] {});
            alert->showWarning(screen, "退出登录", "确定要退出当前账号吗？", "取消", 0);
            return alert;
        },
        [&] {
            auto alert = ModalAlertView::create();
            alert->showInfo(screen, "提示", "网络连接不可用，请检查网络设置后重试。", "知道了", 0);
            return alert;
        },
        [&] {
            auto alert = ModalAlertView::create();
            auto field = alert->addTextField("请输入任务编号");
            field->setKeyboardType(ui::KeyboardType::NumberPad);
            alert->addButton("查询", [] {});
            alert->addButton("取消", [] {});
            alert->showEdit(screen, "查询任务", "输入任务编号以查看审核结果。", std::nullopt, 0);
            return alert;
        },
        [&] {
            auto alert = ModalAlertView::create();
            alert->setBackgroundType(1);
            alert->showInfo(screen, "毛玻璃背景", "背景是当前屏幕的模糊图像。", "确定", 0);
            return alert;
        },
    };
    const char* names[] = {"error", "success", "warning", "info", "edit", "blur"};
    int failures = 0;
    for (size_t i = 0; i < std::size(shots); ++i) {
        auto alert = shots[i]();
        foundation::RunLoop::main().runFor(1.0);
        const auto file = folder / (std::string("alert-") + names[i] + ".png");
        if (writeScreen(file))
            std::printf("%s\n", file.c_str());
        else
            ++failures;
        alert->hideView();
        foundation::RunLoop::main().runFor(1.0);
    }
    return failures == 0 ? 0 : 1;
}
