#include "screens/tasks/TaskFormViewController.h"

#include "components/actionsheet/ActionSheet.h"
#include "components/alert/ModalAlertView.h"
#include "components/banner/DropdownBanner.h"
#include "core/net/UserInfo.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/StoryboardSegue.h"
#include "platform/ui/TextField.h"
#include "screens/shell/BrandStyle.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/shell/ScreenScrollView.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/ShotGridEntry.h"

#include <algorithm>
#include <cstdlib>

using foundation::trimmed;
using foundation::Value;

namespace {

constexpr double kTop = 0; // the navigation controller puts the view below its bar
constexpr double kRowHeight = 36;
constexpr double kBottomMargin = 20;
constexpr size_t kMaxApplyNOLength = 40;

bool isApplyNOCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
}

// A plain decimal number above zero: digits with at most one point, no sign, no exponent.
bool isPositivePrice(const std::string& text)
{
    size_t points = std::count(text.begin(), text.end(), '.');
    if (text.empty() || points > 1 || text.front() == '.' || text.back() == '.')
        return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; }))
        return false;
    return std::strtod(text.c_str(), nullptr) > 0;
}

constexpr graphics::Color kPlaceholderColor = graphics::Color::white(0.7);

} // namespace

std::optional<std::string> TaskFormViewController::checkFields(const NewTaskFields& raw)
{
    NewTaskFields fields {trimmed(raw.applyNO), trimmed(raw.baseLocation), trimmed(raw.ensureCompany),
        trimmed(raw.dealPrice), trimmed(raw.productType), trimmed(raw.photoType)};
    if (auto problem = checkApplyNO(fields.applyNO))
        return problem;
    if (fields.baseLocation.empty())
        return "请输入库存地点";
    if (fields.ensureCompany.empty())
        return "请输入保险公司";
    if (fields.dealPrice.empty())
        return "请输入成交价格";
    if (!isPositivePrice(fields.dealPrice))
        return "成交价格须为大于0的数字";
    if (fields.productType.empty())
        return kChooseProductType;
    if (fields.photoType.empty())
        return kChoosePhotoPlan;
    return std::nullopt;
}

std::optional<std::string> TaskFormViewController::checkApplyNO(const std::string& typed)
{
    std::string applyNO = trimmed(typed);
    if (applyNO.empty())
        return "请输入申请编号";
    if (applyNO.size() > kMaxApplyNOLength
        || !std::all_of(applyNO.begin(), applyNO.end(), isApplyNOCharacter))
        return "申请编号只能由字母、数字、“-”和“_”组成,最多40位";
    return std::nullopt;
}

NewTaskFields TaskFormViewController::currentFields() const
{
    return {trimmed(m_applyNoField->text()), trimmed(m_baseLocationField->text()),
        trimmed(m_ensureCompanyField->text()), trimmed(m_dealPriceField->text()), m_productType, m_photoPlan};
}

void TaskFormViewController::viewDidLoad()
{
    MainBaseViewController::viewDidLoad();
    auto brand = BrandStyle::current();
    m_productTypes = brand.productTypes;
    m_photoPlans = brand.photoPlans;

    m_content = ScreenScrollView::create(view()->bounds());
    view()->addSubview(m_content);
    m_applyNoField = addField("申请编号", "请输入申请编号");
    m_baseLocationField = addField("库存地点", "请输入库存地点");
    m_ensureCompanyField = addField("保险公司", "请输入保险公司");
    m_dealPriceField = addField("成交价格", "请输入成交价格(元)");
    m_dealPriceField->setKeyboardType(ui::KeyboardType::DecimalPad);
    m_productTypeButton = addChooser("产品类型", kChooseProductType);
    m_photoPlanButton = addChooser("拍摄方案", kChoosePhotoPlan);

    std::weak_ptr<TaskFormViewController> weakSelf = sharedAs<TaskFormViewController>();
    m_productTypeButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->showProductTypeSheet();
    });
    m_photoPlanButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->showPhotoPlanSheet();
    });

    m_submitButton = ui::Button::create(graphics::Rect {});
    m_submitButton->setTitle(submitTitle(), ui::ControlState::Normal);
    m_submitButton->setTitle("正在校验…", ui::ControlState::Disabled);
    m_submitButton->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
    m_submitButton->setBackgroundColor(brand.color);
    m_submitButton->layer().setCornerRadius(6);
    m_submitButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
        if (auto self = weakSelf.lock())
            self->submit();
    });
    m_content->addSubview(m_submitButton);
    layOutContent();
}

