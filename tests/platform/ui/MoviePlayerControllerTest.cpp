#include "platform/ui/MoviePlayerController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/MoviePlayerView.h"
#include "platform/ui/MoviePlayerViewController.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/ViewController.h"
#include "tests/platform/ui/UiTest.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TimeLimit.h"

#include <httplib.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using ui::MoviePlaybackState;
using ui::MoviePlayerController;

// The sample movie: 640 x 480, 25 frames a second, 60 frames, 2.4 s.
const std::string kSample = std::string(MIVO_SOURCE_DIR) + "/Resources/camera/sample-video.mp4";
constexpr double kFrame = 1.0 / 25;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MoviePlayerTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        setenv("MIVO_NO_AUDIO", "1", 1);
        UiTest::SetUp();
        auto& center = foundation::NotificationCenter::defaultCenter();
        center.addObserver(m_token, MoviePlayerController::kPlaybackStateDidChangeNotification,
            [this](const foundation::Notification& note) {
                states.push_back(static_cast<MoviePlayerController*>(note.object.get())->playbackState());
            });
        center.addObserver(m_token, MoviePlayerController::kPlaybackDidFinishNotification,
            [this](const foundation::Notification& note) {
                finishReasons.push_back(
                    int(note.userInfo[MoviePlayerController::kPlaybackDidFinishReasonUserInfoKey].asInt()));
                finishError = note.userInfo[MoviePlayerController::kErrorUserInfoKey].asString();
            });
    }

    void TearDown() override
    {
        foundation::NotificationCenter::defaultCenter().removeObserver(m_token.get());
        UiTest::TearDown();
    }

    std::shared_ptr<MoviePlayerController> makePlayer(const std::string& url)
    {
        auto player = MoviePlayerController::initWithContentURL(url);
        player->view()->setFrame({0, 0, 320, 240});
        return player;
    }

    // Steps virtual time until the player finishes, at most `limit` virtual seconds.
    void runUntilFinished(double limit)
    {
        for (double spent = 0; finishReasons.empty() && spent < limit; spent += 0.1)
            runFor(0.1);
    }

    std::shared_ptr<int> m_token = std::make_shared<int>(0);
    std::vector<MoviePlaybackState> states;
    std::vector<int> finishReasons;
    std::string finishError;
};

TEST_F(MoviePlayerTest, PlaysInStepWithTheManualClock)
{
    auto player = makePlayer(kSample);
    player->play();
    runFor(0);
    EXPECT_TRUE(player->isPreparedToPlay());
    EXPECT_NEAR(player->duration(), 2.4, 1e-6);
    EXPECT_EQ(player->naturalSize(), (graphics::Size {640, 480}));
    ASSERT_EQ(player->playbackState(), MoviePlaybackState::Playing);
    EXPECT_EQ(player->shownFrameTime(), 0);
    ASSERT_TRUE(player->playerView()->frameImage());
    EXPECT_EQ(player->playerView()->frameImage()->pixelWidth(), 640);

    // Each row: the clock advanced to t shows exactly the frame due at t.
    for (double t : {0.3, 0.5, 1.0, 1.52, 2.0, 2.36}) {
        runFor(t - now());
        EXPECT_NEAR(player->currentPlaybackTime(), t, 1e-9) << t;
        EXPECT_NEAR(player->shownFrameTime(), std::floor(t / kFrame + 1e-6) * kFrame, 1e-6) << t;
    }
    runFor(0.5);
    EXPECT_EQ(player->playbackState(), MoviePlaybackState::Stopped);
    EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackEnded)});
    EXPECT_EQ(states, (std::vector {MoviePlaybackState::Playing, MoviePlaybackState::Stopped}));
    EXPECT_EQ(player->shownFrames(), 60);
    EXPECT_EQ(player->droppedFrames(), 0);
    EXPECT_NEAR(player->currentPlaybackTime(), 2.4, 1e-9);
}

TEST_F(MoviePlayerTest, PauseHoldsTheTimeAndPlayGoesOn)
{
    auto player = makePlayer(kSample);
    player->play();
    runFor(0.5);
    player->pause();
    EXPECT_EQ(player->playbackState(), MoviePlaybackState::Paused);
    runFor(1.0);
    EXPECT_NEAR(player->currentPlaybackTime(), 0.5, 1e-9);
    EXPECT_NEAR(player->shownFrameTime(), 0.48, 1e-6);
    player->play();
    runFor(0.3);
    EXPECT_NEAR(player->currentPlaybackTime(), 0.8, 1e-9);
    EXPECT_NEAR(player->shownFrameTime(), 0.8, 1e-6);
    EXPECT_EQ(states,
        (std::vector {MoviePlaybackState::Playing, MoviePlaybackState::Paused, MoviePlaybackState::Playing}));
}

