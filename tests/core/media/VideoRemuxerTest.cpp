#include "core/media/VideoRemuxer.h"

#include "core/media/VideoFrameReader.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Image.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Made with: ffmpeg -f lavfi -i testsrc=size=160x120:rate=10:duration=1 -c:v mpeg4 -f mov
const fs::path kQuickTimeMovie = MIVO_SOURCE_DIR "/tests/core/media/data/short-quicktime.mov";
// Sound with a cover picture, and sound alone: files a phone can pick that hold no movie. Made with
// ffmpeg -f lavfi -i sine=frequency=440:duration=0.5 -i cover.png -map 0 -map 1 -c:a aac -b:a 32k
// -c:v png -disposition:v:0 attached_pic -f mp4 (and -f mov, which drops the picture).
const fs::path kCoverArtOnly = MIVO_SOURCE_DIR "/tests/core/media/data/cover-art-only.mp4";
const fs::path kSoundOnly = MIVO_SOURCE_DIR "/tests/core/media/data/sound-only.mov";

class VideoRemuxerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("mivo-remux-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

TEST_F(VideoRemuxerTest, RemuxesAQuickTimeMovieIntoAPlayableMp4)
{
    EXPECT_FALSE(media::VideoRemuxer::isMp4(kQuickTimeMovie));
    fs::path target = m_folder / "2.mp4";
    std::string error;
    ASSERT_TRUE(media::VideoRemuxer::copyAsMp4(kQuickTimeMovie, target, &error)) << error;
    EXPECT_TRUE(media::VideoRemuxer::isMp4(target));

    auto original = media::VideoFrameReader::open(kQuickTimeMovie);
    auto copy = media::VideoFrameReader::open(target, &error);
    ASSERT_TRUE(original && copy) << error;
    EXPECT_NEAR(copy->duration(), original->duration(), 0.05);
    EXPECT_EQ(copy->width(), 160);
    double actual = -1;
    auto frame = copy->copyImageAtTime(0.5, 0, 0, &actual, &error);
    ASSERT_TRUE(frame) << error;
    EXPECT_NEAR(actual, 0.5, 1e-6);
    // Same packets, so the same picture.
    auto reference = original->copyImageAtTime(0.5, 0, 0);
    ASSERT_TRUE(reference);
    EXPECT_EQ(frame->pixel(80, 60), reference->pixel(80, 60));
    EXPECT_EQ(frame->pixel(10, 100), reference->pixel(10, 100));
}

// The copy goes into a file made new: what lies under the target's name is never opened, and a
// folder there fails the copy.
TEST_F(VideoRemuxerTest, ACopyOpensNothingPlantedUnderTheTargetsName)
{
    mivo::test::TimeLimit limit(60);
    const fs::path kMp4 = MIVO_SOURCE_DIR "/Resources/camera/sample-video.mp4";
    ASSERT_TRUE(foundation::writeFileAtomically(m_folder / "elsewhere", "kept"));
    for (const fs::path& source : {kMp4, kQuickTimeMovie}) {
        SCOPED_TRACE(source);
        fs::path fifo = m_folder / "fifo.mp4", link = m_folder / "link.mp4", folder = m_folder / "folder.mp4";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        fs::create_symlink(m_folder / "elsewhere", link);
        fs::create_directory(folder);
        for (const fs::path& target : {fifo, link}) {
            std::string error;
            EXPECT_TRUE(media::VideoRemuxer::copyAsMp4(source, target, &error)) << error;
            EXPECT_EQ(fs::symlink_status(target).type(), fs::file_type::regular);
            EXPECT_TRUE(media::VideoRemuxer::isMp4(target));
            fs::remove(target);
        }
        std::string error;
        EXPECT_FALSE(media::VideoRemuxer::copyAsMp4(source, folder, &error));
        EXPECT_EQ(error, "cannot create " + folder.string() + ": a folder is in its place");
        fs::remove(folder);
    }
    EXPECT_EQ(foundation::readFile(m_folder / "elsewhere"), "kept");
}

TEST_F(VideoRemuxerTest, FailsCleanlyWithAReason)
{
    mivo::test::TimeLimit limit(60);
    ASSERT_TRUE(foundation::writeFileAtomically(m_folder / "text.mov", "not a movie at all"));
    fs::create_directory(m_folder / "folder.mov");
    ASSERT_EQ(::mkfifo((m_folder / "fifo.mov").c_str(), 0600), 0);
    fs::create_symlink(kQuickTimeMovie, m_folder / "link.mov");
    auto refused = [&](const char* name, const char* why) {
        return "cannot open " + (m_folder / name).string() + ": " + why;
    };
    struct Case {
        fs::path source;
        fs::path target;
        std::string error; // empty: any reason
    };
    for (const Case& c :
        {Case {m_folder / "missing.mov", m_folder / "3.mp4", ""},
            Case {m_folder / "text.mov", m_folder / "3.mp4", ""},
            Case {MIVO_SOURCE_DIR "/Resources/camera/sample-photo-2.jpg", m_folder / "3.mp4",
                "a still picture is not a movie"},
            Case {kQuickTimeMovie, m_folder / "no" / "such" / "4.mp4", ""},
            Case {kCoverArtOnly, m_folder / "5.mp4", "the movie has no playable video track"},
            Case {kSoundOnly, m_folder / "6.mp4", "the movie has no playable video track"},
            Case {m_folder / "folder.mov", m_folder / "7.mp4", refused("folder.mov", "it is a folder")},
            Case {m_folder / "fifo.mov", m_folder / "8.mp4", refused("fifo.mov", "it is a FIFO")},
            Case {m_folder / "link.mov", m_folder / "9.mp4", refused("link.mov", "it is a symbolic link")}}) {
        std::string error;
        EXPECT_FALSE(media::VideoRemuxer::copyAsMp4(c.source, c.target, &error)) << c.source;
        EXPECT_FALSE(error.empty()) << c.source;
        if (!c.error.empty()) {
            EXPECT_EQ(error, c.error);
        }
        EXPECT_FALSE(fs::exists(c.target)) << c.source;
    }
}

} // namespace
