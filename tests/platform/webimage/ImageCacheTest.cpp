#include "platform/webimage/ImageCache.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using webimage::ImageCache;

namespace {

std::shared_ptr<graphics::Image> solid(uint32_t argb, int width = 4, int height = 3)
{
    auto image = graphics::Image::create(width, height);
    image->fill(argb);
    return image;
}

std::shared_ptr<const std::string> pngOf(const graphics::Image& image)
{
    auto png = graphics::PngCodec::encode(image);
    return std::make_shared<const std::string>(png->begin(), png->end());
}

class ImageCacheTest : public ::testing::Test {
protected:
    void SetUp() override { foundation::RunLoop::main().reset(); }
    void TearDown() override { foundation::RunLoop::main().reset(); }

    mivo::test::TempHome m_home;
    std::filesystem::path m_folder = m_home.path() / "cache";
    ImageCache m_cache {m_folder};
};

TEST_F(ImageCacheTest, FileNamesAreAStableHashOfTheKey)
{
    // The 128-bit FNV-1a offset basis and a known digest: names must survive a rebuild.
    EXPECT_EQ(ImageCache::cacheFileName(""), "6c62272e07bb014262b821756295c58d");
    EXPECT_EQ(ImageCache::cacheFileName("a"), "d228cb696f1a8caf78912b704e4a8964");
    std::string url = "http://127.0.0.1:8080/media/../../etc/passwd?x=1";
    EXPECT_EQ(m_cache.cachePathForKey(url), m_folder / ImageCache::cacheFileName(url));
    EXPECT_NE(ImageCache::cacheFileName(url), ImageCache::cacheFileName(url + "2"));
}

TEST_F(ImageCacheTest, StoredImagesComeBackFromMemoryThenDisk)
{
    const std::string key = "http://host/a.png";
    auto image = solid(0xff336699);
    m_cache.storeImage(key, image, pngOf(*image));
    EXPECT_EQ(m_cache.imageFromMemoryCache(key), image);
    EXPECT_EQ(m_cache.memoryCost(), size_t(image->stride() * image->pixelHeight()));
    m_cache.waitForDiskWrites();
    EXPECT_TRUE(m_cache.diskImageExists(key));
    EXPECT_EQ(m_cache.diskCount(), 1u);

    m_cache.clearMemory();
    EXPECT_EQ(m_cache.imageFromMemoryCache(key), nullptr);
    EXPECT_EQ(m_cache.memoryCount(), 0u);
    auto fromDisk = m_cache.imageFromDiskCache(key);
    ASSERT_NE(fromDisk, nullptr);
    EXPECT_EQ(fromDisk->pixel(2, 1), 0xff336699u);
    EXPECT_EQ(m_cache.imageFromMemoryCache(key), fromDisk) << "a disk hit is kept in memory";

    // Without bytes an image stays in memory only.
    m_cache.storeImage("memory-only", solid(0xff000000));
    m_cache.waitForDiskWrites();
    EXPECT_FALSE(m_cache.diskImageExists("memory-only"));
    EXPECT_NE(m_cache.imageFromMemoryCache("memory-only"), nullptr);
}

TEST_F(ImageCacheTest, QueryingTheDiskAnswersOnTheMainQueue)
{
    auto image = solid(0xffaa0000);
    m_cache.storeImage("k", image, pngOf(*image));
    m_cache.waitForDiskWrites();
    m_cache.clearMemory();
    int answers = 0;
    std::shared_ptr<graphics::Image> found, missing = solid(0);
    m_cache.queryDiskCache("k", [&](std::shared_ptr<graphics::Image> result) {
        EXPECT_TRUE(foundation::RunLoop::main().isMainThread());
        ++answers;
        found = std::move(result);
    });
    m_cache.queryDiskCache("absent", [&](std::shared_ptr<graphics::Image> result) {
        ++answers;
        missing = std::move(result);
    });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return answers == 2; }, 10));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->pixel(0, 0), 0xffaa0000u);
    EXPECT_EQ(missing, nullptr);
}

