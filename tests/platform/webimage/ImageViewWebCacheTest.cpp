#include "platform/webimage/ImageViewWebCache.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "platform/webimage/ImageCache.h"
#include "platform/webimage/ImageDownloader.h"
#include "platform/webimage/WebImageManager.h"
#include "tests/platform/graphics/ForgedImages.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

using webimage::CacheType;
using webimage::ImageCache;
using webimage::WebImageManager;

namespace {

// The colour the server paints the image of a path, so a test can tell which image a view shows.
uint32_t colourOf(const std::string& path)
{
    return 0xff000000u | (uint32_t(std::hash<std::string> {}(path)) & 0xffffffu);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A loopback image server: /img/NAME answers a PNG of NAME's colour, /held/NAME the same once
// release() is called, /missing 404 and /text a body that is no image. It counts requests by path.
class WebImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        foundation::RunLoop::main().reset();
        ImageCache::sharedImageCache().clearMemory();
        auto answer = [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            auto image = graphics::Image::create(8, 6);
            image->fill(colourOf(request.path));
            auto png = graphics::PngCodec::encode(*image);
            response.set_content(reinterpret_cast<const char*>(png->data()), png->size(), "image/png");
        };
        m_server.Get("/img/.*", answer);
        m_server.Get(
            "/held/.*", [this, answer](const httplib::Request& request, httplib::Response& response) {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_released; });
                lock.unlock();
                answer(request, response);
            });
        m_server.Get("/portrait.jpg", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            response.set_content(m_portrait, "image/jpeg");
        });
        m_server.Get("/big.jpg", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            response.set_content(bigPhoto(), "image/jpeg");
        });
        m_server.Get("/forged.jpg", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            auto bytes = mivo::test::jpegClaiming(11585, 11585);
            response.set_content(reinterpret_cast<const char*>(bytes.data()), bytes.size(), "image/jpeg");
        });
        m_server.Get("/forged.png", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            auto bytes = mivo::test::pngClaiming(11585, 11585);
            response.set_content(reinterpret_cast<const char*>(bytes.data()), bytes.size(), "image/png");
        });
        m_server.Get("/missing", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            response.status = 404;
        });
        m_server.Get("/text", [this](const httplib::Request& request, httplib::Response& response) {
            count(request.path);
            response.set_content("<html>not an image</html>", "text/html");
        });
        ASSERT_TRUE(m_server.start());
        m_base = m_server.base();
    }

    void TearDown() override
    {
        release();
        m_server.stopListening();
        webimage::ImageDownloader::shared().setDecodeBudget(m_budget);
        ImageCache::sharedImageCache().setDecodeBudget(m_budget);
        ImageCache::sharedImageCache().waitForDiskWrites();
        ImageCache::sharedImageCache().clearMemory();
        foundation::RunLoop::main().reset();
    }

    void count(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        ++m_requests[path];
    }
    int requests(const std::string& path)
    {
        std::lock_guard lock(m_mutex);
        return m_requests[path];
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
    }
    bool runUntil(const std::function<bool()>& done)
    {
        return foundation::RunLoop::main().runUntil(done, 10);
    }

    // The portrait photo followed by zeros up to 40 MB, which decoders leave alone.
    std::string bigPhoto() const
    {
        return m_portrait + std::string(40 * 1024 * 1024 - m_portrait.size(), '\0');
    }

    static uint32_t shown(const ui::ImageView& view) { return view.image() ? view.image()->pixel(0, 0) : 0; }

    struct Result {
        int calls = 0;
        std::shared_ptr<graphics::Image> image;
        std::string error;
        std::string url;
        CacheType type = CacheType::None;
    };
    // Loads through the shared manager and waits for the answer.
    Result load(const std::string& url)
    {
        Result result;
        auto operation = WebImageManager::shared().loadImage(url,
            [&](std::shared_ptr<graphics::Image> image, std::string error, CacheType type, std::string at) {
                EXPECT_TRUE(foundation::RunLoop::main().isMainThread());
                ++result.calls;
                result.image = std::move(image);
                result.error = std::move(error);
                result.type = type;
                result.url = std::move(at);
            });
        EXPECT_TRUE(runUntil([&] { return result.calls > 0; }));
        return result;
    }
    webimage::Completion recordInto(Result& result)
    {
        return [&result](std::shared_ptr<graphics::Image> image, std::string error, std::string url) {
            ++result.calls;
            result.image = std::move(image);
            result.error = std::move(error);
            result.url = std::move(url);
        };
    }

    mivo::test::TempHome m_home;
    const graphics::DecodeBudget m_budget = webimage::ImageDownloader::shared().decodeBudget();
    // A camera photo stored on its side with EXIF orientation 6.
    std::string m_portrait
        = readFile(std::string(MIVO_SOURCE_DIR) + "/Resources/camera/sample-photo-5-portrait-exif6.jpg");
    mivo::test::LoopbackServer m_server;
    std::string m_base;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    std::map<std::string, int> m_requests;
};

