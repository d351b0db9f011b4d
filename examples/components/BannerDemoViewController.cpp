#include "examples/components/BannerDemoViewController.h"

#include "components/banner/DropdownBanner.h"
#include "examples/components/DemoButtonGrid.h"
#include "platform/ui/Label.h"

namespace examples {

using graphics::Color;

namespace {

// Keeps its banner on screen after the time until it is tapped, and says what happened.
class KeepingDelegate final : public DropdownBannerDelegate {
public:
    explicit KeepingDelegate(std::weak_ptr<ui::Label> status)
        : m_status(std::move(status))
    { }
    bool dropdownAlertWasTapped(DropdownBanner&) override
    {
        say("时间到了:横幅留下,点一下收起");
        return false;
    }
    void dropdownAlertWasDismissed() override { say("横幅已收起"); }

private:
    void say(const std::string& text)
    {
        if (auto status = m_status.lock())
            status->setText(text);
    }
    std::weak_ptr<ui::Label> m_status;
};

} // namespace

std::shared_ptr<BannerDemoViewController> BannerDemoViewController::create()
{
    return std::make_shared<BannerDemoViewController>();
}

void BannerDemoViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(Color::white());
    DemoButtonGrid grid(view(), 110);
    grid.add("只有标题", [](ui::Button&) { DropdownBanner::title("提醒"); });
    grid.add("标题和消息",
        [](ui::Button&) { DropdownBanner::title("提醒", "新增的任务单号已经存在,请确认单号的唯一性!"); });
    grid.add("两行消息", [](ui::Button&) {
        DropdownBanner::title(
            "上传完成", "任务的全部照片和视频都已上传到服务器,审核结果会出现在已完成或被驳回的任务列表里。");
    });
    grid.add("自定义颜色", [](ui::Button&) {
        DropdownBanner::title("已保存", "任务已保存到本地", Color::rgba(0.2, 0.6, 0.35), Color::white());
    });
    grid.add("停留 1 秒", [](ui::Button&) { DropdownBanner::title("一秒", "一秒后收起", 1); });
    grid.add("默认标题", [](ui::Button&) { DropdownBanner::show(); });
    grid.add("叠加三条", [](ui::Button&) {
        DropdownBanner::title("第一条", "消息一", 10);
        DropdownBanner::title("第二条", "消息二", Color::rgba(0.3, 0.4, 0.8), std::nullopt, 10);
        DropdownBanner::title("第三条", "消息三", Color::rgba(0.8, 0.25, 0.3), std::nullopt, 10);
    });
    grid.add("全部收起", [](ui::Button&) { DropdownBanner::dismissAllAlert(); });
    m_status = grid.addStatus();
    std::weak_ptr<ui::Label> status = m_status;
    grid.add("委托留住横幅", [status](ui::Button&) {
        DropdownBanner::title("留住", "委托回答不收起", 1, std::make_shared<KeepingDelegate>(status));
    });
}

} // namespace examples
