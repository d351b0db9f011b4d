#include "components/popup/Popup.h"
#include "platform/foundation/Exception.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerState.h"
#include "tests/components/popup/PopupTestSupport.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>

using foundation::Array;
using foundation::Value;

namespace {

using popuptest::PopupTest;
using popuptest::RecordingDelegate;

std::vector<std::string> placeholders(size_t count)
{
    std::vector<std::string> names {"一", "二", "三", "四"};
    return {names.begin(), names.begin() + long(count)};
}

void tapButton(const std::shared_ptr<ui::Button>& button)
{
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
}

template<class F> void expectException(F&& call, const std::string& name, const std::string& reason)
{
    try {
        call();
        ADD_FAILURE() << "no exception";
    } catch (const foundation::Exception& e) {
        EXPECT_EQ(e.name, name);
        EXPECT_EQ(e.reason, reason);
    }
}

TEST_F(PopupTest, LaysOutTitleSubtitleFieldsAndButtonsByFieldCount)
{
    const struct {
        size_t fields;
        double subtitleHeight;
        std::vector<double> fieldYs;
    } table[] = {
        {0, 188, {}},
        {1, 92.6, {156}},
        {2, 89, {153, 189}},
        {3, 62, {126, 162, 198}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.fields);
        auto popup
            = Popup::create("标题", "副标题", placeholders(row.fields), "取消", "确认", nullptr, nullptr);
        EXPECT_RECT_EQ(popup->frame(), 0, 0, 320, 568);
        EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 134, 300, 300);
        EXPECT_RECT_EQ(popup->titleLabel()->frame(), 8, 8, 284, 40);
        EXPECT_RECT_EQ(popup->subTitleLabel()->frame(), 8, 56, 284, row.subtitleHeight);
        ASSERT_EQ(popup->textFields().size(), row.fieldYs.size());
        for (size_t i = 0; i < row.fieldYs.size(); ++i) {
            auto& field = popup->textFields()[i];
            EXPECT_RECT_EQ(field->frame(), 8, row.fieldYs[i], 284, 28);
            EXPECT_EQ(field->tag(), int64_t(i + 1));
            EXPECT_EQ(field->returnKeyType(),
                i + 1 == row.fields ? ui::ReturnKeyType::Done : ui::ReturnKeyType::Next);
            EXPECT_EQ(field->keyboardAppearance(), ui::KeyboardAppearance::Dark);
            EXPECT_EQ(field->autocorrectionType(), ui::TextAutocorrectionType::No);
        }
        EXPECT_RECT_EQ(popup->cancelButton()->frame(), 8, 252, 138, 40);
        EXPECT_RECT_EQ(popup->successButton()->frame(), 154, 252, 138, 40);
    }
    auto alone = Popup::create(std::nullopt, std::nullopt, std::nullopt, "确认");
    EXPECT_EQ(alone->titleLabel(), nullptr);
    EXPECT_EQ(alone->cancelButton(), nullptr);
    EXPECT_RECT_EQ(alone->successButton()->frame(), 8, 252, 284, 40);
    auto cancelOnly = Popup::create(std::nullopt, std::nullopt, "取消", std::nullopt);
    EXPECT_RECT_EQ(cancelOnly->cancelButton()->frame(), 8, 252, 284, 40);
}

TEST_F(PopupTest, MoreThanThreeFieldsIsRefused)
{
    expectException([] { Popup::create("t", "s", placeholders(4), "c", "o", nullptr, nullptr); },
        "Array exceeds limit.",
        "Popups can only have at most 3 fields! TextFieldPlaceholderArray exceeds this limit. ¯|_(ツ)_/¯ ");
}

