#include "screens/tasks/UploadTaskViewController.h"

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

void UploadTaskViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(graphics::Color::white());
    double width = view()->bounds().width();
    double y = 60;
    const std::string lines[] = {"上传任务", "申请编号: " + m_applyTaskNO,
        "拍摄方案: " + m_applyTaskPhotoType, "任务编号: " + m_uuidForTask,
        "模式: " + (m_uploadModel.empty() ? std::string("待上传") : m_uploadModel)};
    for (const auto& line : lines) {
        auto label = ui::Label::create({16, y, width - 32, 28});
        label->setText(line);
        view()->addSubview(label);
        y += 32;
    }
    auto close = ui::Button::create(graphics::Rect {16, y + 20, width - 32, 44});
    close->setTitle("返回", ui::ControlState::Normal);
    close->setTitleColor(graphics::Color::blue(), ui::ControlState::Normal);
    std::weak_ptr<UploadTaskViewController> weakSelf = sharedAs<UploadTaskViewController>();
    close->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->dismissViewController(true);
    });
    view()->addSubview(close);
}
