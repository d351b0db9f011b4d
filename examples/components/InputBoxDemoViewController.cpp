#include "examples/components/InputBoxDemoViewController.h"

#include "components/inputbox/InputBoxView.h"
#include "examples/components/DemoButtonGrid.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"

namespace examples {

using graphics::Color;

namespace {

const char* const kStyleNames[] = {"样式: 0 (浅)", "样式: 1 浅", "样式: 2 深"};

} // namespace

std::shared_ptr<InputBoxDemoViewController> InputBoxDemoViewController::create()
{
    return std::make_shared<InputBoxDemoViewController>();
}

void InputBoxDemoViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(Color::rgba(0.93, 0.95, 0.98));
    auto photo = ui::View::create({0, view()->bounds().height() - 200, view()->bounds().width(), 200});
    photo->setBackgroundColor(Color::rgba(0.25, 0.45, 0.75));
    view()->addSubview(photo);

    std::weak_ptr<InputBoxDemoViewController> weak = sharedAs<InputBoxDemoViewController>();
    auto opens = [weak](int64_t type, std::string title, std::string message) {
        return [weak, type, title, message](ui::Button&) {
            if (auto self = weak.lock())
                self->showBox(type, title, message);
        };
    };
    DemoButtonGrid grid(view(), 80);
    grid.add("文本框", opens(InputBoxView::PlainText, "备注", "写下这辆车的备注"));
    grid.add("数字框", opens(InputBoxView::Number, "成交价格", "单位万元,两位小数:依次输入数字"));
    grid.add("电话框", opens(InputBoxView::Phone, "联系电话", "车主的手机号码"));
    grid.add("邮箱框", opens(InputBoxView::Email, "邮箱", "接收报告的邮箱地址"));
    grid.add("文本 (自动更正)", opens(InputBoxView::Text, "说明", "自动更正按系统默认"));
    grid.add("登录框", opens(InputBoxView::Login, "登录", "输入用户名和密码"));
    grid.add("无字段", opens(99, "确认", "没有输入框的类型只留下标题、消息和按钮"));
    grid.add(kStyleNames[0], [weak](ui::Button& button) {
        if (auto self = weak.lock()) {
            self->m_style = (self->m_style + 1) % 3;
            button.setTitle(kStyleNames[self->m_style], ui::ControlState::Normal);
        }
    });
    grid.add("旋转设备", [](ui::Button&) {
        auto& device = ui::Device::currentDevice();
        bool portrait = device.orientation() != ui::DeviceOrientation::LandscapeLeft;
        device.setOrientation(
            portrait ? ui::DeviceOrientation::LandscapeLeft : ui::DeviceOrientation::Portrait);
    });
    m_status = grid.addStatus();
}

void InputBoxDemoViewController::showBox(int64_t type, const std::string& title, const std::string& message)
{
    auto box = InputBoxView::boxOfType(type);
    box->setTitle(title);
    box->setMessage(message);
    box->setBlurEffectStyle(m_style);
    box->setSubmitButtonText("提交");
    box->setCancelButtonText("取消");
    if (type == InputBoxView::Number)
        box->setNumberOfDecimals(2);
    // The box gives its fields no text colour: on the dark blur the caller lightens the typing.
    if (m_style == 2) {
        box->setCustomise([](std::shared_ptr<ui::TextField> field) {
            field->setTextColor(Color::white());
            return field;
        });
    }
    std::weak_ptr<ui::Label> status = m_status;
    box->setOnSubmit([status](std::optional<std::string> text, std::optional<std::string> secure) {
        auto label = status.lock();
        // An empty first field is refused: the box stays open.
        if (text && text->empty()) {
            if (label)
                label->setText("不能为空,请输入");
            return false;
        }
        if (label)
            label->setText("提交:" + text.value_or("(无)")
                + (secure ? " / 密码 " + std::to_string(secure->size()) + " 位" : ""));
        return true;
    });
    box->setOnCancel([status] {
        if (auto label = status.lock())
            label->setText("已取消");
    });
    box->show();
}

} // namespace examples
