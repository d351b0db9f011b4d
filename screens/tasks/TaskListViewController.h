#pragma once

#include "core/store/MivoTask.h"
#include "platform/ui/TableView.h"
#include "screens/shell/MainBaseViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Label;
} // namespace ui

// Base of the four task lists: the user's tasks of one state from the store, one row each in a
// table (only the rows in sight have views, so a server list of thousands of tasks costs no more
// to show than a short one); a tap on a row opens the task's shot grid by the list's segue, the
// task being the segue's sender. A list may give rows a second action, a small button at the
// row's right end.
class TaskListViewController : public MainBaseViewController,
                               public ui::TableViewDataSource,
                               public ui::TableViewDelegate {
public:
    const char* className() const override { return "TaskListViewController"; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    // The state shown ("PENDING", "TOUPLOAD", "FINISHED", "REJECTED") and the grid's segue.
    virtual std::string taskStatus() const = 0;
    virtual std::string gridSegueIdentifier() const = 0;

    const std::vector<std::shared_ptr<MivoTask>>& tasks() const { return m_tasks; }
    // The rows scroll in it; its content is as tall as the rows.
    const std::shared_ptr<ui::TableView>& listView() const { return m_listView; }
    // Reads the list again from the store and redraws the rows.
    void reloadList();
    void selectTask(size_t index);
    // The second action of a row, as its button does; nothing for a row that has none.
    void performRowAction(size_t index);

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    std::shared_ptr<ui::TableViewCell> cellForRowAtIndexPath(
        ui::TableView& tableView, ui::IndexPath indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, ui::IndexPath indexPath) override;

protected:
    // The title of a row's second action (its button's accessibility label adds ":" and the
    // task's number); none by default.
    virtual std::optional<std::string> rowActionTitle(const MivoTask& task) const;
    virtual void rowActionSelected(const std::shared_ptr<MivoTask>& task);
    // The second line of a row.
    virtual std::string detailText(const MivoTask& task) const;
    static std::shared_ptr<MivoTask> taskOf(const ui::SegueSender& sender);

private:
    std::vector<std::shared_ptr<MivoTask>> m_tasks;
    std::shared_ptr<ui::TableView> m_listView;
    std::shared_ptr<ui::Label> m_emptyLabel;
};
