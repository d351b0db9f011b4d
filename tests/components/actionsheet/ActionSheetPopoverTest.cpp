#include "components/actionsheet/ActionSheetLayer.h"
#include "components/actionsheet/ActionSheetTriangle.h"
#include "components/actionsheet/ActionSheetView.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ScrollView.h"
#include "tests/components/actionsheet/ActionSheetTestSupport.h"
#include "tests/support/PixelProbe.h"

#include <gtest/gtest.h>

using actionsheettest::RecordingDelegate;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr const char* kDoesNotFit = "WARNING: Action sheet does not fit within view bounds!";

// A tablet (768 x 1024) with a popover of two sections: one button, then two (panel 300 x 150).
class ActionSheetPopoverTest : public actionsheettest::ActionSheetTest {
protected:
    void SetUp() override
    {
        ActionSheetTest::SetUp();
        makeScreen(true);
        sheet = ActionSheet::create({section({"A"}), section({"B", "C"})});
        delegate = std::make_shared<RecordingDelegate>();
        sheet->setDelegate(delegate);
    }
    void TearDown() override
    {
        if (sheet->isVisible())
            sheet->dismissAnimated(false);
        sheet.reset();
        ActionSheetTest::TearDown();
    }

    Rect panel() const { return sheet->scrollViewHost()->frame(); }
    Rect arrow() const { return sheet->arrowView()->frame(); }

    static constexpr double kHeight = 50 + 10 + 95; // two sections, 10 apart, no outer margin
    std::shared_ptr<ActionSheet> sheet;
    std::shared_ptr<RecordingDelegate> delegate;
};

} // namespace

TEST_F(ActionSheetPopoverTest, EachDirectionPutsThePanelBesideThePointWithItsArrow)
{
    struct Case {
        unsigned direction;
        Rect panel;
        Rect arrow;
    };
    const Point p {384, 500};
    const Case cases[] = {
        {ActionSheet::Left, {394, 500 - kHeight / 2, 300, kHeight}, {384, 490, 10, 20}},
        {ActionSheet::Right, {74, 500 - kHeight / 2, 300, kHeight}, {374, 490, 10, 20}},
        {ActionSheet::Up, {234, 510, 300, kHeight}, {374, 500, 20, 10}},
        {ActionSheet::Down, {234, 500 - kHeight - 10, 300, kHeight}, {374, 490, 20, 10}},
    };
    for (const auto& c : cases) {
        foundation::LogCapture log(foundation::LogCapture::Echo::No);
        sheet->showFromPoint(p, root, c.direction, false);
        EXPECT_RECT_EQ(panel(), c.panel.minX(), c.panel.minY(), c.panel.width(), c.panel.height());
        EXPECT_RECT_EQ(arrow(), c.arrow.minX(), c.arrow.minY(), c.arrow.width(), c.arrow.height());
        EXPECT_TRUE(sheet->isAnchoredAtPoint());
        EXPECT_EQ(sheet->anchorPoint(), p);
        EXPECT_EQ(sheet->anchoredArrowDirection(), c.direction);
        EXPECT_FALSE(log.contains(kDoesNotFit)) << c.direction;
        // One continuous white panel: clear, flat sections directly under one another.
        EXPECT_RECT_EQ(sheet->sections()[1]->frame(), 0, 60, 300, 95);
        EXPECT_EQ(sheet->sections()[0]->backgroundColor(), graphics::Color::clear());
        EXPECT_EQ(sheet->scrollViewHost()->backgroundColor(), graphics::Color::white());
        EXPECT_EQ(sheet->scrollViewHost()->layer().cornerRadius(), 3);
        EXPECT_EQ(sheet->arrowView()->superview(), sheet);
        sheet->dismissAnimated(false);
        EXPECT_FALSE(sheet->isAnchoredAtPoint());
        EXPECT_EQ(sheet->arrowView(), nullptr);
        EXPECT_EQ(sheet->anchorPoint(), (Point {0, 0}));
        EXPECT_EQ(sheet->anchoredArrowDirection(), 0u);
    }
}

