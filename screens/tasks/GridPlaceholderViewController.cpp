#include "screens/tasks/GridPlaceholderViewController.h"

#include "core/store/IMivoDataBaseManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Format.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "screens/shell/ShellSegues.h"

std::vector<std::string> GridPlaceholderViewController::summaryLines() const
{
    std::vector<std::string> lines {
        "申请编号: " + m_applyTaskNO,
        "拍摄方案: " + m_applyTaskPhotoType,
    };
    if (!m_uuidForTask.empty())
        lines.push_back("任务编号: " + m_uuidForTask);
    if (m_synMivoTask && !m_synMivoTask->rejectedReason().empty())
        lines.push_back("驳回原因: " + m_synMivoTask->rejectedReason());
    // The shots the store holds for the task: by server id for server tasks, else by number.
    auto manager = IMivoDataBaseManager::sharedManager();
    auto records = m_uuidForTask.empty()
        ? manager->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", m_applyTaskNO))
        : manager->listMivoUploadTasks(data::Predicate::withFormat("carID=%@", m_uuidForTask));
    size_t images = 0, videos = 0;
    for (const auto& record : records.value_or(std::vector<std::shared_ptr<MivoUploadTask>> {}))
        (record->resourceType() == "video" ? videos : images) += 1;
    lines.push_back(foundation::format("照片记录: %zu  视频记录: %zu", images, videos));
    if (!m_allMivoUploads.empty())
        lines.push_back(foundation::format("已上传文件: %zu", m_allMivoUploads.size()));
    return lines;
}

void GridPlaceholderViewController::viewDidLoad()
{
    setTitle("拍摄清单");
    MainBaseViewController::viewDidLoad();
    double width = view()->bounds().width();
    double y = 16;
    for (const auto& line : summaryLines()) {
        auto label = ui::Label::create({16, y, width - 32, 28});
        label->setText(line);
        label->setFont(graphics::Font::systemFont(15));
        view()->addSubview(label);
        m_lines.push_back(label);
        y += 32;
    }
    if (opensUploadScreen()) {
        auto button = ui::Button::create(graphics::Rect {16, y + 20, width - 32, 44});
        button->setTitle("上传任务", ui::ControlState::Normal);
        button->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
        button->setBackgroundColor(graphics::Color::rgba(0.10, 0.45, 0.85));
        button->layer().setCornerRadius(6);
        std::weak_ptr<GridPlaceholderViewController> weakSelf = sharedAs<GridPlaceholderViewController>();
        button->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
            if (auto self = weakSelf.lock())
                self->performSegueWithIdentifier(ShellSegues::kToUploadMonitor);
        });
        view()->addSubview(button);
    }
}
