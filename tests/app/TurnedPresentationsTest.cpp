#include "tests/app/ShellFixture.h"

#include "core/net/UserInfo.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"
#include "platform/host/Automation.h"
#include "platform/ui/Camera.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/Device.h"
#include "platform/ui/MoviePlayerViewController.h"
#include "platform/ui/Screen.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "tests/support/PixelProbe.h"

#include <filesystem>
#include <fstream>

// The full-screen controllers the grids present, with the phone turned on both system paths:
// a tap where a screenshot shows a control reaches it, and automation reports what is drawn.
namespace {

namespace fs = std::filesystem;
using foundation::Map;
using foundation::Value;
using graphics::Rect;
using mivo::test::PixelProbe;

class TurnedPresentationsTest : public mivo::test::ShellFixture,
                                public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        // A flat dark photo: the shutter is the only large white thing on the camera's screen.
        auto camera = m_home.path() / "camera";
        foundation::createDirectories(camera);
        auto photo = graphics::Image::create(400, 300);
        photo->fill(0xFF203060u);
        auto jpeg = graphics::JpegCodec::encode(*photo, 90);
        ASSERT_TRUE(jpeg);
        std::ofstream(camera / "flat.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg->data()), std::streamsize(jpeg->size()));
        fs::copy_file(fs::path(MIVO_SOURCE_DIR) / "Resources/camera/sample-video.mp4", camera / "movie.mp4");
        ui::Camera::shared().setFolder(camera);
        ui::Device::currentDevice().setSystemVersion(GetParam());

        auto sliding = logIn("arvel");
        ASSERT_TRUE(sliding);
        auto user = UserInfo::sharedInstance();
        TaskRecordUtil::storeNewTask(
            {"T100", "上海浦东仓", "平安保险", "86000", "常规产品", TaskRecordUtil::kPlanRemoveSeal},
            user->companyName(), "arvel", user->userId(), foundation::Date::now());
        m_grid = NewTaskPLCollectionViewController::create();
        m_grid->setApplyTaskNO("T100");
        m_grid->setApplyTaskPhotoType(TaskRecordUtil::kPlanRemoveSeal);
        homeStack(sliding)->pushViewController(m_grid, false);
        step(0.5);
    }

    void TearDown() override
    {
        ui::Camera::shared().setFolder({});
        m_grid.reset();
        ShellFixture::TearDown();
    }

    static void step(double seconds) { foundation::RunLoop::main().runFor(seconds); }

    Value send(const Map& command)
    {
        auto answer = Value::fromJson(m_automation.handle(Value(command).toJson()));
        return answer ? *answer : Value();
    }

    ::testing::AssertionResult done(const Map& command)
    {
        Value answer = send(command);
        if (answer["ok"].asBool())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << Value(command).toJson() << " -> " << answer.toJson();
    }

    ::testing::AssertionResult rotate(const char* orientation)
    {
        auto result = done({{"cmd", "rotate"}, {"orientation", orientation}});
        step(0.5);
        return result;
    }

    // Brings a slot of the grid into sight, as a finger scrolling to it would.
    void scrollTo(ui::IndexPath path)
    {
        auto& grid = *m_grid->collectionView();
        grid.scrollRectToVisible(grid.layoutAttributesForItemAtIndexPath(path)->frame, false);
        step(0.1);
    }

    // The screen as automation saves it: upright, in pixels at the screen's scale.
    std::shared_ptr<graphics::Image> screenshot()
    {
        auto path = m_home.path() / "shot.png";
        if (!done({{"cmd", "screenshot"}, {"path", path.string()}}))
            return nullptr;
        return graphics::PngCodec::decodeFile(path);
    }

    // A frame as automation reports it.
    static Rect frameOf(const Value& node)
    {
        const Value& f = node["frame"];
        return {f[size_t(0)].asDouble(), f[1].asDouble(), f[2].asDouble(), f[3].asDouble()};
    }

    static Rect inPoints(const Rect& pixels)
    {
        double scale = ui::Screen::mainScreen().scale();
        return {
            pixels.minX() / scale, pixels.minY() / scale, pixels.width() / scale, pixels.height() / scale};
    }

    static Rect inPixels(const Rect& points)
    {
        double scale = ui::Screen::mainScreen().scale();
        return {
            points.minX() * scale, points.minY() * scale, points.width() * scale, points.height() * scale};
    }