TEST_F(ActionSheetPopoverTest, AtTheScreenEdgesThePanelIsHeldInsideWithTheArrowOnIt)
{
    struct Case {
        const char* name;
        Point point;
        unsigned direction;
        double expected; // the free coordinate
        bool fits;
    };
    const Case cases[] = {
        // The smaller of the available frame's left edge (5) and the arrow's left edge minus 3.
        {"up, near the left edge", {20, 100}, ActionSheet::Up, 5, true},
        {"up, at the left edge", {4, 100}, ActionSheet::Up, -9, false},
        {"down, near the right edge", {740, 900}, ActionSheet::Down, 763 - 300, true},
        {"left, near the top", {100, 30}, ActionSheet::Left, 5, true},
        {"right, near the bottom", {700, 1000}, ActionSheet::Right, 1019 - kHeight, true},
        {"right, at the bottom", {700, 1020}, ActionSheet::Right, 1033 - kHeight, false},
    };
    for (const auto& c : cases) {
        foundation::LogCapture log(foundation::LogCapture::Echo::No);
        sheet->showFromPoint(c.point, root, c.direction, false);
        const bool vertical = c.direction == ActionSheet::Up || c.direction == ActionSheet::Down;
        EXPECT_NEAR(vertical ? panel().minX() : panel().minY(), c.expected, 1e-9) << c.name;
        // The arrow stays against the panel, at least 3 points from its corners when it fits.
        if (c.fits) {
            if (vertical) {
                EXPECT_GE(arrow().minX() - panel().minX(), 3 - 1e-9) << c.name;
                EXPECT_GE(panel().maxX() - arrow().maxX(), 3 - 1e-9) << c.name;
            } else {
                EXPECT_GE(arrow().minY() - panel().minY(), 3 - 1e-9) << c.name;
                EXPECT_GE(panel().maxY() - arrow().maxY(), 3 - 1e-9) << c.name;
            }
        }
        EXPECT_EQ(log.contains(kDoesNotFit), !c.fits) << c.name;
        sheet->dismissAnimated(false);
    }
}

TEST_F(ActionSheetPopoverTest, ShowingFadesInAndReportsAroundIt)
{
    sheet->showFromPoint({384, 500}, root, ActionSheet::Up, true);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent"}));
    EXPECT_TRUE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_EQ(sheet->arrowView()->layer().presentation().opacity, 0);
    runFor(0.31);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"willPresent", "didPresent"}));
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_EQ(sheet->arrowView()->layer().presentation().opacity, 1);

    // Moving animates on the platform's curve and leaves the curve flag clear afterwards.
    sheet->moveToPoint({200, 300}, ActionSheet::Left, true);
    EXPECT_FALSE(ActionSheetLayer::keepsPlatformCurve());
    EXPECT_TRUE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_NE(sheet->scrollViewHost()->layer().animationForKey("position")->timingFunction(),
        ActionSheetLayer::kCurve);
    EXPECT_RECT_EQ(panel(), 210, 300 - kHeight / 2, 300, kHeight);
    runFor(0.31);
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
}

TEST_F(ActionSheetPopoverTest, AnInvalidDirectionThrowsAndLeavesTouchesOn)
{
    try {
        sheet->showFromPoint({384, 500}, root, 4, false);
        FAIL() << "no exception";
    } catch (const foundation::Exception& e) {
        EXPECT_EQ(e.name, "NSInvalidArgumentException");
        EXPECT_EQ(e.reason, "Invalid arrow direction");
    }
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
    EXPECT_FALSE(sheet->isVisible());

    sheet->showFromPoint({384, 500}, root, ActionSheet::Up, false);
    EXPECT_THROW(sheet->moveToPoint({384, 500}, 9, false), foundation::Exception);
    EXPECT_FALSE(ui::Application::shared().isIgnoringInteractionEvents());
}

TEST_F(ActionSheetPopoverTest, OnAPhoneItIsTheOrdinarySheet)
{
    makeScreen(false);
    auto phoneSheet = ActionSheet::create({section({"A"})});
    phoneSheet->showFromPoint({100, 100}, root, ActionSheet::Up, false);
    EXPECT_RECT_EQ(phoneSheet->scrollViewHost()->frame(), 0, 568 - 70, 320, 70);
    EXPECT_FALSE(phoneSheet->isAnchoredAtPoint());
    EXPECT_EQ(phoneSheet->arrowView(), nullptr);
    phoneSheet->moveToPoint({50, 50}, ActionSheet::Left, false);
    EXPECT_FALSE(phoneSheet->isAnchoredAtPoint());
    EXPECT_RECT_EQ(phoneSheet->scrollViewHost()->frame(), 0, 568 - 70, 320, 70);
    phoneSheet->dismissAnimated(false);
}