TEST_F(PopupTest, KeyboardNamesAndTheirMisuse)
{
    const struct {
        const char* name;
        ui::KeyboardType type;
    } table[] = {
        {"", ui::KeyboardType::Default},
        {"DEFAULT", ui::KeyboardType::Default},
        {"ASCIICAPABLE", ui::KeyboardType::ASCIICapable},
        {"NUMBERSANDPUNCTUATION", ui::KeyboardType::NumbersAndPunctuation},
        {"URL", ui::KeyboardType::URL},
        {"NUMBER", ui::KeyboardType::NumberPad},
        {"PHONE", ui::KeyboardType::PhonePad},
        {"NAMEPHONE", ui::KeyboardType::NamePhonePad},
        {"EMAIL", ui::KeyboardType::EmailAddress},
        {"DECIMAL", ui::KeyboardType::DecimalPad},
        {"TWITTER", ui::KeyboardType::Twitter},
        {"WEBSEARCH", ui::KeyboardType::WebSearch},
        {"number", ui::KeyboardType::Default},
    };
    auto popup = Popup::create("t", "s", placeholders(1), "c", "o", nullptr, nullptr);
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Popup::getKeyboardTypeFromString(row.name), row.type);
        if (std::string(row.name) != "number") {
            popup->setKeyboardTypeForTextFields(Array {Value(row.name)});
            EXPECT_EQ(popup->textFields()[0]->keyboardType(), row.type);
        }
    }
    expectException([&] { popup->setKeyboardTypeForTextFields(Array {Value(int64_t(4))}); },
        "Not a valid textfield class type.", "Keyboard type needs to be of type NSString.");
    expectException(
        [&] {
            popup->setKeyboardTypeForTextFields(Array {Value("NUMBER"), Value("number")});
        },
        "Not a valid textfield type.",
        "Keyboard type needs to be of type NSString and either: , DEFAULT, ASCIICAPABLE, "
        "NUMBERSANDPUNCTUATION, "
        "URL, NUMBER, PHONE, NAMEPHONE, EMAIL, DECIMAL, TWITTER, WEBSEARCH");
    EXPECT_EQ(popup->textFields()[0]->keyboardType(), ui::KeyboardType::NumberPad);
    expectException([&] { popup->setKeyboardTypeForTextFields(Array(4, Value("EMAIL"))); },
        "Array exceeds limit.",
        "Popups can only have at most 3 fields, KeyboardTypeArray exceeds this limit.");
}

TEST_F(PopupTest, FieldTypesAndTheirMisuse)
{
    auto popup = Popup::create("t", "s", placeholders(2), "c", "o", nullptr, nullptr);
    popup->setTextFieldTypeForTextFields(Array {Value(""), Value("PASSWORD")});
    EXPECT_FALSE(popup->textFields()[0]->isSecureTextEntry());
    EXPECT_TRUE(popup->textFields()[1]->isSecureTextEntry());
    expectException([&] { popup->setTextFieldTypeForTextFields(Array {Value(true)}); },
        "Not a valid textfield class type.", "TextField type needs to be of type NSString.");
    expectException([&] { popup->setTextFieldTypeForTextFields(Array {Value("SECRET")}); },
        "Not a valid textfield type.",
        "TextField type needs to be of type NSString and either: , DEFAULT, PASSWORD");
    // Plain entries past the third are let through; a password there is not.
    popup->setTextFieldTypeForTextFields(Array(5, Value("DEFAULT")));
    expectException([&] { popup->setTextFieldTypeForTextFields(Array(4, Value("PASSWORD"))); },
        "Array exceeds limit.",
        "Popups can only have at most 3 fields, TextFieldTypeArray exceeds this limit.");
}

TEST_F(PopupTest, NoPlaceholderArrayMeansNoKeyboardMachinery)
{
    auto none = Popup::create("t", "s", "c", "o");
    EXPECT_FALSE(none->hasKeyboardObserver());
    EXPECT_TRUE(none->popupView()->gestureRecognizers().empty());
    auto empty = Popup::create("t", "s", std::vector<std::string> {}, "c", "o", nullptr, nullptr);
    EXPECT_TRUE(empty->hasKeyboardObserver());
    EXPECT_EQ(empty->popupView()->gestureRecognizers().size(), 1u);
    EXPECT_TRUE(empty->textFields().empty());

    auto delegate = std::make_shared<RecordingDelegate>();
    for (auto& popup : {none, empty}) {
        popup->setDelegate(delegate);
        popup->showPopup();
        tapButton(popup->successButton());
        runFor(0.5);
    }
    for (auto& call : delegate->calls)
        EXPECT_NE(call, "strings");
}