TEST_F(WebImageTest, AMissDownloadsOnceThenMemoryAndDiskAnswer)
{
    auto& cache = ImageCache::sharedImageCache();
    const std::string url = m_base + "/img/one";

    auto first = load(url);
    ASSERT_NE(first.image, nullptr) << first.error;
    EXPECT_EQ(first.type, CacheType::None);
    EXPECT_EQ(first.url, url);
    EXPECT_EQ(first.image->pixel(3, 3), colourOf("/img/one"));
    cache.waitForDiskWrites();
    EXPECT_TRUE(cache.diskImageExists(url));

    auto second = load(url);
    EXPECT_EQ(second.type, CacheType::Memory);
    EXPECT_EQ(second.image, first.image);

    cache.clearMemory();
    auto third = load(url);
    EXPECT_EQ(third.type, CacheType::Disk);
    ASSERT_NE(third.image, nullptr);
    EXPECT_EQ(third.image->pixel(0, 0), colourOf("/img/one"));
    EXPECT_EQ(requests("/img/one"), 1);

    bool cleared = false;
    cache.clearDisk([&] { cleared = true; });
    ASSERT_TRUE(runUntil([&] { return cleared; }));
    cache.clearMemory();
    auto fourth = load(url);
    EXPECT_EQ(fourth.type, CacheType::None);
    EXPECT_EQ(requests("/img/one"), 2);
}

TEST_F(WebImageTest, APhotoKeepsItsExifOrientationFromTheNetworkAndTheDisk)
{
    ASSERT_FALSE(m_portrait.empty());
    const std::string url = m_base + "/portrait.jpg";
    auto downloaded = load(url);
    ASSERT_NE(downloaded.image, nullptr) << downloaded.error;
    EXPECT_EQ(downloaded.image->orientation(), graphics::ImageOrientation::Right);
    EXPECT_GT(downloaded.image->size().height, downloaded.image->size().width) << "shown upright";

    ImageCache::sharedImageCache().waitForDiskWrites();
    ImageCache::sharedImageCache().clearMemory();
    auto fromDisk = load(url);
    EXPECT_EQ(fromDisk.type, CacheType::Disk);
    ASSERT_NE(fromDisk.image, nullptr);
    EXPECT_EQ(fromDisk.image->orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(requests("/portrait.jpg"), 1);
}

TEST_F(WebImageTest, ALargeBodyIsHandedOnWholeToTheDecoderAndTheDisk)
{
    ASSERT_FALSE(m_portrait.empty());
    const std::string url = m_base + "/big.jpg";
    const std::string sent = bigPhoto();
    int calls = 0;
    std::shared_ptr<graphics::Image> image;
    std::shared_ptr<const std::string> data;
    webimage::ImageDownloader::shared().download(url,
        [&](std::shared_ptr<graphics::Image> got, std::shared_ptr<const std::string> bytes,
            std::string error) {
            ++calls;
            image = std::move(got);
            data = std::move(bytes);
            EXPECT_EQ(error, "");
        });
    ASSERT_TRUE(runUntil([&] { return calls > 0; }));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->orientation(), graphics::ImageOrientation::Right);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->size(), sent.size());
    EXPECT_TRUE(*data == sent) << "the bytes differ";

    // Through the manager, the same bytes are what the disk cache keeps.
    auto loaded = load(url);
    ASSERT_NE(loaded.image, nullptr) << loaded.error;
    ImageCache::sharedImageCache().waitForDiskWrites();
    EXPECT_TRUE(readFile(ImageCache::sharedImageCache().cachePathForKey(url)) == sent) << "the file differs";
    EXPECT_EQ(requests("/big.jpg"), 2);
}