TEST_F(ActionSheetPopoverTest, ContentTallerThanTheRoomScrollsInsideAllOfIt)
{
    std::vector<std::shared_ptr<ActionSheetSection>> sections;
    for (int i = 0; i < 12; ++i)
        sections.push_back(section({"A", "B"}));
    auto tall = ActionSheet::create(sections);
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    tall->showFromPoint({384, 300}, root, ActionSheet::Up, false);
    // Room below the point: y 315 to 1019.
    EXPECT_RECT_EQ(tall->scrollViewHost()->frame(), 234, 310, 300, 704);
    EXPECT_NEAR(tall->scrollView()->contentOffset().y, 12 * 105 - 10 - 704, 1e-9);
    tall->dismissAnimated(false);
}

TEST_F(ActionSheetPopoverTest, ATurnOfTheDeviceReanchorsAtTheStoredPointAndDimsTheTurnedScreen)
{
    auto target = turningScreen();
    int outside = 0;
    sheet->setOutsidePressBlock([&](ActionSheet&) { ++outside; });
    sheet->showFromPoint({384, 500}, target, ActionSheet::Down, false);

    turnDevice(ui::DeviceOrientation::LandscapeLeft);
    runFor(0.41);
    EXPECT_FALSE(ActionSheetLayer::keepsPlatformCurve());
    EXPECT_RECT_EQ(sheet->frame(), 0, 0, 1024, 768);
    EXPECT_RECT_EQ(panel(), 234, 500 - kHeight - 10, 300, kHeight);
    EXPECT_EQ(sheet->anchorPoint(), (Point {384, 500}));

    // The whole turned screen is dimmed, the strip beyond the portrait width too, and a tap there
    // reaches the sheet.
    auto probe = mivo::test::PixelProbe::screen();
    const auto dimmed = graphics::Color::white(0.7);
    EXPECT_GT(probe.fraction(onScreen(*target, {768, 40, 256, 728}), dimmed), 0.99);
    EXPECT_GT(probe.fraction(onScreen(*target, {0, 40, 200, 728}), dimmed), 0.99);
    auto panelShown = probe.boundingBox(graphics::Color::white());
    ASSERT_TRUE(panelShown);
    actionsheettest::expectShownAt(*panelShown, onScreen(*target, panel().unionWith(arrow())));
    ui::Application::shared().tap(target->convertPointToView({900, 400}, nullptr));
    EXPECT_EQ(outside, 1);
}

TEST_F(ActionSheetPopoverTest, TheArrowIsATriangleWithItsShadowOnTheSlantedSides)
{
    struct Case {
        unsigned direction;
        Rect frame;
        Point inside;
        Point outside;
        Rect mask;
    };
    const Case cases[] = {
        {0, {0, 0, 10, 20}, {8, 10}, {1, 2}, {-5, 0, 15, 30}},
        {1, {0, 0, 10, 20}, {2, 10}, {9, 2}, {0, 0, 15, 30}},
        {2, {0, 0, 20, 10}, {10, 8}, {2, 1}, {0, -5, 30, 15}},
        {3, {0, 0, 20, 10}, {10, 2}, {2, 9}, {0, 0, 30, 15}},
    };
    for (const auto& c : cases) {
        auto triangle = ActionSheetTriangle::create();
        triangle->setFrame(c.frame, c.direction);
        auto& shape = static_cast<const ActionSheetLayer&>(triangle->layer());
        ASSERT_TRUE(shape.path());
        EXPECT_TRUE(shape.path()->contains(c.inside)) << c.direction;
        EXPECT_FALSE(shape.path()->contains(c.outside)) << c.direction;
        ASSERT_TRUE(shape.shadowPath());
        EXPECT_EQ(shape.mask()->frame(), c.mask) << c.direction;
        EXPECT_EQ(shape.fillColor(), graphics::Color::white());
        EXPECT_EQ(shape.shadowOpacity(), 0.2);
        EXPECT_EQ(shape.shadowRadius(), 4);
    }
    auto invalid = ActionSheetTriangle::create();
    invalid->setFrame({0, 0, 10, 10}, 7);
    EXPECT_TRUE(!invalid->layer().mask());
    EXPECT_TRUE(static_cast<const ActionSheetLayer&>(invalid->layer()).path()->isEmpty());
}
