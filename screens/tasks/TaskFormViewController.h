#pragma once

#include "components/actionsheet/ActionSheetDelegate.h"
#include "platform/foundation/Value.h"
#include "screens/shell/MainBaseViewController.h"
#include "screens/tasks/TaskRecordUtil.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ui {
class Button;
class Label;
class TextField;
} // namespace ui
class ScreenScrollView;
struct HttpError;

// The task form of the create-task and edit-task screens: application number, stock location,
// insurer, deal price, product type and shooting plan (the choices offered by the user's brand,
// picked from an action sheet). On submit the fields are checked; a number new to the task must
// be free here and on the server ("validate"); then the screen stores the task and its shot grid
// opens ("toNewTaskPLSeg").
class TaskFormViewController : public MainBaseViewController, public ActionSheetDelegate {
public:
    static constexpr const char* kValidatePath = "/CarTask.ashx?method=validate&time=";
    static constexpr const char* kValidateTag = "checkOddNumValid";
    static constexpr const char* kChooseProductType = "请选择产品类型";
    static constexpr const char* kChoosePhotoPlan = "请选择拍摄方案";
    static constexpr const char* kStoreFailureMessage = "任务保存失败,请重新尝试!";
    // The view tags of the two choosers' sheets.
    static constexpr int64_t kProductTypeSheetTag = 1;
    static constexpr int64_t kPhotoPlanSheetTag = 2;
    // The banner shown when the number is already a stored task's.
    static constexpr const char* kNoticeTitle = "提醒";
    static constexpr const char* kDuplicateNumberNotice = "新增的任务单号已经存在,请确认单号的唯一性!";

    // Why the fields cannot make a task (the text shown to the user), or nullopt when they can.
    // Texts are taken trimmed.
    static std::optional<std::string> checkFields(const NewTaskFields& fields);
    // The same for the application number alone, as typed (taken trimmed).
    static std::optional<std::string> checkApplyNO(const std::string& applyNO);
    // The fields as typed and chosen, trimmed.
    NewTaskFields currentFields() const;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender) override;

    std::shared_ptr<ui::TextField> applyNoField() const { return m_applyNoField; }
    std::shared_ptr<ui::TextField> baseLocationField() const { return m_baseLocationField; }
    std::shared_ptr<ui::TextField> ensureCompanyField() const { return m_ensureCompanyField; }
    std::shared_ptr<ui::TextField> dealPriceField() const { return m_dealPriceField; }
    std::shared_ptr<ui::Button> productTypeButton() const { return m_productTypeButton; }
    std::shared_ptr<ui::Button> photoPlanButton() const { return m_photoPlanButton; }
    std::shared_ptr<ui::Button> submitButton() const { return m_submitButton; }
    // What the form lies in: it scrolls when the form does not fit (turned, or above the keyboard).
    std::shared_ptr<ScreenScrollView> contentView() const { return m_content; }
    bool isRequestRunning() const { return m_requestRunning; }

    // The choosers: an action sheet of the brand's choices with the current one marked.
    void showProductTypeSheet();
    void showPhotoPlanSheet();
    const std::string& productType() const { return m_productType; }
    const std::string& photoPlan() const { return m_photoPlan; }

    void actionSheetWillPresent(ActionSheet& sheet) override;
    void actionSheetDidPresent(ActionSheet& sheet) override;
    void actionSheetWillDismiss(ActionSheet& sheet) override;
    void actionSheetPressedButtonAtIndexPath(ActionSheet& sheet, ActionSheetIndexPath indexPath) override;
    // The submit button's action, and the answers of "validate".
    void submit();
    void validateFinished(const foundation::Value& reply);
    void validateFailed(const HttpError& error);

protected:
    // The submit button's title.
    virtual std::string submitTitle() const = 0;
    // The view a chooser's sheet is shown in.
    virtual std::shared_ptr<ui::View> chooserHostView() = 0;
    // Whether the number is not the task's own yet, and so must be free.
    virtual bool isNewNumber(const std::string& applyNO) const = 0;
    // Whether the checked fields may be stored at all (says why when not).
    virtual bool mayStore(const NewTaskFields& fields);
    // Stores the fields; says why and answers false when they were not stored.
    virtual bool store(const NewTaskFields& fields) = 0;

    // Shows values in the fields and choosers.
    void showFields(const NewTaskFields& fields);
    void showError(const std::string& message);

private:
    // Says why when the number cannot be used: taken, or the store failed.
    bool applyNOIsFree(const std::string& applyNO);
    void storeAndOpenGrid();
    void showChooser(int64_t tag, const std::string& title, const std::string& message,
        const std::vector<std::string>& choices, const std::string& current, bool markCurrent);
    static void showChoice(ui::Button& button, const std::string& choice);
    void showDuplicateNotice();
    std::shared_ptr<ui::TextField> addField(const std::string& caption, const std::string& placeholder);
    std::shared_ptr<ui::Button> addChooser(const std::string& caption, const std::string& title);
    void addRow(const std::string& caption, std::shared_ptr<ui::View> control);
    void layOutContent();

    std::shared_ptr<ScreenScrollView> m_content;
    // Each row's caption and control, top down.
    std::vector<std::pair<std::shared_ptr<ui::Label>, std::shared_ptr<ui::View>>> m_rows;
    std::shared_ptr<ui::TextField> m_applyNoField;
    std::shared_ptr<ui::TextField> m_baseLocationField;
    std::shared_ptr<ui::TextField> m_ensureCompanyField;
    std::shared_ptr<ui::TextField> m_dealPriceField;
    std::shared_ptr<ui::Button> m_productTypeButton;
    std::shared_ptr<ui::Button> m_photoPlanButton;
    std::shared_ptr<ui::Button> m_submitButton;
    std::vector<std::string> m_productTypes;
    std::vector<std::string> m_photoPlans;
    std::string m_productType;
    std::string m_photoPlan;
    // The fields as they were sent to "validate": what is stored when the number is free.
    NewTaskFields m_submitted;
    bool m_requestRunning {false};
};