TEST_F(WebImageTest, AFailedLoadLeavesThePlaceholderAndSaysWhy)
{
    auto placeholder = graphics::Image::create(2, 2);
    struct Case {
        std::string url;
        std::string errorPart;
    };
    const Case cases[] = {
        {m_base + "/missing", "404"},
        {m_base + "/text", "not JPEG, PNG or GIF"},
        {"", "empty"},
        {"ftp://127.0.0.1/x.png", ""},
        {"http://127.0.0.1:1/refused.png", ""},
    };
    for (const auto& c : cases) {
        auto view = ui::ImageView::create();
        Result result;
        webimage::setImageWithURL(*view, c.url, placeholder, recordInto(result));
        ASSERT_TRUE(runUntil([&] { return result.calls > 0; })) << c.url;
        EXPECT_EQ(result.calls, 1) << c.url;
        EXPECT_EQ(result.image, nullptr) << c.url;
        EXPECT_EQ(result.url, c.url);
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << c.url << ": " << result.error;
        EXPECT_FALSE(result.error.empty()) << c.url;
        EXPECT_EQ(view->image(), placeholder) << c.url;
        EXPECT_EQ(view->pendingLoad(), nullptr) << c.url;
    }
    ImageCache::sharedImageCache().waitForDiskWrites();
    EXPECT_EQ(ImageCache::sharedImageCache().diskCount(), 0u) << "failures are not cached";
    EXPECT_EQ(ImageCache::sharedImageCache().memoryCount(), 0u);
    // A failure is not remembered: the next try asks again.
    Result again;
    auto view = ui::ImageView::create();
    webimage::setImageWithURL(*view, m_base + "/missing", nullptr, recordInto(again));
    ASSERT_TRUE(runUntil([&] { return again.calls > 0; }));
    EXPECT_EQ(requests("/missing"), 2);
}

TEST_F(WebImageTest, AnImagePastTheBudgetKeepsThePlaceholder)
{
    // The phone's screen: files of up to 4096 x 4096 pixels, whatever the screen.
    EXPECT_EQ(m_budget.maxPixels, graphics::kNetworkMaxDecodePixels);
    EXPECT_EQ(m_budget.fitWidth, 640);
    EXPECT_EQ(m_budget.fitHeight, 1136);
    EXPECT_EQ(ImageCache::sharedImageCache().decodeBudget().maxPixels, graphics::kNetworkMaxDecodePixels);

    auto placeholder = graphics::Image::create(2, 2);
    for (const char* path : {"/forged.jpg", "/forged.png"}) {
        auto view = ui::ImageView::create();
        Result result;
        webimage::setImageWithURL(*view, m_base + path, placeholder, recordInto(result));
        ASSERT_TRUE(runUntil([&] { return result.calls > 0; })) << path;
        EXPECT_EQ(result.image, nullptr) << path;
        EXPECT_NE(result.error.find("11585 x 11585 is too large to decode"), std::string::npos)
            << path << ": " << result.error;
        EXPECT_EQ(view->image(), placeholder) << path;
    }
    ImageCache::sharedImageCache().waitForDiskWrites();
    EXPECT_EQ(ImageCache::sharedImageCache().diskCount(), 0u);
}

TEST_F(WebImageTest, APhotoIsDecodedForTheScreenFromTheNetworkAndTheDisk)
{
    // A 1600 x 1200 photo on a 200 x 300 screen: a quarter (400 x 300) still covers it turned.
    auto small = graphics::DecodeBudget::forScreen(200, 300);
    webimage::ImageDownloader::shared().setDecodeBudget(small);
    ImageCache::sharedImageCache().setDecodeBudget(small);
    const std::string url = m_base + "/portrait.jpg";
    auto downloaded = load(url);
    ASSERT_NE(downloaded.image, nullptr) << downloaded.error;
    EXPECT_EQ(downloaded.image->pixelWidth(), 400);
    EXPECT_EQ(downloaded.image->pixelHeight(), 300);
    ImageCache::sharedImageCache().waitForDiskWrites();
    ImageCache::sharedImageCache().clearMemory();
    auto fromDisk = load(url);
    EXPECT_EQ(fromDisk.type, CacheType::Disk);
    ASSERT_NE(fromDisk.image, nullptr);
    EXPECT_EQ(fromDisk.image->pixelWidth(), 400);
    EXPECT_EQ(fromDisk.image->orientation(), graphics::ImageOrientation::Right);
}