TEST_F(PopupTest, OnlyADelegateThatAsksForTheStringsPutsKeysInTheSharedDictionary)
{
    // Answers the button press but not the strings.
    struct PressOnly final : PopupDelegate {
        bool popupPressButton(Popup&, PopupButtonType) override { return true; }
    };
    auto silent = Popup::create("t", "s", std::vector<std::string> {"车牌"}, "c", "o", nullptr, nullptr);
    auto pressOnly = std::make_shared<PressOnly>();
    silent->setDelegate(pressOnly);
    silent->showPopup();
    silent->textFields()[0]->setText("沪A12345");
    tapButton(silent->successButton());
    runFor(0.5);

    auto delegate = std::make_shared<RecordingDelegate>();
    auto asking = Popup::create("t", "s", std::vector<std::string> {"里程"}, "c", "o", nullptr, nullptr);
    asking->setDelegate(delegate);
    asking->showPopup();
    asking->textFields()[0]->setText("12");
    tapButton(asking->cancelButton());
    EXPECT_EQ(delegate->lastFields, (PopupDelegate::FieldDictionary {{"里程", "12"}}));
    // What an asking delegate was handed stays for the next one.
    EXPECT_EQ(asking->createDictionaryForTextfields(), delegate->lastFields);
}

TEST_F(PopupTest, ABlockTakesThePlaceOfPressAndDidDisappear)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    int successes = 0;
    auto withBlock = Popup::create("t", "s", "c", "o", nullptr, [&] { ++successes; });
    withBlock->setDelegate(delegate);
    withBlock->showPopup();
    runFor(0.1);
    tapButton(withBlock->successButton());
    runFor(0.5);
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willAppear", "didAppear", "willDisappear:0"}));

    delegate->calls.clear();
    auto without = Popup::create("t", "s", "c", "o");
    without->setDelegate(delegate);
    without->showPopup();
    runFor(0.1);
    tapButton(without->successButton());
    runFor(0.5);
    EXPECT_EQ(delegate->calls,
        (std::vector<std::string> {
            "willAppear", "didAppear", "press:0", "willDisappear:0", "didDisappear:0"}));
    EXPECT_EQ(without->superview(), nullptr);
}

TEST_F(PopupTest, ServerAddressUseHandsTheStringsOverBeforeTheBlockRuns)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    std::vector<std::string> order;
    auto popup = Popup::create(
        "系统配置", "请分别输入服务器对应的IP地址和端口号",
        std::vector<std::string> {"服务器的IP地址", "服务器的端口号"}, "取消", "确认", "http://10.0.0.1",
        "8080", [] {}, [&] { order.push_back("success block"); });
    popup->setKeyboardTypeForTextFields(Array {Value("DEFAULT"), Value("NUMBER")});
    popup->setRoundedCorners(true);
    popup->setDelegate(delegate);
    popup->showPopup();
    EXPECT_EQ(popup->superview(), window);
    EXPECT_EQ(popup->backgroundView(), nullptr);
    EXPECT_EQ(popup->textFields()[0]->text(), "http://10.0.0.1");
    EXPECT_EQ(popup->textFields()[1]->text(), "8080");
    runFor(0.1);

    ASSERT_TRUE(popup->textFields()[1]->becomeFirstResponder());
    popup->textFields()[1]->insertText("1x");
    EXPECT_EQ(popup->textFields()[1]->text(), "80801");
    tapButton(popup->successButton());
    ASSERT_TRUE(delegate->lastTexts);
    EXPECT_EQ(*delegate->lastTexts, (std::vector<std::string> {"http://10.0.0.1", "80801"}));
    EXPECT_TRUE(order.empty());
    runFor(0.2);
    EXPECT_TRUE(order.empty());
    EXPECT_NEAR(popup->popupView()->layer().presentation().transform.a, 0.65, 0.1);
    runFor(0.1);
    EXPECT_EQ(order, (std::vector<std::string> {"success block"}));
    EXPECT_EQ(popup->superview(), nullptr);

    // A second popup sees the first one's keys in the shared dictionary.
    auto second = Popup::create("t", "s", std::vector<std::string> {"其他"}, "c", "o", nullptr, nullptr);
    second->setDelegate(delegate);
    second->showPopup();
    tapButton(second->cancelButton());
    EXPECT_EQ(delegate->lastFields.count("服务器的IP地址"), 1u);
    EXPECT_EQ(delegate->lastFields.count("其他"), 1u);
}