TEST_F(ImageCacheTest, ClearDiskRemovesFilesAfterEarlierWritesAndKeepsMemory)
{
    for (int i = 0; i < 5; ++i) {
        auto image = solid(0xff000000 | uint32_t(i));
        m_cache.storeImage("key" + std::to_string(i), image, pngOf(*image));
    }
    bool cleared = false;
    m_cache.clearDisk([&] { cleared = true; });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return cleared; }, 10));
    EXPECT_EQ(m_cache.diskCount(), 0u);
    EXPECT_EQ(m_cache.diskSize(), 0u);
    EXPECT_EQ(m_cache.memoryCount(), 5u);
    EXPECT_FALSE(m_cache.diskImageExists("key0"));
    // The folder itself stays usable.
    auto image = solid(0xff010203);
    m_cache.storeImage("after", image, pngOf(*image));
    m_cache.waitForDiskWrites();
    EXPECT_TRUE(m_cache.diskImageExists("after"));
}

TEST_F(ImageCacheTest, ClearDiskRemovesOnlyTheFilesItWrote)
{
    namespace fs = std::filesystem;
    auto image = solid(0xff102030);
    m_cache.storeImage("key", image, pngOf(*image));
    m_cache.waitForDiskWrites();
    fs::path outside = m_home.path() / "outside";
    fs::create_directories(outside / "folder");
    std::ofstream(outside / "file.txt") << "mine";
    std::ofstream(outside / "folder" / "inner.txt") << "mine";
    // Beside the cache's files: a folder, a file of another name, links named like cache files.
    fs::create_directories(m_folder / "sub");
    std::ofstream(m_folder / "sub" / "inner.txt") << "mine";
    std::ofstream(m_folder / "notes.txt") << "mine";
    fs::create_symlink(outside / "file.txt", m_folder / ImageCache::cacheFileName("link to a file"));
    fs::create_symlink(outside / "folder", m_folder / ImageCache::cacheFileName("link to a folder"));

    bool cleared = false;
    m_cache.clearDisk([&] { cleared = true; });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return cleared; }, 10));
    EXPECT_FALSE(m_cache.diskImageExists("key"));
    EXPECT_TRUE(fs::exists(m_folder / "sub" / "inner.txt"));
    EXPECT_TRUE(fs::exists(m_folder / "notes.txt"));
    EXPECT_TRUE(fs::is_symlink(m_folder / ImageCache::cacheFileName("link to a file")));
    EXPECT_TRUE(fs::exists(outside / "file.txt"));
    EXPECT_TRUE(fs::exists(outside / "folder" / "inner.txt"));
}

TEST(ImageCacheLinkTest, ACacheFolderThatLeadsElsewhereIsNeitherWrittenNorCleared)
{
    namespace fs = std::filesystem;
    foundation::RunLoop::main().reset();
    mivo::test::TempHome home;
    fs::path outside = home.path() / "outside";
    fs::create_directories(outside / "folder");
    std::ofstream(outside / "file.txt") << "mine";
    std::ofstream(outside / ImageCache::cacheFileName("key")) << "mine";
    std::ofstream(outside / "folder" / "inner.txt") << "mine";
    ImageCache cache;
    fs::create_directories(cache.directory().parent_path());
    fs::create_symlink(outside, cache.directory());

    auto image = solid(0xff102030);
    cache.storeImage("other", image, pngOf(*image));
    bool cleared = false;
    cache.clearDisk([&] { cleared = true; });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return cleared; }, 10));
    EXPECT_FALSE(fs::exists(outside / ImageCache::cacheFileName("other")));
    EXPECT_TRUE(fs::exists(outside / "file.txt"));
    EXPECT_TRUE(fs::exists(outside / ImageCache::cacheFileName("key")));
    EXPECT_TRUE(fs::exists(outside / "folder" / "inner.txt"));
    // Images still show from memory.
    EXPECT_NE(cache.imageFromMemoryCache("other"), nullptr);
    foundation::RunLoop::main().reset();
}