TEST_F(WebImageTest, AMemoryHitIsShownBeforeTheCallReturns)
{
    const std::string url = m_base + "/img/hit";
    ASSERT_NE(load(url).image, nullptr);
    auto view = ui::ImageView::create();
    Result result;
    webimage::setImageWithURL(*view, url, graphics::Image::create(1, 1), recordInto(result));
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(shown(*view), colourOf("/img/hit"));
    EXPECT_EQ(view->pendingLoad(), nullptr);
    webimage::setImageWithURL(*view, "");
    EXPECT_EQ(view->image(), nullptr) << "no placeholder: the view shows nothing";
}

TEST_F(WebImageTest, AReusedViewNeverShowsItsEarlierImage)
{
    auto& cache = ImageCache::sharedImageCache();
    ASSERT_NE(load(m_base + "/img/cached").image, nullptr);
    auto placeholder = graphics::Image::create(1, 1);

    // A cell starts loading its slow image; another cell waits for the same one.
    auto reused = ui::ImageView::create();
    auto other = ui::ImageView::create();
    Result stale, kept, fresh, cached;
    webimage::setImageWithURL(*reused, m_base + "/held/old", placeholder, recordInto(stale));
    webimage::setImageWithURL(*other, m_base + "/held/old", placeholder, recordInto(kept));
    ASSERT_TRUE(runUntil(
        [&] { return webimage::ImageDownloader::shared().waitingCount(m_base + "/held/old") == 2; }));

    // The cell is reused for another item, first a download, then a memory hit.
    webimage::setImageWithURL(*reused, m_base + "/img/new", placeholder, recordInto(fresh));
    EXPECT_EQ(reused->image(), placeholder);
    ASSERT_TRUE(runUntil([&] { return fresh.calls > 0; }));
    EXPECT_EQ(shown(*reused), colourOf("/img/new"));
    webimage::setImageWithURL(*reused, m_base + "/img/cached", placeholder, recordInto(cached));
    EXPECT_EQ(shown(*reused), colourOf("/img/cached"));

    // The old download still arrives, for the other cell only.
    release();
    ASSERT_TRUE(runUntil([&] { return kept.calls > 0; }));
    foundation::RunLoop::main().runFor(0.05);
    EXPECT_EQ(shown(*other), colourOf("/held/old"));
    EXPECT_EQ(shown(*reused), colourOf("/img/cached"));
    EXPECT_EQ(stale.calls, 0);
    EXPECT_EQ(fresh.calls, 1);
    EXPECT_EQ(cached.calls, 1);
    EXPECT_EQ(requests("/held/old"), 1) << "two views asking for one URL share the download";
    cache.waitForDiskWrites();
    EXPECT_TRUE(cache.diskImageExists(m_base + "/held/old"));
}

TEST_F(WebImageTest, CancellingOrDroppingTheViewStopsTheDownload)
{
    auto& downloader = webimage::ImageDownloader::shared();
    Result cancelled, dropped;
    auto view = ui::ImageView::create();
    auto placeholder = graphics::Image::create(1, 1);
    webimage::setImageWithURL(*view, m_base + "/held/a", placeholder, recordInto(cancelled));
    webimage::cancelImageLoad(*view);
    EXPECT_EQ(view->image(), placeholder);

    auto gone = ui::ImageView::create();
    webimage::setImageWithURL(*gone, m_base + "/held/b", nullptr, recordInto(dropped));
    // Let both reach the network: the disk lookup comes first.
    ASSERT_TRUE(runUntil([&] { return downloader.activeCount() == 1; }));
    gone.reset();
    EXPECT_EQ(downloader.activeCount(), 0u);

    release();
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(cancelled.calls, 0);
    EXPECT_EQ(dropped.calls, 0);
    EXPECT_EQ(view->image(), placeholder);
}

} // namespace
