#include "components/actionsheet/ActionSheetLayer.h"
#include "components/actionsheet/ActionSheetView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/components/actionsheet/ActionSheetTestSupport.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

using actionsheettest::RecordingDelegate;
using graphics::Color;
using graphics::Rect;

namespace {

class ActionSheetLayoutTest : public actionsheettest::ActionSheetTest {
protected:
    // Taps a button by a real touch at its centre.
    static void press(const ui::View& button)
    {
        auto bounds = button.bounds();
        ui::Application::shared().tap(button.convertPointToView({bounds.midX(), bounds.midY()}, nullptr));
    }
};

} // namespace

TEST_F(ActionSheetLayoutTest, APhoneSheetSitsAboveTheBottomEdgeAndSlidesInWithin022Seconds)
{
    auto chooser = section({"常规产品", "车抵贷"}, "产品类型选择", "请选择产品类型");
    auto sheet = ActionSheet::create({chooser});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    sheet->showInView(root, true);

    const double titleHeight = chooser->titleLabel()->frame().height();
    const double messageHeight = chooser->messageLabel()->frame().height();
    EXPECT_GT(titleHeight, 10);
    EXPECT_GT(messageHeight, 10);
    const double height = titleHeight + messageHeight + 2 * 40 + 25;
    EXPECT_RECT_EQ(chooser->frame(), 10, 10, 300, height);
    EXPECT_RECT_EQ(chooser->buttons()[1]->frame(), 5, titleHeight + messageHeight + 60, 290, 40);
    EXPECT_RECT_EQ(sheet->frame(), 0, 0, 320, 568);
    EXPECT_RECT_EQ(sheet->finalContentFrame(), 0, 568 - height - 20, 320, height + 20);
    EXPECT_EQ(chooser->backgroundColor(), Color::white());
    EXPECT_EQ(chooser->layer().cornerRadius(), 3);

    // It starts below the bottom edge with touches off, and the screen dims as it rises.
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent"}));
    EXPECT_TRUE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_EQ(sheet->superview(), root);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->scrollViewHost()->layer().presentation().frame().minY(), 568);
    runFor(0.2);
    EXPECT_EQ(delegate->calls.size(), 1u);
    EXPECT_GT(sheet->scrollViewHost()->layer().presentation().frame().minY(), 568 - height - 20);
    runFor(0.03);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent", "didPresent"}));
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_RECT_EQ(
        sheet->scrollViewHost()->layer().presentation().frame(), 0, 568 - height - 20, 320, height + 20);
    EXPECT_EQ(sheet->layer().presentation().backgroundColor, Color::black().withAlpha(0.3));
}

TEST_F(ActionSheetLayoutTest, ShowAndHideTimeGrowsWithTheSectionsWithinLimits)
{
    const std::pair<size_t, double> cases[] = {{1, 0.22}, {2, 0.24}, {3, 0.36}, {4, 0.45}, {5, 0.45}};
    for (auto [count, duration] : cases) {
        std::vector<std::shared_ptr<ActionSheetSection>> sections;
        for (size_t i = 0; i < count; ++i)
            sections.push_back(section({"A"}));
        auto sheet = ActionSheet::create(sections);
        EXPECT_NEAR(sheet->animationDuration(), duration, 1e-9) << count;
        auto delegate = std::make_shared<RecordingDelegate>();
        sheet->setDelegate(delegate);
        sheet->showInView(root, true);
        runFor(duration - 0.005);
        EXPECT_EQ(delegate->calls.size(), 1u) << count;
        runFor(0.01);
        EXPECT_EQ(delegate->calls.size(), 2u) << count;
        sheet->dismissAnimated(false);
    }
}

TEST_F(ActionSheetLayoutTest, PressesReportTheSectionAndRowToTheBlockThenTheDelegate)
{
    auto content = ui::View::create({0, 0, 10, 60});
    auto sheet = ActionSheet::create(
        {section({"A", "B"}), ActionSheetSection::sectionWithTitle("内容", std::nullopt, content),
            section({"C", "D", "E"}), ActionSheetSection::cancelSection()});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    sheet->setButtonPressedBlock([&](ActionSheet& pressed, ActionSheetIndexPath path) {
        EXPECT_EQ(&pressed, sheet.get());
        delegate->calls.push_back("block " + std::to_string(path.section) + "." + std::to_string(path.row));
    });
    sheet->showInView(root, false);
    for (size_t i = 0; i < sheet->sections().size(); ++i)
        EXPECT_EQ(sheet->sections()[i]->index(), i);
    EXPECT_RECT_EQ(content->frame(), 5, content->frame().minY(), 290, 60);
    EXPECT_TRUE(sheet->sections()[1]->buttons().empty());
    EXPECT_EQ(sheet->sections()[3]->buttons()[0]->titleLabel()->font(), graphics::Font::boldSystemFont(15));
    EXPECT_EQ(sheet->sections()[3]->buttons()[0]->currentTitle(), "Cancel");
    delegate->calls.clear();

    press(*sheet->sections()[2]->buttons()[1]);
    press(*sheet->sections()[0]->buttons()[0]);
    press(*sheet->sections()[3]->buttons()[0]);
    EXPECT_EQ(delegate->calls,
        (std::vector<std::string> {
            "block 2.1", "pressed 2.1", "block 0.0", "pressed 0.0", "block 3.0", "pressed 3.0"}));
    EXPECT_TRUE(sheet->isVisible()); // a press alone does not close the sheet
}

