#include "platform/ui/AudioPlayer.h"
#include "tests/support/ManualClockTest.h"
#include "tests/support/TimeLimit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A 16-bit mono WAV of `seconds` of silence.
void writeWav(const std::string& path, double seconds)
{
    const uint32_t rate = 8000;
    uint32_t samples = uint32_t(rate * seconds);
    uint32_t data = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::initializer_list<std::pair<uint32_t, int>> fields) { // little-endian values
        for (auto [value, bytes] : fields)
            out.write(reinterpret_cast<const char*>(&value), bytes);
    };
    out.write("RIFF", 4);
    put({{36 + data, 4}});
    // PCM format chunk: size, format 1, mono, rate, byte rate, block align, bits.
    out.write("WAVEfmt ", 8);
    put({{16, 4}, {1, 2}, {1, 2}, {rate, 4}, {rate * 2, 4}, {2, 2}, {16, 2}});
    out.write("data", 4);
    put({{data, 4}});
    out << std::string(data, '\0');
}

class AudioPlayerTest : public mivo::test::ManualClockTest {
protected:
    void SetUp() override
    {
        // No real sound device in tests: the player plays silently on the clock.
        setenv("MIVO_NO_AUDIO", "1", 1);
        ManualClockTest::SetUp();
        dir = std::filesystem::temp_directory_path() / ("mivo-audio-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        ManualClockTest::TearDown();
    }
    std::filesystem::path dir;
};

TEST_F(AudioPlayerTest, RefusesMissingAndNonWavFiles)
{
    std::string error;
    EXPECT_FALSE(ui::AudioPlayer::initWithContentsOfURL(dir / "missing.wav", &error));
    EXPECT_NE(error.find("No sound file"), std::string::npos);
    std::ofstream(dir / "notes.txt") << "not a sound";
    error.clear();
    EXPECT_FALSE(ui::AudioPlayer::initWithContentsOfURL(dir / "notes.txt", &error));
    EXPECT_NE(error.find("Not a WAV"), std::string::npos);

    // A folder or a FIFO in the file's place is no sound file, and nothing waits for the FIFO.
    mivo::test::TimeLimit limit(30);
    std::filesystem::create_directory(dir / "folder.wav");
    ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
    for (auto [name, why] : {std::pair {"folder.wav", "it is a folder"}, {"fifo.wav", "it is a FIFO"}}) {
        EXPECT_FALSE(ui::AudioPlayer::initWithContentsOfURL(dir / name, &error));
        EXPECT_EQ(error, "No sound file (cannot open " + (dir / name).string() + ": " + why + ")");
    }
}

TEST_F(AudioPlayerTest, PlaysForTheSoundsDuration)
{
    writeWav((dir / "beep.wav").string(), 0.5);
    std::string error;
    auto player = ui::AudioPlayer::initWithContentsOfURL(dir / "beep.wav", &error);
    ASSERT_TRUE(player) << error;
    EXPECT_NEAR(player->duration(), 0.5, 1e-9);
    EXPECT_TRUE(player->prepareToPlay());
    EXPECT_FALSE(player->isPlaying());
    player->play();
    EXPECT_TRUE(player->isPlaying());
    runFor(0.3);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_NEAR(player->currentTime(), 0.3, 1e-6);
    runFor(0.3);
    EXPECT_FALSE(player->isPlaying());
    player->play();
    player->stop();
    EXPECT_FALSE(player->isPlaying());
}

} // namespace
