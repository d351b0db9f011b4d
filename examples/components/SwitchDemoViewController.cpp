#include "examples/components/SwitchDemoViewController.h"

#include "components/switch/OnOffSwitch.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/PngCodec.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

namespace examples {

namespace {

std::shared_ptr<graphics::Image> resourceImage(const char* name)
{
    auto image = graphics::PngCodec::decodeFile(foundation::Paths::resource(name));
    return image ? image->withScale(ui::Screen::mainScreen().scale()) : nullptr;
}

} // namespace

std::shared_ptr<SwitchDemoViewController> SwitchDemoViewController::create()
{
    return std::make_shared<SwitchDemoViewController>();
}

void SwitchDemoViewController::viewDidLoad()
{
    view()->setBackgroundColor(graphics::Color::white());
    const double width = view()->bounds().width();
    const char* captions[] = {"关", "开", "文字", "方形", "图片"};
    double y = 24;
    std::weak_ptr<SwitchDemoViewController> weakSelf = sharedAs<SwitchDemoViewController>();
    for (size_t index = 0; index < std::size(captions); ++index) {
        auto caption = ui::Label::create({20, y, width - 140, 30});
        caption->setText(captions[index]);
        view()->addSubview(caption);
        auto control = index == 4 ? OnOffSwitch::create() : OnOffSwitch::create({width - 100, y, 64, 30});
        control->setAccessibilityLabel(std::string("开关:") + captions[index]);
        view()->addSubview(control);
        m_switches.push_back(control);
        control->addAction(ui::ControlEvents::ValueChanged, [weakSelf, index](ui::Control&) {
            if (auto self = weakSelf.lock())
                self->valueChanged(index);
        });
        y += 52;
    }
    m_switches[1]->setOn(true);
    m_switches[2]->setOnText("开");
    m_switches[2]->setOffText("关");
    m_switches[2]->setOnTintColor(graphics::Color::rgba(0.2, 0.6, 0.86));
    m_switches[3]->setIsRounded(false);
    // As on the login screen: only the images, the knob and its shadow show.
    auto& pictured = *m_switches[4];
    pictured.setFrame({width - 100, 24 + 4 * 52, 64, 29});
    pictured.setOnImage(resourceImage("btn-toggle-on-bg.png"));
    pictured.setOffImage(resourceImage("btn-toggle-off-bg.png"));
    pictured.setIsRounded(false);
    pictured.setBorderColor(graphics::Color::clear());
    pictured.setOn(true);
    pictured.setInactiveColor(graphics::Color::clear());
    pictured.setOnTintColor(graphics::Color::clear());

    m_result = ui::Label::create({20, y + 8, width - 40, 24});
    m_result->setTextColor(graphics::Color::darkGray());
    m_result->setText("点一下或拖动开关");
    view()->addSubview(m_result);
}

void SwitchDemoViewController::valueChanged(size_t index)
{
    ++m_events;
    m_result->setText(foundation::format(
        "第 %zu 个开关: %s (事件 %d 次)", index + 1, m_switches[index]->isOn() ? "开" : "关", m_events));
}

} // namespace examples