TEST_F(ActionSheetLayoutTest, ABlockThatDismissesMakesWillDismissComeBeforeThePress)
{
    auto sheet = ActionSheet::create({section({"拆密封条-方案1", "不拆密封条-方案2"})});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    sheet->setButtonPressedBlock(
        [](ActionSheet& pressed, ActionSheetIndexPath) { pressed.dismissAnimated(true); });
    sheet->showInView(root, true);
    runFor(0.3);
    std::weak_ptr<ActionSheet> weak = sheet;
    auto button = sheet->sections()[0]->buttons()[1];
    sheet.reset(); // the view it is shown in keeps it

    press(*button);
    EXPECT_EQ(delegate->calls,
        (std::vector<std::string> {"willPresent", "didPresent", "willDismiss", "pressed 0.1"}));
    EXPECT_TRUE(ui::Application::shared().isIgnoringInteractionEvents());
    runFor(0.23);
    EXPECT_EQ(delegate->calls.back(), "didDismiss");
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_TRUE(root->subviews().empty());
    EXPECT_TRUE(weak.expired());
}

TEST_F(ActionSheetLayoutTest, UnanimatedShowAndDismissReportBeforeReturningAndCanRepeat)
{
    auto sheet = ActionSheet::create({section({"A"})});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    for (int round = 0; round < 2; ++round) {
        delegate->calls.clear();
        sheet->showInView(root, false);
        EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent", "didPresent"}));
        EXPECT_EQ(sheet->backgroundColor(), Color::black().withAlpha(0.3));
        sheet->dismissAnimated(false);
        EXPECT_EQ(delegate->calls,
            (std::vector<std::string> {"willPresent", "didPresent", "willDismiss", "didDismiss"}));
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(sheet->superview(), nullptr);
        EXPECT_EQ(sheet->backgroundColor(), Color::clear());
        EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
    }
}

TEST_F(ActionSheetLayoutTest, RepeatedShowsAndDismissalsAreIgnored)
{
    auto sheet = ActionSheet::create({section({"A"})});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    sheet->dismissAnimated(false); // never shown
    EXPECT_TRUE(delegate->calls.empty());

    sheet->showInView(root, true);
    sheet->showInView(root, true);
    runFor(0.3);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent", "didPresent"}));
    EXPECT_EQ(root->subviews().size(), 1u);

    sheet->dismissAnimated(true);
    sheet->dismissAnimated(true);
    runFor(0.3);
    EXPECT_EQ(delegate->calls,
        (std::vector<std::string> {"willPresent", "didPresent", "willDismiss", "didDismiss"}));
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
}

