#include "tests/components/imageviewer/ImageViewerInteractionFixture.h"

#include "platform/foundation/Timer.h"
#include "platform/net/UrlSessionDataTask.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ProgressView.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/PixelProbe.h"

#include <atomic>
#include <regex>

namespace {

using graphics::Color;
using graphics::Rect;
using mivo::test::ImageViewerInteractionTest;

TEST(ImageViewerDownloadProgress, BarStandsAtTheShareReceivedOnlyWithAKnownLength)
{
    struct Case {
        int64_t received, expected;
        bool fromDisk;
        std::optional<float> progress;
    };
    const Case cases[] = {
        {512, 2048, false, 0.25f}, {2048, 2048, false, 1.0f}, {0, 1, false, 0.0f},
        {512, -1, false, std::nullopt}, // no length: the spinner stays
        {0, 0, false, std::nullopt}, {512, 2048, true, std::nullopt}, // a file never shows the bar
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageViewerController::downloadProgress(c.received, c.expected, c.fromDisk), c.progress)
            << c.received << " of " << c.expected;
}

// A server that sends the first 512 bytes of a 2048-byte body, with or without its length, and
// the rest when the test lets go.
class ImageViewerControllerProgressTest : public ImageViewerInteractionTest {
protected:
    void SetUp() override
    {
        ImageViewerInteractionTest::SetUp();
        std::string body(2048, 'x');
        auto provider = [this, body](size_t offset, httplib::DataSink& sink, bool chunked) {
            if (offset == 0)
                return sink.write(body.data(), 512);
            for (int i = 0; i < 500 && !m_release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            bool written = sink.write(body.data() + offset, body.size() - offset);
            if (chunked)
                sink.done();
            return written;
        };
        m_server.Get("/sized", [provider](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                2048, "image/png", [provider](size_t offset, size_t, httplib::DataSink& sink) {
                    return provider(offset, sink, false);
                });
        });
        m_server.Get("/unsized", [provider](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("image/png",
                [provider](size_t offset, httplib::DataSink& sink) { return provider(offset, sink, true); });
        });
        ASSERT_TRUE(m_server.start());
    }
    void TearDown() override
    {
        m_release = true;
        m_server.stopListening();
        ImageViewerInteractionTest::TearDown();
    }

    std::shared_ptr<ImageViewerController> openDownload(const std::string& path)
    {
        auto info = photoInfo();
        info->image = nullptr;
        info->imageURL = m_server.base() + path;
        auto viewer = open(info);
        bool arrived = foundation::RunLoop::main().runUntil(
            [&] { return viewer->imageDownloadDataTask()->countOfBytesReceived() >= 512; }, 5);
        EXPECT_TRUE(arrived);
        return viewer;
    }