TEST_F(PopupTest, IncomingTransitionsStartWhereTheirRowSaysAndEndCentred)
{
    const struct {
        uint64_t number;
        double x, y, alpha, scale, duration;
    } table[] = {
        {1, 10, 134, 1, 0.4, 0.35},
        {2, -300, 134, 1, 1, 0.125},
        {3, 10, -300, 1, 1, 0.125},
        {4, 10, 868, 1, 1, 0.125},
        {5, 620, 134, 1, 1, 0.125},
        {6, 10, 134, 0, 0.75, 0.25},
        {0, 10, 134, 0, 1, 0.05},
        {7, 10, 134, 0, 1, 0.05},
        {8, 10, -300, 1, 1, 0.4},
        {9, 10, 134, 0, 1, 0.5},
        {10, 10, 134, 0, 1.25, 0.25},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.number);
        auto delegate = std::make_shared<RecordingDelegate>();
        auto popup = Popup::create("t", "s", "c", "o");
        popup->setDelegate(delegate);
        popup->setIncomingTransition(row.number);
        popup->showPopup();
        const ui::LayerState& shown = popup->popupView()->layer().presentation();
        EXPECT_NEAR(shown.transform.a, row.scale, 1e-9);
        EXPECT_NEAR(shown.opacity, row.alpha, 1e-9);
        if (row.scale == 1)
            EXPECT_RECT_EQ(shown.frame(), row.x, row.y, 300, 300);
        runFor(row.duration - 0.01);
        EXPECT_EQ(delegate->calls.size(), 1u);
        runFor(0.02);
        EXPECT_EQ(delegate->calls.back(), "didAppear");
        EXPECT_RECT_EQ(popup->popupView()->layer().presentation().frame(), 10, 134, 300, 300);
        EXPECT_NEAR(popup->popupView()->layer().presentation().opacity, 1, 1e-9);
        popup->removeFromSuperview();
    }
    auto unknown = Popup::create("t", "s", "c", "o");
    auto delegate = std::make_shared<RecordingDelegate>();
    unknown->setDelegate(delegate);
    unknown->setIncomingTransition(11);
    unknown->showPopup();
    runFor(1);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willAppear"}));
}

TEST_F(PopupTest, OutgoingTransitionsEndAfterTheirTime)
{
    const struct {
        uint64_t number;
        double duration;
        double endX, endY; // NAN: stays centred
    } table[] = {
        {1, 0.2, 10, 134},
        {2, 0.125, -300, 134},
        {3, 0.125, 10, -300},
        {4, 0.125, 10, 868},
        {5, 0.125, 620, 134},
        {6, 0.2, 10, 134},
        {7, 0.25, 10, 134},
        {8, 0.35, 10, 868}, // the spring back to the centre has nothing to do here
        {9, 0.5, 10, 134},
        {10, 0.25, 10, 134},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.number);
        int cancels = 0;
        auto popup = Popup::create(
            "t", "s", "c", "o", [&] { ++cancels; }, nullptr);
        popup->setBackgroundBlurType(1);
        popup->setOutgoingTransition(row.number);
        popup->showPopup();
        runFor(0.2);
        tapButton(popup->cancelButton());
        runFor(row.duration - 0.02);
        EXPECT_EQ(cancels, 0);
        EXPECT_EQ(popup->superview(), window);
        runFor(0.04);
        EXPECT_EQ(cancels, 1);
        EXPECT_EQ(popup->superview(), nullptr);
        EXPECT_EQ(popup->backgroundView()->alpha(), 0);
        graphics::Point centre = popup->popupView()->center();
        EXPECT_NEAR(centre.x, row.endX + 150, 1e-6);
        EXPECT_NEAR(centre.y, row.endY + 150, 1e-6);
    }
    int cancels = 0;
    auto stuck = Popup::create(
        "t", "s", "c", "o", [&] { ++cancels; }, nullptr);
    stuck->setBackgroundBlurType(0);
    stuck->setOutgoingTransition(11);
    stuck->showPopup();
    runFor(0.2);
    tapButton(stuck->cancelButton());
    runFor(2);
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(stuck->superview(), window);
    EXPECT_EQ(stuck->backgroundView()->alpha(), 0);
}

TEST_F(PopupTest, BackgroundTapDismissesAsCancelOnlyWithABackground)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto bare = Popup::create("t", "s", "c", "o");
    bare->setTapBackgroundToDismiss(true);
    EXPECT_EQ(bare->backgroundView(), nullptr);

    auto popup = Popup::create("t", "s", "c", "o");
    popup->setBackgroundBlurType(2);
    popup->setTapBackgroundToDismiss(true);
    popup->setDelegate(delegate);
    popup->showPopup();
    runFor(0.2);
    EXPECT_EQ(popup->backgroundView()->alpha(), 1);
    ui::Application::shared().tap({160, 20});
    runFor(0.3);
    EXPECT_EQ(popup->superview(), nullptr);
    EXPECT_EQ(delegate->calls.back(), "didDisappear:1");
}

