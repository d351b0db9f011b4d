#include "examples/components/PopupDemoViewController.h"

#include "examples/components/DemoButtonGrid.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Format.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace examples {

using graphics::Color;

namespace {

const char* const kKeyboards[] = {"DEFAULT", "NUMBER", "PHONE", "EMAIL", "DECIMAL"};
const char* const kPlaceholders[] = {"服务器的IP地址", "服务器的端口号", "备注"};

std::string blurName(int64_t type)
{
    switch (type) {
    case 0:
        return "深色模糊";
    case 1:
        return "浅色模糊";
    case 2:
        return "超浅模糊";
    default:
        return "无";
    }
}

std::string onOff(bool on)
{
    return on ? "开" : "关";
}

} // namespace

std::shared_ptr<PopupDemoViewController> PopupDemoViewController::create()
{
    return std::make_shared<PopupDemoViewController>();
}

void PopupDemoViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(Color::white());
    // Something colourful under the blur.
    const Color stripes[] = {Color::rgba(0.95, 0.45, 0.2), Color::rgba(0.2, 0.6, 0.9),
        Color::rgba(0.3, 0.75, 0.4), Color::rgba(0.85, 0.3, 0.6)};
    double width = view()->bounds().width() / 4;
    for (int i = 0; i < 4; ++i) {
        auto stripe = ui::View::create({i * width, view()->bounds().height() - 120, width, 120});
        stripe->setBackgroundColor(stripes[i]);
        view()->addSubview(stripe);
    }

    std::weak_ptr<PopupDemoViewController> weak = sharedAs<PopupDemoViewController>();
    auto cycle = [weak](auto change) {
        return [weak, change](ui::Button& button) {
            if (auto self = weak.lock())
                button.setTitle(change(*self), ui::ControlState::Normal);
        };
    };
    DemoButtonGrid grid(view(), 80);
    grid.add("进入: 7", cycle([](PopupDemoViewController& self) {
        self.m_incoming = self.m_incoming % 10 + 1;
        return foundation::format("进入: %llu", static_cast<unsigned long long>(self.m_incoming));
    }));
    grid.add("离开: 7", cycle([](PopupDemoViewController& self) {
        self.m_outgoing = self.m_outgoing % 10 + 1;
        return foundation::format("离开: %llu", static_cast<unsigned long long>(self.m_outgoing));
    }));
    grid.add("字段: 2", cycle([](PopupDemoViewController& self) {
        self.m_fields = (self.m_fields + 1) % 4;
        return foundation::format("字段: %zu", self.m_fields);
    }));
    grid.add("键盘: DEFAULT", cycle([](PopupDemoViewController& self) {
        self.m_keyboard = (self.m_keyboard + 1) % std::size(kKeyboards);
        return std::string("键盘: ") + kKeyboards[self.m_keyboard];
    }));
    grid.add("背景: 无", cycle([](PopupDemoViewController& self) {
        self.m_blur = (self.m_blur + 1) % 4;
        return "背景: " + blurName(self.m_blur);
    }));
    grid.add("点背景关闭: 关", cycle([](PopupDemoViewController& self) {
        self.m_tapToDismiss = !self.m_tapToDismiss;
        return "点背景关闭: " + onOff(self.m_tapToDismiss);
    }));
    grid.add("滑动关闭: 关", cycle([](PopupDemoViewController& self) {
        self.m_swipeToDismiss = !self.m_swipeToDismiss;
        return "滑动关闭: " + onOff(self.m_swipeToDismiss);
    }));
    grid.add("四个字段", [weak](ui::Button&) {
        auto self = weak.lock();
        try {
            Popup::create("四个字段", "只能有三个", std::vector<std::string> {"1", "2", "3", "4"}, "取消",
                "确认", nullptr, nullptr);
        } catch (const foundation::Exception& e) {
            if (self)
                self->say(e.name + " " + e.reason);
        }
    });
    grid.add("显示弹窗", [weak](ui::Button&) {
        if (auto self = weak.lock())
            self->showPopup();
    });
    m_status = grid.addStatus();
}

void PopupDemoViewController::showPopup()
{
    std::vector<std::string> placeholders(
        std::begin(kPlaceholders), std::begin(kPlaceholders) + long(m_fields));
    auto popup = Popup::create("系统配置", "请分别输入服务器对应的IP地址和端口号", placeholders, "取消",
        "确认", std::nullopt, std::nullopt, nullptr, nullptr);
    if (m_fields > 0) {
        foundation::Array keyboards(m_fields, foundation::Value(kKeyboards[m_keyboard]));
        popup->setKeyboardTypeForTextFields(keyboards);
    }
    popup->setIncomingTransition(m_incoming);
    popup->setOutgoingTransition(m_outgoing);
    popup->setBackgroundBlurType(m_blur);
    popup->setTapBackgroundToDismiss(m_tapToDismiss);
    popup->setSwipeToDismiss(m_swipeToDismiss);
    popup->setDelegate(sharedAs<PopupDemoViewController>());
    m_typed.clear();
    popup->showPopup();
}

bool PopupDemoViewController::say(const std::string& text)
{
    if (m_status)
        m_status->setText(text);
    return true;
}

bool PopupDemoViewController::popupPressButton(Popup&, PopupButtonType type)
{
    return say(type == PopupButtonType::Success ? "按下确认" : "按下取消");
}

bool PopupDemoViewController::dictionary(
    const FieldDictionary&, Popup&, const std::optional<std::vector<std::string>>& strings)
{
    m_typed.clear();
    auto texts = strings.value_or(std::vector<std::string> {});
    for (size_t i = 0; i < texts.size(); ++i)
        m_typed += (i ? " / " : "") + texts[i];
    return true;
}

bool PopupDemoViewController::popupDidDisappear(Popup& popup, PopupButtonType type)
{
    return say(std::string(type == PopupButtonType::Success ? "确认" : "取消") + ",已关闭"
        + (popup.textFields().empty() ? "" : ":" + m_typed));
}

} // namespace examples
