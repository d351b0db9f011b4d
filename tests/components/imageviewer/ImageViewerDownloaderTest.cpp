#include "components/imageviewer/ImageViewerDownloader.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PngCodec.h"
#include "platform/net/UrlSessionDataTask.h"
#include "platform/ui/Screen.h"
#include "tests/components/imageviewer/GifSamples.h"
#include "tests/platform/graphics/ForgedImages.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

std::string pngBytes(int width, int height)
{
    auto image = graphics::Image::create(width, height);
    image->fill(0xFF336699);
    auto bytes = graphics::PngCodec::encode(*image);
    return std::string(bytes->begin(), bytes->end());
}

// A loopback server with the test's images, and the main loop run until a download ends.
class ImageViewerDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        m_png = pngBytes(40, 30);
        auto gif = mivo::test::makeGif({{10, 1}, {20, 2}});
        m_gif.assign(gif.begin(), gif.end());
        m_server.Get("/photo.png", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(m_png, "image/png");
        });
        m_server.Get("/padded.png", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(m_png + std::string(kPadding, '\0'), "image/png");
        });
        m_server.Get("/anim", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(m_gif, "image/gif");
        });
        m_server.Get("/missing.png", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        m_server.Get("/error-picture.png", [this](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content(m_png, "image/png");
        });
        m_server.Get("/slow.png", [this](const httplib::Request&, httplib::Response& response) {
            // Half the body, then a pause until the test lets go.
            std::string body = m_png;
            response.set_content_provider(
                body.size(), "image/png", [this, body](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset == 0) {
                        sink.write(body.data(), body.size() / 2);
                        return true;
                    }
                    for (int i = 0; i < 500 && !m_release; ++i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    sink.write(body.data() + offset, body.size() - offset);
                    return true;
                });
        });
        ASSERT_TRUE(m_server.start());
        m_base = m_server.base();
    }

    void TearDown() override
    {
        m_release = true;
        m_server.stopListening();
        foundation::RunLoop::main().reset();
    }

    struct Outcome {
        std::shared_ptr<net::UrlSessionDataTask> task;
        std::shared_ptr<graphics::Image> image;
        int completions = 0;
    };

    std::shared_ptr<Outcome> start(const std::string& url, const std::string& canonical = {})
    {
        auto outcome = std::make_shared<Outcome>();
        outcome->task = ImageViewerDownloader::downloadImageForURL(url, canonical, [outcome](auto image) {
            EXPECT_TRUE(foundation::RunLoop::main().isMainThread());
            ++outcome->completions;
            outcome->image = std::move(image);
        });
        return outcome;
    }

    void waitFor(const Outcome& outcome)
    {
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return outcome.completions > 0; }, 10));
        foundation::RunLoop::main().runFor(0.05);
        EXPECT_EQ(outcome.completions, 1);
    }

    // Zeros after the picture's end, which decoders leave alone.
    static constexpr size_t kPadding = 40 * 1024 * 1024;
    mivo::test::LoopbackServer m_server;
    std::string m_base;
    std::string m_png;
    std::string m_gif;
    std::atomic<bool> m_release {false};
};

} // namespace

TEST_F(ImageViewerDownloaderTest, DownloadsAndDecodesWithProgress)
{
    auto outcome = start(m_base + "/photo.png");
    ASSERT_TRUE(outcome->task);
    EXPECT_EQ(outcome->task->state(), net::UrlSessionDataTask::State::Running);
    waitFor(*outcome);
    ASSERT_TRUE(outcome->image);
    EXPECT_EQ(outcome->image->pixelWidth(), 40);
    EXPECT_EQ(outcome->image->pixel(5, 5), 0xFF336699u);
    EXPECT_EQ(outcome->task->countOfBytesReceived(), int64_t(m_png.size()));
    EXPECT_EQ(outcome->task->countOfBytesExpectedToReceive(), int64_t(m_png.size()));
    EXPECT_EQ(outcome->task->state(), net::UrlSessionDataTask::State::Completed);
}

TEST_F(ImageViewerDownloaderTest, ALargeBodyReachesTheDecoderWhole)
{
    auto outcome = start(m_base + "/padded.png");
    waitFor(*outcome);
    ASSERT_TRUE(outcome->image);
    EXPECT_EQ(outcome->image->pixelWidth(), 40);
    EXPECT_EQ(outcome->image->pixel(39, 29), 0xFF336699u);
    EXPECT_EQ(outcome->task->countOfBytesReceived(), int64_t(m_png.size() + kPadding));
}

TEST_F(ImageViewerDownloaderTest, ProgressIsVisibleWhileTheBodyArrives)
{
    auto outcome = start(m_base + "/slow.png");
    ASSERT_TRUE(outcome->task);
    auto& task = *outcome->task;
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return task.countOfBytesReceived() > 0; }, 10));
    EXPECT_EQ(task.countOfBytesReceived(), int64_t(m_png.size() / 2));
    EXPECT_EQ(task.countOfBytesExpectedToReceive(), int64_t(m_png.size()));
    EXPECT_EQ(outcome->completions, 0);
    m_release = true;
    waitFor(*outcome);
    EXPECT_TRUE(outcome->image);
}