    // The shutter's white disk as drawn, in points: the rows' long runs of white (its title and
    // the other texts are made of short ones).
    static std::optional<Rect> whiteDisk(const graphics::Image& shot)
    {
        const int minRun = int(30 * ui::Screen::mainScreen().scale());
        int minX = shot.pixelWidth(), minY = shot.pixelHeight(), maxX = -1, maxY = -1;
        for (int y = 0; y < shot.pixelHeight(); ++y) {
            int run = 0;
            for (int x = 0; x <= shot.pixelWidth(); ++x) {
                if (x < shot.pixelWidth() && shot.pixel(x, y) == 0xFFFFFFFFu) {
                    ++run;
                    continue;
                }
                if (run >= minRun) {
                    minX = std::min(minX, x - run);
                    maxX = std::max(maxX, x - 1);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
                run = 0;
            }
        }
        if (maxX < 0)
            return std::nullopt;
        return inPoints(Rect(minX, minY, maxX + 1 - minX, maxY + 1 - minY));
    }

    host::Automation m_automation;
    std::shared_ptr<NewTaskPLCollectionViewController> m_grid;
};

TEST_P(TurnedPresentationsTest, TheShutterTakesThePhotoWhereItIsDrawnOpenedTurnedOrTurnedWhileOpen)
{
    struct Case {
        int row;
        const char* side;
        bool turnedFirst;
    };
    for (const Case& c : {Case {0, "landscapeLeft", true}, Case {1, "landscapeRight", true},
             Case {2, "landscapeLeft", false}, Case {3, "landscapeRight", false}}) {
        const std::string slot = "照片" + std::to_string(c.row + 1) + ":";
        SCOPED_TRACE(slot + c.side + (c.turnedFirst ? ", opened turned" : ", turned while open"));
        if (c.turnedFirst)
            ASSERT_TRUE(rotate(c.side));
        scrollTo({0, c.row});
        ASSERT_TRUE(done({{"cmd", "tap"}, {"label", slot}}));
        step(0.6);
        ASSERT_TRUE(m_grid->presentedPicker());
        if (!c.turnedFirst)
            ASSERT_TRUE(rotate(c.side));

        auto shot = screenshot();
        ASSERT_TRUE(shot);
        EXPECT_GT(shot->pixelWidth(), shot->pixelHeight()) << "saved upright, as the phone is held";
        auto disk = whiteDisk(*shot);
        ASSERT_TRUE(disk);
        // The disk inside the 4-point ring of a 72-point shutter, whole.
        EXPECT_NEAR(disk->width(), 64, 2);
        EXPECT_NEAR(disk->midY(), shot->pixelHeight() / ui::Screen::mainScreen().scale() - 56, 2)
            << "at the bottom of the turned screen";
        Value found = send({{"cmd", "find"}, {"label", "快门"}});
        ASSERT_TRUE(found["ok"].asBool()) << found.toJson();
        Rect reported = frameOf(found["node"]);
        EXPECT_NEAR(reported.midX(), disk->midX(), 1.5) << found.toJson();
        EXPECT_NEAR(reported.midY(), disk->midY(), 1.5) << found.toJson();

        ASSERT_TRUE(done({{"cmd", "tap"}, {"x", disk->midX()}, {"y", disk->midY()}}));
        step(0.6);
        EXPECT_TRUE(done({{"cmd", "wait"}, {"label", slot + "已拍摄"}, {"timeout", 10}}));
        EXPECT_FALSE(m_grid->presentedPicker()) << "the grid took the photo and closed the camera";
        ASSERT_TRUE(rotate("portrait"));
    }
}

TEST_P(TurnedPresentationsTest, FindGivesThePlayersDoneWhereItIsDrawnAndItsTapCloses)
{
    scrollTo({1, 0});
    ASSERT_TRUE(done({{"cmd", "tap"}, {"label", "视频:"}}));
    step(0.6);
    ASSERT_TRUE(done({{"cmd", "tap"}, {"label", "快门"}}));
    step(0.6);
    ASSERT_TRUE(done({{"cmd", "wait"}, {"label", "视频:已拍摄"}, {"timeout", 15}}));

    for (bool turnedFirst : {true, false}) {
        SCOPED_TRACE(turnedFirst ? "opened turned" : "turned while open");
        if (turnedFirst)
            ASSERT_TRUE(rotate("landscapeLeft"));
        scrollTo({1, 0});
        ASSERT_TRUE(done({{"cmd", "longpress"}, {"label", "视频:已拍摄"}}));
        step(1);
        ASSERT_TRUE(std::dynamic_pointer_cast<ui::MoviePlayerViewController>(presentedFrom(m_grid)));
        if (!turnedFirst)
            ASSERT_TRUE(rotate("landscapeRight"));

        auto shot = screenshot();
        ASSERT_TRUE(shot);
        EXPECT_GT(shot->pixelWidth(), shot->pixelHeight());
        Value found = send({{"cmd", "find"}, {"label", "Done"}});
        ASSERT_TRUE(found["ok"].asBool()) << found.toJson();
        Rect button = frameOf(found["node"]);
        Rect title = frameOf(found["node"]["children"][size_t(0)]);
        EXPECT_NEAR(button.minX(), 4, 0.01) << "at the start of the turned screen's top bar";
        EXPECT_NEAR(button.minY(), 0, 0.01);
        // The white glyphs inside the reported button fill its reported title.
        auto glyphs = PixelProbe(shot).boundingBox(graphics::Color::white(), 40, inPixels(button));
        ASSERT_TRUE(glyphs) << "nothing white where the button is reported";
        Rect drawn = inPoints(*glyphs);
        EXPECT_TRUE(title.insetBy(-1, -1).contains(drawn)) << found.toJson();
        EXPECT_GT(drawn.width(), title.width() * 0.6);
        EXPECT_GT(drawn.height(), title.height() * 0.5);

        ASSERT_TRUE(done({{"cmd", "tap"}, {"label", "Done"}}));
        step(1);
        EXPECT_FALSE(presentedFrom(m_grid)) << "Done closed the player";
        ASSERT_TRUE(rotate("portrait"));
    }
}

INSTANTIATE_TEST_SUITE_P(SystemVersions, TurnedPresentationsTest, ::testing::Values("7.1", "8.0"),
    [](const auto& info) { return std::string(info.param) == "7.1" ? "Before8" : "From8"; });

} // namespace