    mivo::test::LoopbackServer m_server;
    std::atomic<bool> m_release {false};
};

TEST_F(ImageViewerControllerProgressTest, AKnownLengthSwapsTheSpinnerForTheBar)
{
    auto viewer = openDownload("/sized");
    ASSERT_TRUE(viewer->downloadProgressTimer());
    EXPECT_EQ(viewer->downloadProgressTimer()->interval(), 0.05);
    runFor(0.05);
    EXPECT_EQ(viewer->progressView()->progress(), 0.25f);
    runFor(0.3);
    EXPECT_NEAR(shownAlpha(*viewer->progressView()), 1.0, 1e-9);
    EXPECT_NEAR(shownAlpha(*viewer->spinner()), 0.0, 1e-9);
    // The bar fills white over its faint track.
    auto& bar = *viewer->progressView();
    Rect filled = bar.convertRectToView(bar.barFrame(), nullptr);
    ASSERT_NEAR(filled.width(), 32, 1e-6);
    auto probe = mivo::test::PixelProbe::screen();
    EXPECT_TRUE(probe.covers(filled.center(), Color::white(), 2));
    EXPECT_FALSE(probe.covers({filled.maxX() + 16, filled.midY()}, Color::white(), 2));

    // The download ends (undecodable, no placeholder): the timer stops and the viewer goes.
    m_release = true;
    foundation::RunLoop::main().runUntil([&] { return !viewer->downloadProgressTimer(); }, 5);
    EXPECT_FALSE(viewer->downloadProgressTimer());
    runFor(1);
    EXPECT_EQ(m_recorder->dismissals, 1);
}

TEST_F(ImageViewerControllerProgressTest, NoLengthKeepsTheSpinnerAndAnEmptyBar)
{
    auto viewer = openDownload("/unsized");
    EXPECT_EQ(viewer->imageDownloadDataTask()->countOfBytesExpectedToReceive(), -1);
    runFor(0.5);
    EXPECT_EQ(viewer->progressView()->progress(), 0.0f);
    EXPECT_NEAR(shownAlpha(*viewer->progressView()), 0.0, 1e-9);
    EXPECT_NEAR(shownAlpha(*viewer->spinner()), 1.0, 1e-9);
    EXPECT_TRUE(viewer->downloadProgressTimer());

    // The timer holds the viewer until the download ends, however it ends.
    std::weak_ptr<ImageViewerController> weak = viewer;
    viewer->imageDownloadDataTask()->cancel();
    foundation::RunLoop::main().runUntil([&] { return !viewer->downloadProgressTimer(); }, 5);
    EXPECT_FALSE(viewer->downloadProgressTimer());
    viewer->dismiss(true);
    runFor(1);
    viewer.reset();
    EXPECT_TRUE(weak.expired());
}

using ImageViewerControllerMenuTest = ImageViewerInteractionTest;

void longPressAt(ui::Application& app, graphics::Point p)
{
    auto touch = app.touchDown(p);
    foundation::RunLoop::main().runFor(0.6);
    app.touchUp(touch, p);
    foundation::RunLoop::main().runOnce();
}

TEST_F(ImageViewerControllerMenuTest, CopyAllowedOffersCopyAndPutsTheImageOnThePasteboard)
{
    m_recorder->allowCopy = true;
    auto viewer = open();
    longPressAt(app(), {100, 250});
    ASSERT_EQ(m_recorder->longPresses.size(), 1u);
    EXPECT_EQ(m_recorder->longPresses[0], (graphics::Rect {100, 250, 0, 0}));
    auto& menu = ui::MenuController::sharedMenuController();
    EXPECT_TRUE(menu.isMenuVisible());
    EXPECT_EQ(
        menu.visibleTitles(), std::vector<std::string> {ui::MenuController::title(ui::EditAction::Copy)});
    // Taken in the image view's points, kept on screen: under the finger.
    EXPECT_EQ(menu.targetRect(), (graphics::Rect {100, 250, 0, 0}));
    EXPECT_TRUE(viewer->isFirstResponder());
    EXPECT_TRUE(viewer->canPerformAction(ui::EditAction::Copy, nullptr));
    EXPECT_FALSE(viewer->canPerformAction(ui::EditAction::Paste, nullptr));
    EXPECT_FALSE(viewer->canPerformAction(ui::EditAction::SelectAll, nullptr));
    viewer->copy(nullptr);
    EXPECT_EQ(ui::Pasteboard::generalPasteboard().image(), viewer->image());
    EXPECT_TRUE(viewer->flags().isPresented) << "a long press does not close the viewer";
}

TEST_F(ImageViewerControllerMenuTest, WithoutTheCopyAnswerOnlyTheDelegateHearsOfIt)
{
    for (std::optional<bool> answer : {std::optional<bool> {}, std::optional<bool> {false}}) {
        m_recorder->allowCopy = answer;
        m_recorder->longPresses.clear();
        auto viewer = open();
        longPressAt(app(), {160, 284});
        EXPECT_EQ(m_recorder->longPresses.size(), 1u);
        EXPECT_FALSE(ui::MenuController::sharedMenuController().isMenuVisible());
        viewer->dismiss(true);
        runFor(1);
    }
}

TEST_F(ImageViewerControllerMenuTest, CopyAllowedButNoImageDoesNothing)
{
    m_recorder->allowCopy = true;
    auto info = photoInfo();
    info->image = nullptr; // and no address: nothing will arrive
    auto viewer = open(info);
    ASSERT_FALSE(viewer->image());
    longPressAt(app(), {160, 284});
    EXPECT_TRUE(m_recorder->longPresses.empty());
    EXPECT_FALSE(ui::MenuController::sharedMenuController().isMenuVisible());
    EXPECT_FALSE(viewer->canBecomeFirstResponder());
    EXPECT_FALSE(viewer->canPerformAction(ui::EditAction::Copy, nullptr));
    viewer->copy(nullptr);
    EXPECT_FALSE(ui::Pasteboard::generalPasteboard().image());
}

TEST_F(ImageViewerControllerMenuTest, AViewerWithNothingToShowIsReleasedAfterDismissal)
{
    auto info = photoInfo();
    info->image = nullptr; // and no address
    std::weak_ptr<ImageViewerController> weak = open(info);
    ASSERT_TRUE(weak.lock()->downloadProgressTimer());
    weak.lock()->dismiss(true);
    runFor(1);
    EXPECT_EQ(m_recorder->dismissals, 1);
    EXPECT_TRUE(weak.expired()) << "its progress timer holds it";
}

TEST_F(ImageViewerControllerMenuTest, HintsFollowTheDoubleTapAndTheDelegate)
{
    auto zoomedOut = ImageViewerController::defaultAccessibilityHintForScrollView(false);
    auto zoomedIn = ImageViewerController::defaultAccessibilityHintForScrollView(true);
    // Eight spaces lead, nine part the sentences.
    std::regex shape("^ {8}Image is zoomed (in|out)\\.( {9}[A-Z][^.]*\\.)+$");
    EXPECT_TRUE(std::regex_match(zoomedOut, shape));
    EXPECT_TRUE(std::regex_match(zoomedIn, shape));
    EXPECT_NE(zoomedIn.find("Pan around the image using three fingers."), std::string::npos);
    EXPECT_EQ(zoomedOut.find("Pan around"), std::string::npos);
    EXPECT_EQ(ImageViewerController::defaultAccessibilityLabelForScrollView(), "Full-Screen Image Viewer");

    m_recorder->zoomedInHint = "Zoomed in; drag to look around.";
    auto viewer = open();
    auto scroll = viewer->scrollView();
    EXPECT_EQ(scroll->accessibilityHint(), zoomedOut);
    EXPECT_TRUE(scroll->isAccessibilityElement());
    tapAt({160, 284});
    runFor(0.1);
    tapAt({160, 284});
    runFor(0.5);
    EXPECT_EQ(scroll->accessibilityHint(), "Zoomed in; drag to look around.");
}

} // namespace