TEST_F(ActionSheetLayoutTest, ButtonStylesFollowTheTable)
{
    struct Case {
        unsigned style;
        Color title;
        Color normal;
        Color highlighted;
        bool bold;
    };
    auto rgb = [](int r, int g, int b) { return Color::rgba(r / 255.0, g / 255.0, b / 255.0); };
    const Case cases[] = {
        {0, Color::black(), Color::white(0.95), Color::white(0.9), false},
        {1, Color::black(), Color::white(0.95), Color::white(0.9), true},
        {2, Color::white(), rgb(231, 76, 60), rgb(192, 57, 43), false},
        {3, Color::white(), rgb(46, 204, 113), rgb(39, 174, 96), false},
        {4, Color::white(), rgb(52, 152, 219), rgb(41, 128, 185), false},
    };
    // The 1 x 1 point background is an opaque pixel of the colour at scale 2.
    auto pixelOf = [](const std::shared_ptr<graphics::Image>& image) {
        uint32_t p = image->pixel(1, 1);
        return std::array<int, 3> {int(p >> 16 & 0xff), int(p >> 8 & 0xff), int(p & 0xff)};
    };
    // Within one step of 255: the drawing library rounds its own way.
    auto near = [](std::array<int, 3> a, std::array<int, 3> b) {
        return std::abs(a[0] - b[0]) <= 1 && std::abs(a[1] - b[1]) <= 1 && std::abs(a[2] - b[2]) <= 1;
    };
    auto expected = [](Color c) {
        return std::array<int, 3> {
            int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
    };
    auto chooser = section({"A", "B"});
    for (const auto& c : cases) {
        chooser->setButtonStyle(c.style, 1);
        auto& button = *chooser->buttons()[1];
        EXPECT_EQ(button.titleColorForState(ui::ControlState::Normal), c.title) << c.style;
        EXPECT_EQ(button.titleLabel()->font().isBold(), c.bold) << c.style;
        EXPECT_EQ(button.titleLabel()->font().pointSize(), 15) << c.style;
        auto normal = button.backgroundImageForState(ui::ControlState::Normal);
        ASSERT_TRUE(normal);
        EXPECT_EQ(normal->size(), (graphics::Size {1, 1}));
        EXPECT_TRUE(near(pixelOf(normal), expected(c.normal))) << c.style;
        EXPECT_EQ(
            pixelOf(button.backgroundImageForState(ui::ControlState::Highlighted)), expected(c.highlighted));
        EXPECT_EQ(button.layer().borderColor(), c.highlighted) << c.style;
        EXPECT_EQ(button.layer().cornerRadius(), 2);
        EXPECT_EQ(button.layer().borderWidth(), 1);
    }
    chooser->setButtonStyle(7, 1);
    EXPECT_EQ(chooser->buttons()[1]->titleColorForState(ui::ControlState::Normal), std::nullopt);
    EXPECT_EQ(chooser->buttons()[1]->backgroundImageForState(ui::ControlState::Normal), nullptr);
    EXPECT_EQ(chooser->buttons()[0]->titleColorForState(ui::ControlState::Normal), Color::black());
}

TEST_F(ActionSheetLayoutTest, AStyleForAMissingButtonIsLoggedAndIgnored)
{
    auto single = section({"不拆密封条-方案2"});
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    single->setButtonStyle(2, 1);
    EXPECT_TRUE(log.contains("ERROR: Index out of bounds"));
    EXPECT_EQ(single->buttons()[0]->titleColorForState(ui::ControlState::Normal), Color::black());
}

TEST_F(ActionSheetLayoutTest, ATapOnTheDimmedAreaNeedsAnOutsidePressBlock)
{
    auto sheet = ActionSheet::create({section({"A"})});
    sheet->showInView(root, false);
    runFor(0.1);
    ui::Application::shared().tap({160, 100});
    runFor(0.5);
    EXPECT_NE(sheet->tapRecognizer()->state(), ui::GestureState::Ended);
    EXPECT_EQ(sheet->gestureRecognizerShouldBegin(*sheet->tapRecognizer()), false);
    EXPECT_TRUE(sheet->isVisible());

    int outside = 0;
    sheet->setOutsidePressBlock([&](ActionSheet& tapped) {
        ++outside;
        tapped.dismissAnimated(false);
    });
    ui::Application::shared().tap(
        sheet->sections()[0]->convertPointToView({20, 3}, nullptr)); // the card, not a button
    runFor(0.5);
    EXPECT_EQ(outside, 0);
    ui::Application::shared().tap({160, 100});
    runFor(0.5);
    EXPECT_EQ(outside, 1);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(ActionSheetLayoutTest, ContentTallerThanTheScreenScrollsFromTheBottom)
{
    std::vector<std::shared_ptr<ActionSheetSection>> sections;
    for (int i = 0; i < 8; ++i)
        sections.push_back(section({"A", "B"}));
    auto sheet = ActionSheet::create(sections);
    sheet->showInView(root, false);
    const double content = 10 + 8 * (2 * 40 + 15 + 10); // sections of 95 and gaps of 10
    EXPECT_EQ(sheet->scrollView()->contentSize(), (graphics::Size {320, content}));
    EXPECT_RECT_EQ(sheet->scrollViewHost()->frame(), 0, 0, 320, 568);
    EXPECT_NEAR(sheet->scrollView()->contentOffset().y, content - 568, 1e-9);
}

TEST_F(ActionSheetLayoutTest, AMessageWrapsWithinTheSectionAndIsCutAtItsWidth)
{
    auto shortOne = section({}, std::nullopt, "一行");
    // 40 full-width characters of 12 points: 24 fit in the 290-point line, so two lines.
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += "请";
    auto wrapped = section({}, std::nullopt, forty);
    auto endless = section({}, std::nullopt, std::string(4000, 'z'));
    const double line = shortOne->layoutForWidth(300).height() - 10;
    EXPECT_GT(line, 10);
    EXPECT_NEAR(wrapped->layoutForWidth(300).height() - 10, 2 * line, 2);
    EXPECT_RECT_EQ(endless->layoutForWidth(300), 0, 0, 300, 300 + 10); // at most as tall as it is wide
    EXPECT_RECT_EQ(endless->messageLabel()->frame(), 5, 5, 290, 300);
}

TEST_F(ActionSheetLayoutTest, InsetsShrinkTheArea)
{
    auto sheet = ActionSheet::create({section({"A"})});
    sheet->setInsets({0, 20, 30, 20});
    sheet->showInView(root, false);
    EXPECT_RECT_EQ(sheet->scrollViewHost()->frame(), 20, 568 - 30 - 70, 280, 70);
    EXPECT_RECT_EQ(sheet->sections()[0]->frame(), 10, 10, 260, 50);
}

TEST_F(ActionSheetLayoutTest, ATabletShowsACentredColumnThatFades)
{
    makeScreen(true);
    auto sheet = ActionSheet::create({section({"A"}), section({"B", "C"})});
    auto delegate = std::make_shared<RecordingDelegate>();
    sheet->setDelegate(delegate);
    sheet->showInView(root, true);
    const double content = 10 + 50 + 10 + 95 + 10;
    EXPECT_RECT_EQ(sheet->finalContentFrame(), 224, (1024 - content) / 2, 320, content);
    EXPECT_RECT_EQ(sheet->sections()[1]->frame(), 10, 70, 300, 95);
    EXPECT_EQ(sheet->scrollViewHost()->alpha(), 1);
    EXPECT_EQ(sheet->scrollViewHost()->layer().presentation().opacity, 0);
    runFor(0.29);
    EXPECT_EQ(delegate->calls.size(), 1u);
    runFor(0.02);
    EXPECT_EQ(delegate->calls.size(), 2u);
    sheet->dismissAnimated(true);
    runFor(0.31);
    EXPECT_EQ(delegate->calls.back(), "didDismiss");
}

TEST_F(ActionSheetLayoutTest, ATurnOfTheDeviceLaysTheSheetOutForTheTurnedScreen)
{
    auto target = turningScreen();
    auto sheet = ActionSheet::create({section({"A", "B"})});
    std::vector<size_t> pressed;
    sheet->setButtonPressedBlock([&](ActionSheet& s, ActionSheetIndexPath path) {
        pressed.push_back(path.row);
        s.dismissAnimated(true);
    });
    sheet->showInView(target, true);
    runFor(0.3);

    turnDevice(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_TRUE(ActionSheetLayer::keepsPlatformCurve());
    runFor(0.31);
    EXPECT_FALSE(ActionSheetLayer::keepsPlatformCurve());
    EXPECT_RECT_EQ(sheet->frame(), 0, 0, 568, 320);

    // The section stands 10 points above the turned screen's bottom, the rest of it dimmed.
    auto probe = mivo::test::PixelProbe::screen();
    auto sectionShown = probe.boundingBox(Color::white());
    ASSERT_TRUE(sectionShown);
    actionsheettest::expectShownAt(*sectionShown, onScreen(*target, {10, 320 - 10 - 95, 548, 95}));
    const Color dimmed = Color::white(0.7);
    for (graphics::Point corner : {graphics::Point {5, 25}, {563, 25}, {563, 200}, {5, 200}})
        EXPECT_TRUE(probe.covers(target->convertPointToView(corner, nullptr), dimmed)) << corner.x;

    // Its buttons are on the screen and take a tap.
    auto& button = *sheet->sections()[0]->buttons()[1];
    graphics::Point centre
        = button.convertPointToView({button.bounds().midX(), button.bounds().midY()}, nullptr);
    EXPECT_TRUE(ui::Screen::mainScreen().bounds().contains(centre));
    ui::Application::shared().tap(centre);
    EXPECT_EQ(pressed, std::vector<size_t> {1});
    runFor(0.3);
    EXPECT_FALSE(sheet->isVisible());

    // Once gone, it no longer follows the turns.
    turnDevice(ui::DeviceOrientation::Portrait);
    runFor(0.31);
    EXPECT_RECT_EQ(sheet->frame(), 0, 0, 568, 320);
}

TEST_F(ActionSheetLayoutTest, TheSheetsLayersRunOnTheirOwnCurveUnlessTheFlagIsSet)
{
    auto host = ActionSheetView::create({0, 0, 10, 10});
    auto plain = ui::View::create({0, 0, 10, 10});
    ui::View::animate(0.3, [&] {
        host->setAlpha(0.5);
        plain->setAlpha(0.5);
    });
    EXPECT_EQ(host->layer().animationForKey("opacity")->timingFunction(), ActionSheetLayer::kCurve);
    EXPECT_NE(plain->layer().animationForKey("opacity")->timingFunction(), ActionSheetLayer::kCurve);

    ActionSheetLayer::setKeepsPlatformCurve(true);
    ui::View::animate(0.3, [&] { host->setAlpha(1); });
    ActionSheetLayer::setKeepsPlatformCurve(false);
    EXPECT_EQ(
        host->layer().animationForKey("opacity")->timingFunction(), ui::TimingFunction::easeInEaseOut());
}