void TaskFormViewController::viewDidLayoutSubviews()
{
    MainBaseViewController::viewDidLayoutSubviews();
    layOutContent();
}

// A row for each field and chooser, its caption on the left and the control to the right edge.
void TaskFormViewController::layOutContent()
{
    double width = m_content->bounds().width();
    double y = kTop + 12;
    for (const auto& [caption, control] : m_rows) {
        caption->setFrame({16, y, 80, kRowHeight});
        control->setFrame({100, y, width - 116, kRowHeight});
        y += 46;
    }
    m_submitButton->setFrame({20, m_rows.back().second->frame().maxY() + 26, width - 40, 44});
    m_content->setContentHeight(m_submitButton->frame().maxY() + kBottomMargin);
}

std::shared_ptr<ui::TextField> TaskFormViewController::addField(
    const std::string& caption, const std::string& placeholder)
{
    auto field = ui::TextField::create();
    field->setPlaceholder(placeholder);
    field->setAccessibilityLabel(caption);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    field->setBackgroundColor(graphics::Color::white());
    field->setAutocorrectionType(ui::TextAutocorrectionType::No);
    field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
    addRow(caption, field);
    return field;
}

std::shared_ptr<ui::Button> TaskFormViewController::addChooser(
    const std::string& caption, const std::string& title)
{
    auto button = ui::Button::create(graphics::Rect {});
    button->setTitle(title, ui::ControlState::Normal);
    button->setTitleColor(kPlaceholderColor, ui::ControlState::Normal);
    button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::Left);
    button->setContentEdgeInsets({0, 8, 0, 8});
    button->setBackgroundColor(graphics::Color::white());
    button->layer().setCornerRadius(5);
    button->layer().setBorderWidth(0.5);
    button->layer().setBorderColor(graphics::Color::lightGray());
    button->setAccessibilityLabel(caption);
    addRow(caption, button);
    return button;
}

void TaskFormViewController::addRow(const std::string& caption, std::shared_ptr<ui::View> control)
{
    auto label = ui::Label::create();
    label->setText(caption);
    label->setFont(graphics::Font::systemFont(15));
    m_content->addSubview(label);
    m_content->addSubview(control);
    m_rows.emplace_back(std::move(label), std::move(control));
}

void TaskFormViewController::showProductTypeSheet()
{
    showChooser(
        kProductTypeSheetTag, "产品类型选择", kChooseProductType, m_productTypes, m_productType, true);
}

void TaskFormViewController::showPhotoPlanSheet()
{
    showChooser(kPhotoPlanSheetTag, "拍摄方案", "请选择一种拍摄方案", m_photoPlans, m_photoPlan,
        m_photoPlans.size() == 2);
}

void TaskFormViewController::showChooser(int64_t tag, const std::string& title, const std::string& message,
    const std::vector<std::string>& choices, const std::string& current, bool markCurrent)
{
    view()->endEditing(true);
    auto section = ActionSheetSection::sectionWithTitle(title, message, choices, ActionSheetSection::Default);
    // Only a choice already made is marked: before the first one nothing is current.
    auto chosen = std::find(choices.begin(), choices.end(), current);
    if (markCurrent && chosen != choices.end())
        section->setButtonStyle(ActionSheetSection::Red, static_cast<size_t>(chosen - choices.begin()));
    auto sheet = ActionSheet::create({section});
    sheet->setDelegate(sharedAs<TaskFormViewController>());
    sheet->setTag(tag);
    sheet->setButtonPressedBlock(
        [](ActionSheet& pressed, ActionSheetIndexPath) { pressed.dismissAnimated(true); });
    sheet->showInView(chooserHostView(), true);
}

void TaskFormViewController::showChoice(ui::Button& button, const std::string& choice)
{
    button.setTitle(choice, ui::ControlState::Normal);
    button.setTitleColor(graphics::Color::black(), ui::ControlState::Normal);
}

void TaskFormViewController::actionSheetWillPresent(ActionSheet& sheet)
{
    foundation::logf("actionSheet willPresent: %lld", static_cast<long long>(sheet.tag()));
}

void TaskFormViewController::actionSheetDidPresent(ActionSheet& sheet)
{
    foundation::logf("actionSheet didPresent: %lld", static_cast<long long>(sheet.tag()));
}

void TaskFormViewController::actionSheetWillDismiss(ActionSheet& sheet)
{
    foundation::logf("actionSheet willDismiss: %lld", static_cast<long long>(sheet.tag()));
}