TEST_F(MoviePlayerTest, SeekingShowsTheFrameAtOrBeforeTheTime)
{
    auto player = makePlayer(kSample);
    player->play();
    runFor(0.2);
    player->pause();
    for (double t : {1.5, 0.1, 2.0}) {
        player->setCurrentPlaybackTime(t);
        runFor(0.05);
        EXPECT_NEAR(player->currentPlaybackTime(), t, 1e-9);
        EXPECT_NEAR(player->shownFrameTime(), std::floor(t / kFrame + 1e-6) * kFrame, 1e-6) << t;
    }
    // Seeking while playing goes on from there.
    player->play();
    player->setCurrentPlaybackTime(1.0);
    runFor(0.2);
    EXPECT_NEAR(player->currentPlaybackTime(), 1.2, 1e-9);
    EXPECT_NEAR(player->shownFrameTime(), 1.2, 1e-6);
}

TEST_F(MoviePlayerTest, StopGoesBackToTheStart)
{
    auto player = makePlayer(kSample);
    player->play();
    runFor(1.0);
    player->stop();
    EXPECT_EQ(player->playbackState(), MoviePlaybackState::Stopped);
    EXPECT_EQ(player->currentPlaybackTime(), 0);
    runFor(0.5);
    EXPECT_EQ(player->currentPlaybackTime(), 0);
    player->play();
    runFor(0.4);
    EXPECT_NEAR(player->currentPlaybackTime(), 0.4, 1e-9);
    EXPECT_NEAR(player->shownFrameTime(), 0.4, 1e-6);
    EXPECT_TRUE(finishReasons.empty());
}

TEST_F(MoviePlayerTest, AMovieThatCannotBeOpenedIsThePlayersOwnFailure)
{
    auto dir = std::filesystem::temp_directory_path() / ("mivo-movie-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "notes.mp4") << "not a movie at all";
    std::ofstream(dir / "empty.mp4");
    std::ofstream(dir / "cut.mp4", std::ios::binary) << readFile(kSample).substr(0, 200);
    // What is no regular file fails as well, and at once: libav would wait for a FIFO's writer.
    mivo::test::TimeLimit limit(60);
    std::filesystem::create_directory(dir / "folder.mp4");
    ASSERT_EQ(::mkfifo((dir / "fifo.mp4").c_str(), 0600), 0);
    std::filesystem::create_symlink(kSample, dir / "link.mp4");

    for (auto path : {dir / "missing.mp4", dir / "notes.mp4", dir / "empty.mp4", dir / "cut.mp4",
             dir / "folder.mp4", dir / "fifo.mp4", dir / "link.mp4"}) {
        SCOPED_TRACE(path.string());
        states.clear();
        finishReasons.clear();
        auto player = makePlayer(path.string());
        player->play();
        runFor(0.5);
        EXPECT_EQ(player->playbackState(), MoviePlaybackState::Stopped);
        EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackError)});
        EXPECT_FALSE(finishError.empty());
        EXPECT_EQ(player->playerView()->failureText(), MoviePlayerController::kFailureText);
        EXPECT_EQ(player->currentPlaybackTime(), 0);
        // Play after the failure does nothing.
        player->play();
        runFor(0.5);
        EXPECT_EQ(finishReasons.size(), 1u);
        EXPECT_TRUE(std::find(states.begin(), states.end(), MoviePlaybackState::Playing) == states.end());
    }
    std::filesystem::remove_all(dir);
}

TEST_F(MoviePlayerTest, AMovieWithoutPicturesIsThePlayersOwnFailure)
{
    auto dir = std::filesystem::temp_directory_path() / ("mivo-nopictures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // A video track that holds no samples: it opens as a movie, then brings nothing to show.
    const auto movie = dir / "no-pictures.mp4";
    const std::string command = "ffmpeg -hide_banner -loglevel error -y -i " + kSample
        + " -frames:v 0 -c copy -movflags frag_keyframe+empty_moov " + movie.string();
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "ffmpeg cannot make a movie without pictures here";
    auto player = makePlayer(movie.string());
    player->play();
    runFor(0.5);
    EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackError)});
    EXPECT_NE(finishError.find("no pictures"), std::string::npos) << finishError;
    EXPECT_EQ(player->playerView()->failureText(), MoviePlayerController::kFailureText);
    EXPECT_EQ(player->shownFrames(), 0);
    std::filesystem::remove_all(dir);
}

