#pragma once

#include "core/store/MivoTask.h"
#include "screens/tasks/TaskFormViewController.h"

// Edits a local task that has no server id yet: the create screen's form showing the task's stored
// values. A new number must be free as on the create screen and reaches every media record of the
// task; a new shooting plan makes the task's shot list anew while no shot is taken and is refused
// once one is. Then the task's shot grid opens as after creating it.
class EditTaskViewController final : public TaskFormViewController {
public:
    static std::shared_ptr<EditTaskViewController> create();

    const char* className() const override { return "EditTaskViewController"; }
    // Why a new plan is refused.
    static constexpr const char* kPlanKeptMessage = "该任务已有拍摄的照片或视频,不能更换拍摄方案";

    // Set by the opening list before the view loads.
    void setTask(std::shared_ptr<MivoTask> task) { m_task = std::move(task); }
    const std::shared_ptr<MivoTask>& task() const { return m_task; }

    void viewDidLoad() override;

protected:
    std::string submitTitle() const override { return "保存并拍摄"; }
    std::shared_ptr<ui::View> chooserHostView() override { return view(); }
    bool isNewNumber(const std::string& applyNO) const override;
    bool mayStore(const NewTaskFields& fields) override;
    bool store(const NewTaskFields& fields) override;

private:
    bool changesPlan(const NewTaskFields& fields) const;

    std::shared_ptr<MivoTask> m_task;
};