TEST_F(PopupTest, SwipeNoticeGoesOutOncePerProcess)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    for (int round = 0; round < 2; ++round) {
        auto popup = Popup::create("t", "s", "c", "o");
        popup->setSwipeToDismiss(true);
        popup->setDelegate(delegate);
        popup->showPopup();
        runFor(0.2);
        auto& app = ui::Application::shared();
        auto touch = app.touchDown({160, 200});
        for (int step = 1; step <= 5; ++step) {
            runFor(0.016);
            app.touchMoved(touch, {160, 200 + 20.0 * step});
        }
        app.touchUp(touch, {160, 300});
        runFor(2);
        EXPECT_EQ(popup->superview(), nullptr);
    }
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "willDisappear:1"), 1);
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "didDisappear:1"), 2);
    EXPECT_TRUE(Popup::swipeNoticeWasSent());
}

TEST_F(PopupTest, EditingLiftsTheBoxAndReturnMovesOn)
{
    auto popup = Popup::create("t", "s", placeholders(2), "c", "o", nullptr, nullptr);
    popup->showPopup();
    runFor(0.1);
    auto first = popup->textFields()[0];
    auto second = popup->textFields()[1];
    ASSERT_TRUE(first->becomeFirstResponder());
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 38, 300, 300);
    EXPECT_EQ(Popup::sharedKeyboardHeight(), 216);
    first->returnKey();
    EXPECT_TRUE(second->isFirstResponder());
    second->returnKey();
    EXPECT_FALSE(second->isFirstResponder());
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 134, 300, 300);
}

} // namespace

namespace {

TEST_F(PopupTest, OutgoingEightSpringsAShiftedBoxBackBeforeDroppingIt)
{
    int cancels = 0;
    auto popup = Popup::create(
        "t", "s", placeholders(1), "c", "o", [&] { ++cancels; }, nullptr);
    popup->setOutgoingTransition(8);
    showLiftedAboveTheKeyboard(popup);
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 38, 300, 300);
    popup->dismissPopup(5); // as a background tap: cancel, the box still above the keyboard
    runFor(0.1);
    EXPECT_EQ(cancels, 0);
    runFor(0.01);
    EXPECT_NEAR(popup->popupView()->layer().presentation().frame().minY(), 134, 5);
    runFor(0.3);
    EXPECT_EQ(cancels, 0);
    runFor(0.06);
    EXPECT_EQ(cancels, 1);
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 868, 300, 300);
}

TEST_F(PopupTest, OutgoingEightAfterAButtonPressSpringsTheLiftedBoxBackThenDropsIt)
{
    const auto green = graphics::Color::green();
    int successes = 0;
    auto popup = Popup::create("t", "s", placeholders(1), "c", "o", nullptr, [&] { ++successes; });
    popup->setBackgroundColor(green);
    popup->setBorderColor(green);
    popup->setOutgoingTransition(8);
    showLiftedAboveTheKeyboard(popup);
    EXPECT_RECT_EQ(popup->popupView()->frame(), 10, 38, 300, 300);
    tapButton(popup->successButton());
    const double pressedAt = now();

    // The box is drawn where it is shown, at full size, on its way down from y 38.
    auto drawnAt = [&](double top) {
        auto drawn = mivo::test::PixelProbe::screen().boundingBox(green);
        return mivo::test::boxNear(drawn, graphics::Rect {10, top, 300, 300}.intersection(window->bounds()));
    };
    runFor(0.005);
    double top = popup->popupView()->layer().presentation().frame().minY();
    EXPECT_GT(top, 40);
    EXPECT_LT(top, 125);
    EXPECT_TRUE(drawnAt(top));
    // The weak damping carries it past the centre within the 0.1 s.
    double lowest = top;
    for (int step = 0; step < 20; ++step) {
        runFor(0.004);
        lowest = std::max(lowest, popup->popupView()->layer().presentation().frame().minY());
    }
    EXPECT_GT(lowest, 140);
    runFor(pressedAt + 0.1 - now());
    EXPECT_EQ(successes, 0);

    // Then it drops from the centre in 0.35 s.
    runFor(0.175);
    top = popup->popupView()->layer().presentation().frame().minY();
    EXPECT_GT(top, 200);
    EXPECT_LT(top, 560);
    EXPECT_TRUE(drawnAt(top));
    EXPECT_EQ(successes, 0);
    runFor(0.18);
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(popup->superview(), nullptr);
}

} // namespace