TEST_F(ImageViewerDownloaderTest, FailuresEndInNoImageOnTheMainQueue)
{
    // A status outside 200-299, a body that is no image, and a port nobody listens on.
    for (const std::string& url :
        {m_base + "/missing.png", m_base + "/anim", std::string("http://127.0.0.1:1/x.png")}) {
        auto outcome = start(url, url.ends_with("/anim") ? "http://cdn/a.png" : "");
        ASSERT_TRUE(outcome->task) << url;
        waitFor(*outcome);
        if (url.ends_with("/anim")) {
            // Not named a GIF, so decoded as a still image: the first frame.
            ASSERT_TRUE(outcome->image);
            EXPECT_FALSE(outcome->image->isAnimated());
            continue;
        }
        EXPECT_FALSE(outcome->image) << url;
    }
}

TEST_F(ImageViewerDownloaderTest, ABodyIsDecodedWhateverTheStatus)
{
    auto outcome = start(m_base + "/error-picture.png");
    waitFor(*outcome);
    ASSERT_TRUE(outcome->image) << "the handler looks at no status";
    EXPECT_EQ(outcome->image->pixel(5, 5), 0xFF336699u);
}

TEST_F(ImageViewerDownloaderTest, CancelEndsOnceWithNoImage)
{
    auto outcome = start(m_base + "/slow.png");
    auto& task = *outcome->task;
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return task.countOfBytesReceived() > 0; }, 10));
    task.cancel();
    task.cancel();
    EXPECT_EQ(task.state(), net::UrlSessionDataTask::State::Canceling);
    waitFor(*outcome);
    EXPECT_FALSE(outcome->image);
    EXPECT_EQ(task.state(), net::UrlSessionDataTask::State::Completed);
}

TEST_F(ImageViewerDownloaderTest, CanonicalNameDecidesWhetherItIsAGif)
{
    auto byCanonical = start(m_base + "/anim", "http://cdn.example/a.gif");
    waitFor(*byCanonical);
    ASSERT_TRUE(byCanonical->image);
    EXPECT_TRUE(byCanonical->image->isAnimated());
    EXPECT_DOUBLE_EQ(byCanonical->image->duration(), 0.3);

    // An empty canonical text leaves it to the download URL's own name.
    m_server.Get("/anim.gif", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(m_gif, "image/gif");
    });
    auto byUrl = start(m_base + "/anim.gif");
    waitFor(*byUrl);
    ASSERT_TRUE(byUrl->image);
    EXPECT_TRUE(byUrl->image->isAnimated());
}

TEST_F(ImageViewerDownloaderTest, EmptyAndUnfetchableUrls)
{
    auto empty = start("");
    EXPECT_FALSE(empty->task);
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_EQ(empty->completions, 0);

    auto unfetchable = start("ftp://127.0.0.1/x.png");
    EXPECT_FALSE(unfetchable->task);
    EXPECT_EQ(unfetchable->completions, 0); // not before the next turn of the main queue
    waitFor(*unfetchable);
    EXPECT_FALSE(unfetchable->image);
}

TEST_F(ImageViewerDownloaderTest, ReadsFileUrls)
{
    auto path
        = std::filesystem::temp_directory_path() / ("viewer test " + std::to_string(::getpid()) + ".png");
    std::ofstream(path, std::ios::binary) << m_png;
    auto outcome = start("file://" + std::string("/") + path.relative_path().string());
    waitFor(*outcome);
    std::filesystem::remove(path);
    ASSERT_TRUE(outcome->image);
    EXPECT_EQ(outcome->image->pixelHeight(), 30);

    auto missing = start("file:///no/such/file.png");
    ASSERT_TRUE(missing->task);
    waitFor(*missing);
    EXPECT_FALSE(missing->image);
}

TEST_F(ImageViewerDownloaderTest, ImagesMeetTheScreensBudget)
{
    // Bodies served as they are: a photo, one of 4100 x 4100 (a real picture, just past the
    // 4096 x 4096 a download may be) and headers that claim 11585 x 11585. A server of its own,
    // since handlers are added before a server starts.
    mivo::test::LoopbackServer server;
    auto serve = [&server](const std::string& path, std::vector<uint8_t> bytes, const char* type) {
        auto body = std::make_shared<std::string>(bytes.begin(), bytes.end());
        server.Get(path, [body, type](const httplib::Request&, httplib::Response& response) {
            response.set_content(*body, type);
        });
    };
    auto photo = graphics::Image::create(1600, 1200);
    photo->fill(0xFF204080);
    serve("/photo.jpg", *graphics::JpegCodec::encode(*photo, 80), "image/jpeg");
    auto huge = graphics::Image::create(4100, 4100);
    huge->fill(0xFF204080);
    serve("/huge.jpg", *graphics::JpegCodec::encode(*huge, 50), "image/jpeg");
    huge = nullptr;
    serve("/forged.jpg", mivo::test::jpegClaiming(11585, 11585), "image/jpeg");
    serve("/forged.png", mivo::test::pngClaiming(11585, 11585), "image/png");
    ASSERT_TRUE(server.start());

    // A screen of 200 x 300 pixels: a quarter of the photo (400 x 300) still covers it turned.
    auto& screen = ui::Screen::mainScreen();
    screen.setSize({100, 150});
    auto photoOutcome = start(server.base() + "/photo.jpg");
    for (const char* path : {"/huge.jpg", "/forged.jpg", "/forged.png"}) {
        auto outcome = start(server.base() + path);
        waitFor(*outcome);
        EXPECT_FALSE(outcome->image) << path;
    }
    waitFor(*photoOutcome);
    screen.usePhoneProfile();
    ASSERT_TRUE(photoOutcome->image);
    EXPECT_EQ(photoOutcome->image->pixelWidth(), 400);
    EXPECT_EQ(photoOutcome->image->pixelHeight(), 300);
}