TEST_F(MoviePlayerTest, AMovieWithSoundPlaysSilentlyOnTheManualClock)
{
    auto dir = std::filesystem::temp_directory_path() / ("mivo-sound-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto movie = dir / "with-sound.mp4";
    const std::string command
        = "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=1"
          " -f lavfi -i sine=frequency=440:duration=1 -c:v mpeg4 -c:a aac -shortest "
        + movie.string();
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "ffmpeg cannot make a movie with sound here";
    auto player = makePlayer(movie.string());
    player->play();
    runFor(0.52);
    EXPECT_NEAR(player->currentPlaybackTime(), 0.52, 1e-9);
    EXPECT_NEAR(player->shownFrameTime(), 0.52, 1e-6);
    runFor(1.0);
    EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackEnded)});
    EXPECT_EQ(player->shownFrames(), 25);
    std::filesystem::remove_all(dir);
}

TEST_F(MoviePlayerTest, AFailedMovieScreenStaysUntilDone)
{
    auto window = keyWindow();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    auto screen = ui::MoviePlayerViewController::initWithContentURL("/nonexistent/movie.mp4");
    ui::presentMoviePlayerViewControllerAnimated(*root, screen);
    runFor(1.0);
    EXPECT_EQ(root->presentedViewController(), screen);
    EXPECT_EQ(screen->moviePlayer()->playerView()->failureText(), MoviePlayerController::kFailureText);
    tapAt({30, 22}); // Done
    runFor(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(finishReasons.back(), int(ui::MovieFinishReason::UserExited));
}

TEST_F(MoviePlayerTest, TheScreenDismissesItselfAtTheEnd)
{
    auto window = keyWindow();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    auto screen = ui::MoviePlayerViewController::initWithContentURL(kSample);
    ui::presentMoviePlayerViewControllerAnimated(*root, screen);
    runFor(ui::ViewController::kPresentationDuration + 0.1);
    EXPECT_EQ(screen->moviePlayer()->playbackState(), MoviePlaybackState::Playing);
    runFor(2.4);
    EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackEnded)});
    runFor(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

// The share of the points of `rect` where the screen shows something else than `view` drawn alone
// (the view lies at the screen's origin, unturned).
double shareDrawnOver(ui::View& view, const graphics::Rect& rect)
{
    auto screen = mivo::test::PixelProbe::screen();
    mivo::test::PixelProbe alone(render::Renderer().renderView(view));
    int differing = 0, points = 0;
    for (double y = rect.minY() + 0.25; y < rect.maxY(); y += 0.5) {
        for (double x = rect.minX() + 0.25; x < rect.maxX(); x += 0.5, ++points)
            differing += !mivo::test::PixelProbe::matches(screen.colorAt({x, y}), alone.colorAt({x, y}), 8);
    }
    return double(differing) / points;
}

TEST_F(MoviePlayerTest, TheStatusBarGivesWayToTheScreenUntilItCloses)
{
    auto window = keyWindow();
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    root->view()->setBackgroundColor(graphics::Color::white());
    const graphics::Rect bar {0, 0, 320, ui::StatusBar::kHeight};
    runFor(0.1);
    EXPECT_GT(shareDrawnOver(*root->view(), bar), 0.01); // the time and the battery

    auto screen = ui::MoviePlayerViewController::initWithContentURL(kSample);
    ui::presentMoviePlayerViewControllerAnimated(*root, screen);
    runFor(ui::ViewController::kPresentationDuration + 0.5);
    ASSERT_EQ(screen->moviePlayer()->playbackState(), MoviePlaybackState::Playing);
    EXPECT_TRUE(app().isStatusBarHidden());
    EXPECT_EQ(shareDrawnOver(*screen->view(), bar), 0);

    tapAt({30, 22}); // Done
    runFor(1.0);
    ASSERT_EQ(root->presentedViewController(), nullptr);
    EXPECT_FALSE(app().isStatusBarHidden());
    EXPECT_GT(shareDrawnOver(*root->view(), bar), 0.01);
}

TEST_F(MoviePlayerTest, FullScreenTakesTheViewToTheWindowAndBack)
{
    auto window = keyWindow();
    auto host = ui::View::create({0, 100, 320, 200});
    window->addSubview(host);
    auto player = makePlayer(kSample);
    host->addSubview(player->view());
    std::vector<std::string> seen;
    auto token = std::make_shared<int>(0);
    for (auto name : {MoviePlayerController::kWillEnterFullscreenNotification,
             MoviePlayerController::kDidEnterFullscreenNotification,
             MoviePlayerController::kWillExitFullscreenNotification,
             MoviePlayerController::kDidExitFullscreenNotification}) {
        foundation::NotificationCenter::defaultCenter().addObserver(
            token, name, [&seen](const foundation::Notification& note) { seen.push_back(note.name); });
    }
    player->setFullscreen(true, true);
    EXPECT_TRUE(player->isFullscreen());
    EXPECT_EQ(player->view()->superview(), window);
    EXPECT_EQ(player->view()->frame(), window->bounds());
    EXPECT_EQ(seen.size(), 1u);
    runFor(MoviePlayerController::kFullscreenAnimationDuration);
    EXPECT_EQ(seen.size(), 2u);
    player->setFullscreen(false, false);
    EXPECT_EQ(player->view()->superview(), host);
    EXPECT_EQ(player->view()->frame(), (graphics::Rect {0, 0, 320, 240}));
    EXPECT_EQ(seen,
        (std::vector<std::string> {MoviePlayerController::kWillEnterFullscreenNotification,
            MoviePlayerController::kDidEnterFullscreenNotification,
            MoviePlayerController::kWillExitFullscreenNotification,
            MoviePlayerController::kDidExitFullscreenNotification}));
}

// Serves the sample movie over loopback; `cutAt` bytes in, the body stalls or the connection drops.
class MovieServer {
public:
    enum class Mode { Whole, Stall, Drop };
    explicit MovieServer(Mode mode)
        : m_body(readFile(kSample))
    {
        m_server.Get("/movie.mp4", [this, mode](const httplib::Request&, httplib::Response& response) {
            const size_t cutAt = mode == Mode::Whole ? m_body.size() : m_body.size() * 2 / 5;
            response.set_content_provider(m_body.size(), "video/mp4",
                [this, cutAt, mode](size_t offset, size_t length, httplib::DataSink& sink) {
                    if (offset >= cutAt) {
                        if (mode == Mode::Drop)
                            return false;
                        while (!m_stopping.load())
                            std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        return false;
                    }
                    const size_t count = std::min({length, cutAt - offset, size_t(16384)});
                    return sink.write(m_body.data() + offset, count);
                });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~MovieServer()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/movie.mp4"; }

private:
    std::string m_body;
    httplib::Server m_server;
    std::atomic<bool> m_stopping {false};
    int m_port {0};
    std::thread m_thread;
};

TEST_F(MoviePlayerTest, StreamsOverHttp)
{
    MovieServer server(MovieServer::Mode::Whole);
    auto player = makePlayer(server.url());
    player->play();
    runUntilFinished(5);
    EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackEnded)});
    EXPECT_EQ(player->shownFrames(), 60);
    EXPECT_EQ(player->droppedFrames(), 0);
}

TEST_F(MoviePlayerTest, AStreamThatStallsOrDropsFailsWithoutHanging)
{
    for (auto mode : {MovieServer::Mode::Stall, MovieServer::Mode::Drop}) {
        SCOPED_TRACE(mode == MovieServer::Mode::Stall ? "stall" : "drop");
        finishReasons.clear();
        states.clear();
        MovieServer server(mode);
        auto player = makePlayer(server.url());
        player->setStallTimeout(0.5);
        player->play();
        runUntilFinished(10);
        EXPECT_EQ(finishReasons, std::vector<int> {int(ui::MovieFinishReason::PlaybackError)});
        EXPECT_EQ(player->playbackState(), MoviePlaybackState::Stopped);
        EXPECT_EQ(player->playerView()->failureText(), MoviePlayerController::kFailureText);
        // What arrived was shown before the failure.
        EXPECT_GT(player->shownFrames(), 5);
    }
}

TEST(MoviePlayerViewTest, TimeTexts)
{
    struct Row {
        double seconds;
        const char* text;
    } rows[] = {{0, "0:00"}, {2.4, "0:02"}, {59.999, "0:59"}, {61, "1:01"}, {3600, "1:00:00"},
        {3725, "1:02:05"}, {-35, "-0:35"}};
    for (const auto& row : rows)
        EXPECT_EQ(ui::MoviePlayerView::timeText(row.seconds), row.text) << row.seconds;
}

} // namespace
