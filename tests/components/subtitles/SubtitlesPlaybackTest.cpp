#include "components/subtitles/Subtitles.h"
#include "components/subtitles/SubtitlesParts.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/MoviePlayerController.h"
#include "platform/ui/ViewController.h"
#include "tests/platform/ui/UiTest.h"

#include <cstdlib>
#include <optional>

namespace {

using ui::MoviePlaybackState;
using ui::MoviePlayerController;

const std::string kSample = std::string(MIVO_SOURCE_DIR) + "/Resources/camera/sample-video.mp4";
// Cues within the 2.4 s sample; the timer ticks at 0, 1 and 2 s of playback.
const std::string kCues = "1\n00:00:00,000 --> 00:00:01,000\n<b>甲</b>\n\n"
                          "2\n00:00:01,000 --> 00:00:01,500\n乙\n\n"
                          "3\n00:00:02,000 --> 00:00:02,400\n丙\n";

class SubtitlesPlaybackTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        setenv("MIVO_NO_AUDIO", "1", 1);
        UiTest::SetUp();
        window = keyWindow();
        player = makePlayer(kSample);
        window->addSubview(player->view());
    }

    std::shared_ptr<MoviePlayerController> makePlayer(const std::string& url, bool observe = true)
    {
        auto made = MoviePlayerController::initWithContentURL(url);
        made->view()->setFrame({0, 0, 320, 240});
        int completions = 0;
        Subtitles::openWithSRTString(made, kCues,
            observe ? Subtitles::Completion([&](bool) { ++completions; }) : nullptr,
            [](const std::string& error) { FAIL() << error; });
        EXPECT_EQ(completions, observe ? 1 : 0);
        return made;
    }

    std::shared_ptr<ui::Label> label() const { return Subtitles::subtitleLabel(*player); }
    std::shared_ptr<foundation::Timer> timer() const { return Subtitles::subtitleTimer(*player); }

    std::shared_ptr<ui::Window> window;
    std::shared_ptr<MoviePlayerController> player;
};

TEST_F(SubtitlesPlaybackTest, TheLabelIsMadeWhenPlaybackFirstStarts)
{
    Subtitles::showSubtitles(player);
    Subtitles::hideSubtitles(player);
    EXPECT_EQ(label(), nullptr);

    player->play();
    runFor(0);
    ASSERT_NE(label(), nullptr);
    EXPECT_EQ(label()->superview(), player->view());
    EXPECT_FALSE(label()->isHidden());
    EXPECT_EQ(label()->font().pointSize(), 20);
    EXPECT_TRUE(label()->font().isBold());
    EXPECT_EQ(label()->textColor(), graphics::Color::white());
    EXPECT_EQ(label()->numberOfLines(), 0);
    EXPECT_EQ(label()->textAlignment(), graphics::TextAlignment::Center);
    EXPECT_EQ(label()->layer().shadowColor(), graphics::Color::black());
    EXPECT_EQ(label()->layer().shadowOffset(), (graphics::Size {6, 6}));
    EXPECT_DOUBLE_EQ(label()->layer().shadowOpacity(), 0.9);
    EXPECT_DOUBLE_EQ(label()->layer().shadowRadius(), 4);
    EXPECT_TRUE(label()->layer().shouldRasterize());
    runFor(1.0);
    // 15 points in from the sides and up from the bottom; as tall as its text.
    const graphics::Rect frame = label()->frame();
    EXPECT_EQ(frame.origin.x, 15);
    EXPECT_EQ(frame.size.width, 290);
    EXPECT_GT(frame.size.height, 0);
    EXPECT_DOUBLE_EQ(frame.origin.y + frame.size.height, 225);
}

TEST_F(SubtitlesPlaybackTest, OnAPadTheFontIs40Points)
{
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    player->play();
    runFor(0);
    ASSERT_NE(label(), nullptr);
    EXPECT_EQ(label()->font().pointSize(), 40);
}

TEST_F(SubtitlesPlaybackTest, EachTickShowsTheCueOfThePlaybackTime)
{
    player->play();
    // Row: playback time reached, the text the label shows (the last tick was at the whole second).
    struct Row {
        double time;
        const char* text;
    } rows[] = {{0.0, ""}, {0.9, ""}, {1.0, "乙"}, {1.9, "乙"}, {2.0, "丙"}};
    for (const auto& row : rows) {
        runFor(row.time - now());
        EXPECT_EQ(label()->text(), row.text) << row.time;
    }
    // Paused between two cues, the running timer empties the label.
    player->pause();
    player->setCurrentPlaybackTime(1.7);
    runFor(1.0);
    EXPECT_EQ(timer()->isValid(), true);
    EXPECT_EQ(label()->text(), "");
}

TEST_F(SubtitlesPlaybackTest, TheFirstCueShowsFromTheNextTickAndAResumeShowsItsCueAtOnce)
{
    // The first start fires the timer before the label is made: nothing shows until the next tick.
    player->play();
    runFor(0);
    ASSERT_NE(label(), nullptr);
    EXPECT_EQ(label()->text(), "");
    runFor(0.99);
    EXPECT_EQ(label()->text(), "");
    runFor(0.01);
    EXPECT_EQ(label()->text(), "乙");

    // Later starts find the label, so their firing at once shows the cue of the time.
    player->pause();
    player->setCurrentPlaybackTime(0.5);
    player->play();
    runFor(0);
    EXPECT_EQ(label()->text(), "甲");
}

