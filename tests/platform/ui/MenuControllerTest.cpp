#include "platform/ui/MenuController.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Pasteboard.h"
#include "tests/platform/ui/UiTest.h"

#include <string>
#include <vector>

namespace {

using graphics::Rect;
using Strings = std::vector<std::string>;

// Holds an image and offers to copy it, as an image screen does.
class ImageHolder final : public ui::View {
public:
    using View::View;
    std::shared_ptr<graphics::Image> image;
    bool canBecomeFirstResponder() const override { return image != nullptr; }
    bool canPerformAction(ui::EditAction action, const ui::Responder*) const override
    {
        return image && action == ui::EditAction::Copy;
    }
    void copy(const ui::Responder*) override { ui::Pasteboard::generalPasteboard().setImage(image); }
};

class MenuControllerTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        holder = std::make_shared<ImageHolder>(Rect {0, 100, 320, 400});
        window->addSubview(holder);
        child = ui::View::create({100, 100, 50, 50});
        holder->addSubview(child);
    }
    ui::MenuController& menu() { return ui::MenuController::sharedMenuController(); }
    void tapAtPoint(graphics::Point p)
    {
        auto touch = app().touchDown(p);
        turn();
        app().touchUp(touch, p);
        turn();
    }
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ImageHolder> holder;
    std::shared_ptr<ui::View> child;
};

TEST_F(MenuControllerTest, OffersOnlyWhatTheResponderChainCanDoAndCopiesOnATap)
{
    menu().setTargetRect({20, 30, 0, 0}, child.get());
    menu().setMenuVisible(true, true);
    EXPECT_FALSE(menu().isMenuVisible()) << "nothing to offer without an image";

    holder->image = graphics::Image::create(8, 6);
    menu().setMenuVisible(true, true);
    ASSERT_TRUE(menu().isMenuVisible());
    EXPECT_EQ(menu().visibleTitles(), Strings {"拷贝"});
    // Above the target point (120, 230 on screen), centred on it.
    Rect frame = menu().menuFrame();
    EXPECT_NEAR(frame.midX(), 120, 1e-9);
    EXPECT_EQ(frame.maxY(), 230 - 8);
    runFor(ui::MenuController::kFadeDuration);

    int64_t before = ui::Pasteboard::generalPasteboard().changeCount();
    tapAtPoint(frame.center());
    EXPECT_FALSE(menu().isMenuVisible());
    EXPECT_EQ(ui::Pasteboard::generalPasteboard().image(), holder->image);
    EXPECT_EQ(ui::Pasteboard::generalPasteboard().changeCount(), before + 1);
}

TEST_F(MenuControllerTest, StaysOnScreenAndATapBesideItOnlyCloses)
{
    holder->image = graphics::Image::create(8, 6);
    bool custom = false;
    menu().setMenuItems({{"保存", [&] { custom = true; }}});
    // At the very top there is no room above: it opens below the target, within the screen.
    menu().setTargetRect({2, -100, 0, 0}, holder.get());
    menu().setMenuVisible(true);
    EXPECT_EQ(menu().visibleTitles(), (Strings {"拷贝", "保存"}));
    Rect frame = menu().menuFrame();
    EXPECT_EQ(frame.minY(), 8);
    EXPECT_EQ(frame.minX(), 8);

    tapAtPoint({300, 500});
    EXPECT_FALSE(menu().isMenuVisible());
    EXPECT_FALSE(custom);
    EXPECT_FALSE(ui::Pasteboard::generalPasteboard().image());
    runFor(0.2);
    menu().setMenuVisible(true);
    tapAtPoint({menu().menuFrame().maxX() - 5, menu().menuFrame().midY()});
    EXPECT_TRUE(custom);
}

TEST_F(MenuControllerTest, AccessibilityPostsAreKeptInOrderAndBounded)
{
    child->setAccessibilityLabel("照片");
    ui::Accessibility::post(ui::AccessibilityNotification::LayoutChanged, child.get());
    runFor(0.5);
    ui::Accessibility::post(ui::AccessibilityNotification::Announcement, "已拷贝");
    auto& posted = ui::Accessibility::posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].text, "照片");
    EXPECT_EQ(posted[1].notification, ui::AccessibilityNotification::Announcement);
    EXPECT_NEAR(posted[1].time - posted[0].time, 0.5, 1e-9);
    for (int i = 0; i < 300; ++i)
        ui::Accessibility::post(ui::AccessibilityNotification::Announcement, std::to_string(i));
    EXPECT_EQ(posted.size(), ui::Accessibility::kMaxKept);
    EXPECT_EQ(posted.back().text, "299");

    EXPECT_EQ(ui::accessibilityTraitNames(ui::AccessibilityTraits::Image | ui::AccessibilityTraits::Button),
        (Strings {"button", "image"}));
}

} // namespace