void TaskFormViewController::actionSheetPressedButtonAtIndexPath(
    ActionSheet& sheet, ActionSheetIndexPath indexPath)
{
    if (sheet.tag() == kProductTypeSheetTag && indexPath.row < m_productTypes.size()) {
        m_productType = m_productTypes[indexPath.row];
        showChoice(*m_productTypeButton, m_productType);
    } else if (sheet.tag() == kPhotoPlanSheetTag && indexPath.row < m_photoPlans.size()) {
        m_photoPlan = m_photoPlans[indexPath.row];
        showChoice(*m_photoPlanButton, m_photoPlan);
    }
}

void TaskFormViewController::submit()
{
    if (m_requestRunning)
        return;
    for (auto& field : {m_applyNoField, m_baseLocationField, m_ensureCompanyField, m_dealPriceField})
        field->resignFirstResponder();
    NewTaskFields fields = currentFields();
    if (auto problem = checkFields(fields)) {
        showError(*problem);
        return;
    }
    if (!mayStore(fields))
        return;
    if (!isNewNumber(fields.applyNO)) {
        m_submitted = fields;
        storeAndOpenGrid();
        return;
    }
    if (!applyNOIsFree(fields.applyNO))
        return;
    m_submitted = fields;
    m_requestRunning = true;
    m_submitButton->setEnabled(false);

    RequestUrlUtil::post(sharedAs<TaskFormViewController>(), kValidatePath,
        Value(foundation::Map {{"applyNo", UserInfo::sharedInstance()->orderPrefix() + fields.applyNO}}),
        kValidateTag, &TaskFormViewController::validateFinished, &TaskFormViewController::validateFailed);
}

void TaskFormViewController::validateFinished(const Value& reply)
{
    m_requestRunning = false;
    m_submitButton->setEnabled(true);
    if (!RequestUrlUtil::succeeded(reply)) {
        std::string message = RequestUrlUtil::message(reply, RequestUrlUtil::kNetworkFailureMessage);
        foundation::logf("--------error------@%s", message.c_str());
        showError(message);
        return;
    }
    storeAndOpenGrid();
}

void TaskFormViewController::validateFailed(const HttpError& error)
{
    m_requestRunning = false;
    m_submitButton->setEnabled(true);
    foundation::logf("--------error------@%s", error.description.c_str());
    showError(RequestUrlUtil::kNetworkFailureMessage);
}

bool TaskFormViewController::applyNOIsFree(const std::string& applyNO)
{
    switch (TaskRecordUtil::applyNOState(applyNO)) {
    case TaskRecordUtil::ApplyNOState::Free:
        return true;
    case TaskRecordUtil::ApplyNOState::Taken:
        showDuplicateNotice();
        return false;
    case TaskRecordUtil::ApplyNOState::StoreFailed:
        showError(kStoreFailureMessage);
        return false;
    }
    return false;
}

bool TaskFormViewController::mayStore(const NewTaskFields&)
{
    return true;
}

void TaskFormViewController::storeAndOpenGrid()
{
    // The number may have been stored meanwhile (a second tap, another screen).
    if (isNewNumber(m_submitted.applyNO) && !applyNOIsFree(m_submitted.applyNO))
        return;
    if (store(m_submitted))
        performSegueWithIdentifier(ShellSegues::kToNewTaskGrid);
}

void TaskFormViewController::showFields(const NewTaskFields& fields)
{
    m_applyNoField->setText(fields.applyNO);
    m_baseLocationField->setText(fields.baseLocation);
    m_ensureCompanyField->setText(fields.ensureCompany);
    m_dealPriceField->setText(fields.dealPrice);
    m_productType = fields.productType;
    m_photoPlan = fields.photoType;
    if (!m_productType.empty())
        showChoice(*m_productTypeButton, m_productType);
    if (!m_photoPlan.empty())
        showChoice(*m_photoPlanButton, m_photoPlan);
}

void TaskFormViewController::prepareForSegue(ui::StoryboardSegue& segue, const ui::SegueSender& sender)
{
    MainBaseViewController::prepareForSegue(segue, sender);
    if (segue.identifier() != ShellSegues::kToNewTaskGrid)
        return;
    if (auto grid = std::dynamic_pointer_cast<ShotGridEntry>(segue.destinationViewController())) {
        grid->setApplyTaskNO(m_submitted.applyNO);
        grid->setApplyTaskPhotoType(m_submitted.photoType);
    }
}

void TaskFormViewController::showDuplicateNotice()
{
    DropdownBanner::title(kNoticeTitle, kDuplicateNumberNotice);
}

void TaskFormViewController::showError(const std::string& message)
{
    auto alert = ModalAlertView::create();
    alert->showError(sharedAs<ui::ViewController>(), "提示", message, std::string("确定"), 0);
}
