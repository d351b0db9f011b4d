#include "examples/components/ActionSheetDemoViewController.h"

#include "components/actionsheet/ActionSheet.h"
#include "platform/foundation/Format.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"

namespace examples {

namespace {

std::shared_ptr<ui::Button> demoButton(const std::string& title, double y, double width)
{
    auto button = ui::Button::create(ui::ButtonType::System);
    button->setFrame({20, y, width - 40, 40});
    button->setTitle(title, ui::ControlState::Normal);
    button->layer().setBorderWidth(0.5);
    button->layer().setBorderColor(graphics::Color::rgba(0.8, 0.8, 0.8));
    button->layer().setCornerRadius(6);
    return button;
}

} // namespace

std::shared_ptr<ActionSheetDemoViewController> ActionSheetDemoViewController::create()
{
    return std::make_shared<ActionSheetDemoViewController>();
}

void ActionSheetDemoViewController::viewDidLoad()
{
    view()->setBackgroundColor(graphics::Color::white());
    const double width = view()->bounds().width();
    std::weak_ptr<ActionSheetDemoViewController> weakSelf = sharedAs<ActionSheetDemoViewController>();
    const std::pair<const char*, void (ActionSheetDemoViewController::*)()> rows[] = {
        {"一个分区", &ActionSheetDemoViewController::showOneSection},
        {"多个分区", &ActionSheetDemoViewController::showSeveralSections},
        {"点击外部关闭", &ActionSheetDemoViewController::showTapOutside},
    };
    double y = 20;
    for (auto [title, action] : rows) {
        auto button = demoButton(title, y, width);
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf, action](ui::Control&) {
            if (auto self = weakSelf.lock())
                ((*self).*action)();
        });
        view()->addSubview(button);
        y += 52;
    }
    m_result = ui::Label::create({20, y + 8, width - 40, 24});
    m_result->setTextAlignment(graphics::TextAlignment::Center);
    m_result->setTextColor(graphics::Color::darkGray());
    m_result->setText("尚未选择");
    view()->addSubview(m_result);
}

void ActionSheetDemoViewController::show(const std::shared_ptr<ActionSheet>& sheet)
{
    sheet->setDelegate(sharedAs<ActionSheetDemoViewController>());
    sheet->setButtonPressedBlock(
        [](ActionSheet& pressed, ActionSheetIndexPath) { pressed.dismissAnimated(true); });
    auto navigation = navigationController();
    sheet->showInView(navigation ? navigation->view() : view(), true);
}

void ActionSheetDemoViewController::showOneSection()
{
    auto section = ActionSheetSection::sectionWithTitle("拍摄方案", "请选择一种拍摄方案",
        {"拆密封条-方案1", "不拆密封条-方案2"}, ActionSheetSection::Default);
    section->setButtonStyle(ActionSheetSection::Red, 0);
    show(ActionSheet::create({section}));
}

void ActionSheetDemoViewController::showSeveralSections()
{
    auto styles = ActionSheetSection::sectionWithTitle(
        "按钮样式", std::nullopt, {"默认", "红色", "绿色", "蓝色"}, ActionSheetSection::Default);
    styles->setButtonStyle(ActionSheetSection::Red, 1);
    styles->setButtonStyle(ActionSheetSection::Green, 2);
    styles->setButtonStyle(ActionSheetSection::Blue, 3);
    auto swatch = ui::View::create({0, 0, 10, 24});
    swatch->setBackgroundColor(graphics::Color::rgba(0.95, 0.77, 0.06));
    swatch->layer().setCornerRadius(4);
    auto content = ActionSheetSection::sectionWithTitle(std::nullopt, "分区也可以放一个自己的视图", swatch);
    auto cancel = ActionSheetSection::sectionWithTitle(
        std::nullopt, std::nullopt, {"取消"}, ActionSheetSection::Cancel);
    show(ActionSheet::create({styles, content, cancel}));
}

void ActionSheetDemoViewController::showTapOutside()
{
    auto section = ActionSheetSection::sectionWithTitle(
        "点击外部", "点击灰色区域关闭", {"好的"}, ActionSheetSection::Green);
    auto sheet = ActionSheet::create({section});
    std::weak_ptr<ActionSheetDemoViewController> weakSelf = sharedAs<ActionSheetDemoViewController>();
    sheet->setOutsidePressBlock([weakSelf](ActionSheet& tapped) {
        if (auto self = weakSelf.lock())
            self->m_result->setText("点击了外部");
        tapped.dismissAnimated(true);
    });
    show(sheet);
}

void ActionSheetDemoViewController::actionSheetPressedButtonAtIndexPath(
    ActionSheet& sheet, ActionSheetIndexPath path)
{
    auto title = sheet.sections()[path.section]->buttons()[path.row]->currentTitle().value_or("");
    m_result->setText(foundation::format("分区 %zu 第 %zu 个: %s", path.section, path.row, title.c_str()));
}

} // namespace examples
