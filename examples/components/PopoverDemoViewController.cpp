#include "examples/components/PopoverDemoViewController.h"

#include "components/actionsheet/ActionSheet.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"

namespace examples {

using graphics::Point;
using graphics::Rect;

std::shared_ptr<PopoverDemoViewController> PopoverDemoViewController::create()
{
    return std::make_shared<PopoverDemoViewController>();
}

void PopoverDemoViewController::viewDidLoad()
{
    view()->setBackgroundColor(graphics::Color::white());
    const Rect bounds = view()->bounds();
    const double w = bounds.width();
    const double h = bounds.height();
    // Placed so that the panel has room on the side the arrow points away from.
    const Rect frames[4] = {
        {20, h / 2 - 20, 120, 40}, // arrow left: the panel to the right
        {w - 140, h / 2 - 20, 120, 40}, // arrow right: the panel to the left
        {w / 2 - 60, 20, 120, 40}, // arrow up: the panel below
        {w / 2 - 60, h - 110, 120, 40}, // arrow down: the panel above
    };
    const char* titles[4] = {"箭头向左", "箭头向右", "箭头向上", "箭头向下"};
    std::weak_ptr<PopoverDemoViewController> weakSelf = sharedAs<PopoverDemoViewController>();
    for (unsigned direction = 0; direction < 4; ++direction) {
        auto button = ui::Button::create(ui::ButtonType::System);
        button->setFrame(frames[direction]);
        button->setTitle(titles[direction], ui::ControlState::Normal);
        button->layer().setBorderWidth(0.5);
        button->layer().setBorderColor(graphics::Color::rgba(0.8, 0.8, 0.8));
        button->layer().setCornerRadius(6);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, direction](ui::Control&) {
            if (auto self = weakSelf.lock())
                self->showFrom(direction);
        });
        view()->addSubview(button);
        m_buttons[direction] = button;
    }
    const bool tablet = ui::Device::currentDevice().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
    m_result = ui::Label::create({20, h / 2 + 40, w - 40, 40});
    m_result->setNumberOfLines(0);
    m_result->setTextAlignment(graphics::TextAlignment::Center);
    m_result->setTextColor(graphics::Color::darkGray());
    m_result->setText(tablet ? "点一个按钮" : "手机上显示为普通的操作表;用 --tablet 运行可见弹出框");
    view()->addSubview(m_result);
}

void PopoverDemoViewController::showFrom(unsigned arrowDirection)
{
    const Rect frame = m_buttons[arrowDirection]->frame();
    const Point points[4] = {
        {frame.maxX(), frame.midY()},
        {frame.minX(), frame.midY()},
        {frame.midX(), frame.maxY()},
        {frame.midX(), frame.minY()},
    };
    auto section = ActionSheetSection::sectionWithTitle(
        "弹出框", "箭头指向按钮", {"拆密封条-方案1", "不拆密封条-方案2"}, ActionSheetSection::Default);
    section->setButtonStyle(ActionSheetSection::Blue, 1);
    auto sheet = ActionSheet::create({section,
        ActionSheetSection::sectionWithTitle(
            std::nullopt, std::nullopt, {"取消"}, ActionSheetSection::Cancel)});
    std::weak_ptr<PopoverDemoViewController> weakSelf = sharedAs<PopoverDemoViewController>();
    sheet->setButtonPressedBlock([weakSelf](ActionSheet& pressed, ActionSheetIndexPath path) {
        if (auto self = weakSelf.lock())
            self->m_result->setText(
                pressed.sections()[path.section]->buttons()[path.row]->currentTitle().value_or(""));
        pressed.dismissAnimated(true);
    });
    sheet->setOutsidePressBlock([](ActionSheet& tapped) { tapped.dismissAnimated(true); });
    sheet->showFromPoint(points[arrowDirection], view(), arrowDirection, true);
}

} // namespace examples