TEST_F(SubtitlesPlaybackTest, PausingAndResumingLeavesOneTimerAndStoppingStopsIt)
{
    player->play();
    runFor(0.5);
    auto first = timer();
    ASSERT_TRUE(first && first->isValid());
    player->pause();
    EXPECT_TRUE(first->isValid());
    player->play();
    auto second = timer();
    EXPECT_NE(second, first);
    EXPECT_FALSE(first->isValid());
    EXPECT_TRUE(second->isValid());
    player->stop();
    EXPECT_FALSE(second->isValid());
}

TEST_F(SubtitlesPlaybackTest, FullScreenMovesTheLabelToTheWindowAndBack)
{
    player->play();
    runFor(0.1);
    bool hiddenWhenEntering = false;
    auto token = std::make_shared<int>(0);
    foundation::NotificationCenter::defaultCenter().addObserver(token,
        MoviePlayerController::kWillEnterFullscreenNotification,
        [&](const foundation::Notification&) { hiddenWhenEntering = label()->isHidden(); });

    player->setFullscreen(true, true);
    EXPECT_TRUE(hiddenWhenEntering);
    EXPECT_EQ(label()->superview(), window);
    EXPECT_TRUE(label()->isHidden());
    EXPECT_DOUBLE_EQ(label()->frame().origin.y + label()->frame().size.height, 568 - 15);
    runFor(MoviePlayerController::kFullscreenAnimationDuration);
    EXPECT_FALSE(label()->isHidden());

    player->setFullscreen(false, true);
    EXPECT_EQ(label()->superview(), player->view());
    EXPECT_DOUBLE_EQ(label()->frame().origin.y + label()->frame().size.height, 240 - 15);
    EXPECT_EQ(label()->frame().size.width, 290);
}

TEST_F(SubtitlesPlaybackTest, TurningHidesTheLabelUntilTheDeviceHasTurned)
{
    // The picture fills a screen that turns with the device.
    auto screen = ui::ViewController::create();
    window->setRootViewController(screen);
    player->view()->setFrame(screen->view()->bounds());
    player->view()->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    screen->view()->addSubview(player->view());
    player->play();
    runFor(0.1);
    ASSERT_FALSE(label()->isHidden());
    EXPECT_TRUE(ui::Device::currentDevice().isGeneratingDeviceOrientationNotifications());

    std::optional<bool> hiddenWhileTurning;
    auto token = std::make_shared<int>(0);
    foundation::NotificationCenter::defaultCenter().addObserver(token,
        ui::Application::kDidChangeStatusBarFrameNotification,
        [&](const foundation::Notification&) { hiddenWhileTurning = label()->isHidden(); });
    ui::Device::currentDevice().setOrientation(ui::DeviceOrientation::LandscapeLeft);
    EXPECT_EQ(hiddenWhileTurning, true);
    EXPECT_FALSE(label()->isHidden());
    EXPECT_EQ(label()->frame().size.width, 568 - 30);
    EXPECT_DOUBLE_EQ(label()->frame().origin.y + label()->frame().size.height, 320 - 15);
    foundation::NotificationCenter::defaultCenter().removeObserver(token.get());

    // The end of playback stops the device's notifications it asked for.
    runFor(2.5);
    EXPECT_FALSE(ui::Device::currentDevice().isGeneratingDeviceOrientationNotifications());
}

TEST_F(SubtitlesPlaybackTest, TheEndOfPlaybackEndsTheObserving)
{
    player->play();
    runFor(2.5);
    ASSERT_EQ(player->playbackState(), MoviePlaybackState::Stopped);
    auto last = timer();
    EXPECT_FALSE(last->isValid());
    // Playing again after the end starts no timer.
    player->play();
    runFor(0.5);
    EXPECT_EQ(timer(), last);
    EXPECT_FALSE(timer()->isValid());
}

TEST_F(SubtitlesPlaybackTest, AnotherPlayersEndDoesNotSilenceThisOne)
{
    auto other = makePlayer("/nowhere/movie.mp4");
    other->play();
    runFor(0.1); // fails and finishes
    ASSERT_FALSE(other->errorText().empty());
    player->play();
    runFor(0.1);
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->isValid());
}

TEST_F(SubtitlesPlaybackTest, WithoutACompletionBlockNothingIsObserved)
{
    auto quiet = makePlayer(kSample, false);
    window->addSubview(quiet->view());
    quiet->play();
    runFor(0.5);
    EXPECT_EQ(Subtitles::subtitleLabel(*quiet), nullptr);
    EXPECT_EQ(Subtitles::subtitlesParts(*quiet)->size(), 3u);
}

TEST_F(SubtitlesPlaybackTest, ReleasingThePlayerStopsItsTimer)
{
    player->play();
    runFor(0.5);
    auto running = timer();
    ASSERT_TRUE(running->isValid());
    player->view()->removeFromSuperview();
    player.reset();
    EXPECT_FALSE(running->isValid());
}

} // namespace