TEST_F(ImageCacheTest, AFileThatNoLongerDecodesIsAMissAndGoes)
{
    auto path = m_cache.cachePathForKey("broken");
    std::ofstream(path, std::ios::binary) << "\x89PNG\r\n\x1a\n truncated";
    EXPECT_EQ(m_cache.imageFromDiskCache("broken"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ImageCacheTest, WhatIsNoRegularFileUnderAKeysNameIsAMissAndStays)
{
    mivo::test::TimeLimit limit(30);
    namespace fs = std::filesystem;
    fs::create_directories(m_folder);
    auto image = solid(0xff00aa00);
    auto png = pngOf(*image);
    fs::path outside = m_home.path() / "outside.png";
    std::ofstream(outside, std::ios::binary).write(reinterpret_cast<const char*>(png->data()), png->size());
    fs::create_directory(m_cache.cachePathForKey("folder"));
    ASSERT_EQ(::mkfifo(m_cache.cachePathForKey("fifo").c_str(), 0600), 0);
    fs::create_symlink(outside, m_cache.cachePathForKey("link"));
    for (const char* key : {"folder", "fifo", "link"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(m_cache.imageFromDiskCache(key), nullptr);
        std::error_code code;
        EXPECT_TRUE(fs::exists(fs::symlink_status(m_cache.cachePathForKey(key), code))) << "left alone";
    }
    bool answered = false;
    m_cache.queryDiskCache("fifo", [&](std::shared_ptr<graphics::Image> result) {
        answered = true;
        EXPECT_EQ(result, nullptr);
    });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return answered; }, 10));

    // A copy larger than any download may be is dropped unread.
    auto huge = m_cache.cachePathForKey("huge");
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(png->data()), png->size());
    std::error_code code;
    fs::resize_file(huge, uint64_t(64 << 20) + 1, code);
    if (code)
        GTEST_SKIP() << "no sparse files here: " << code.message();
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    EXPECT_EQ(m_cache.imageFromDiskCache("huge"), nullptr);
    EXPECT_TRUE(capture.contains("more than the 67108864 allowed"));
    EXPECT_FALSE(fs::exists(huge));
}

// The partial file of a write has a predictable name: a FIFO planted there would block the cache's
// thread for good. Such leftovers are passed over; a folder there fails the write, which is logged.
TEST_F(ImageCacheTest, AWriteOpensNothingPlantedUnderItsPartialName)
{
    mivo::test::TimeLimit limit(60);
    namespace fs = std::filesystem;
    fs::create_directories(m_folder);
    constexpr int kPlanted = 256;
    auto plant = [&](const std::string& key, auto make) {
        for (int i = 0; i < kPlanted; ++i) {
            auto partial = m_cache.cachePathForKey(key);
            partial += "." + std::to_string(::getpid()) + "-" + std::to_string(i) + ".partial";
            make(partial);
        }
    };
    auto image = solid(0xff0000aa);
    plant("fifos", [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); });
    m_cache.storeImage("fifos", image, pngOf(*image));
    m_cache.waitForDiskWrites();
    EXPECT_TRUE(m_cache.diskImageExists("fifos"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), {}), kPlanted)
        << "the FIFO under the name used went";

    plant("folders", [](const fs::path& path) { fs::create_directory(path); });
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    m_cache.storeImage("folders", image, pngOf(*image));
    m_cache.waitForDiskWrites();
    EXPECT_FALSE(m_cache.diskImageExists("folders"));
    EXPECT_TRUE(capture.contains("web image cache: cannot create ")) << "logged";
    EXPECT_TRUE(capture.contains(": a folder is in its place"));
    EXPECT_EQ(m_cache.imageFromMemoryCache("folders"), image) << "still shown from memory";
}

TEST_F(ImageCacheTest, TheMemoryBoundHoldsAcrossStores)
{
    auto image = solid(0xff000000, 10, 10); // 400 bytes
    m_cache.setMaxMemoryCost(1000);
    for (int i = 0; i < 5; ++i)
        m_cache.storeImage(std::to_string(i), image);
    EXPECT_EQ(m_cache.memoryCount(), 2u);
    EXPECT_LE(m_cache.memoryCost(), 1000u);
    EXPECT_NE(m_cache.imageFromMemoryCache("4"), nullptr);
    EXPECT_EQ(m_cache.imageFromMemoryCache("0"), nullptr);
}

TEST(SharedImageCacheTest, LivesInTheHomesCachesFolder)
{
    mivo::test::TempHome home;
    auto& cache = ImageCache::sharedImageCache();
    EXPECT_EQ(&cache, &ImageCache::sharedImageCache());
    EXPECT_EQ(cache.directory(), home.path() / "Library" / "Caches" / "WebImageCache");
}

} // namespace