namespace {

TEST_F(PopupTest, TheKeyboardShiftDependsOnTheScreenHeight)
{
    const struct {
        double width, height;
        double shiftedY; // NAN: the box stays
    } table[] = {
        {320, 480, 240 - 216 - 70.0},
        {320, 568, 284 - 216 - 30.0},
        {768, 1024, 512 - 216.0},
        {320, 500, NAN},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.height);
        ui::Screen::mainScreen().setSize({row.width, row.height});
        auto popup = Popup::create("t", "s", placeholders(1), "c", "o", nullptr, nullptr);
        popup->showPopup();
        runFor(0.1);
        double centred = row.height / 2 - 150;
        ASSERT_TRUE(popup->textFields()[0]->becomeFirstResponder());
        double expected = std::isnan(row.shiftedY) ? centred : row.shiftedY;
        EXPECT_RECT_EQ(popup->popupView()->frame(), row.width / 2 - 150, expected, 300, 300);
        popup->dismissKeyboards();
        EXPECT_RECT_EQ(popup->popupView()->frame(), row.width / 2 - 150, centred, 300, 300);
        popup->removeFromSuperview();
    }
    ui::Screen::mainScreen().usePhoneProfile();
}

} // namespace

TEST_F(PopupTest, ASwipeReleasedAtRestOnTheLineStillEnds)
{
    int cancels = 0;
    auto popup = Popup::create(
        "t", "s", "c", "o", [&] { ++cancels; }, nullptr);
    popup->setSwipeToDismiss(true);
    popup->showPopup();
    runFor(0.2);
    // Up from y 134 to exactly 50, held there until the finger has no speed left, then lifted.
    auto& app = ui::Application::shared();
    auto touch = app.touchDown({160, 200});
    for (int step = 1; step <= 4; ++step) {
        runFor(0.016);
        app.touchMoved(touch, {160, 200 - 21.0 * step});
    }
    ASSERT_EQ(popup->popupView()->frame().minY(), 50);
    runFor(0.5);
    app.touchUp(touch, {160, 116});
    runFor(1);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(popup->superview(), nullptr);
    EXPECT_NE(window->hitTest({160, 300}, nullptr).get(), popup.get());
}

TEST_F(PopupTest, MidWayThroughATransitionTheWholeBoxIsDrawn)
{
    const auto green = graphics::Color::green(), red = graphics::Color::red();
    auto make = [&](uint64_t incoming) {
        auto popup = Popup::create("t", "s", "c", "o");
        popup->setBackgroundColor(green);
        popup->setBorderColor(green);
        popup->setCancelBtnColor(red);
        popup->setIncomingTransition(incoming);
        popup->showPopup();
        return popup;
    };
    const graphics::Rect screen = window->bounds();

    // Growing from 0.4 of its size: box and buttons scaled about the centre.
    auto grows = make(1);
    runFor(0.04);
    double s = grows->popupView()->layer().presentation().transform.a;
    ASSERT_GT(s, 0.45);
    ASSERT_LT(s, 0.95);
    auto scaled = [&](graphics::Rect r) {
        return graphics::Rect {
            160 + (r.minX() - 150) * s, 284 + (r.minY() - 150) * s, r.width() * s, r.height() * s};
    };
    auto probe = mivo::test::PixelProbe::screen();
    EXPECT_TRUE(mivo::test::boxNear(probe.boundingBox(green), scaled({0, 0, 300, 300})));
    EXPECT_TRUE(mivo::test::boxNear(probe.boundingBox(red), scaled({8, 252, 138, 40})));
    grows->removeFromSuperview();

    // Sliding in from the left: the box at full size, where it stands now.
    auto slides = make(2);
    runFor(0.08);
    graphics::Rect box = slides->popupView()->layer().presentation().frame();
    ASSERT_GT(box.minX(), -140);
    ASSERT_LT(box.minX(), -10);
    probe = mivo::test::PixelProbe::screen();
    EXPECT_TRUE(mivo::test::boxNear(probe.boundingBox(green), box.intersection(screen)));
    EXPECT_TRUE(mivo::test::boxNear(probe.boundingBox(red),
        graphics::Rect {box.minX() + 8, box.minY() + 252, 138, 40}.intersection(screen)));
}
