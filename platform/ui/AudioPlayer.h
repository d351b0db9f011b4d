#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace ui {

// Plays one WAV sound. Output goes to an SDL audio device when one can be opened; without a device
// the player is silent but still reports playing for the sound's duration on the run loop's
// clock, so callers behave the same on a headless machine.
class AudioPlayer final : public std::enable_shared_from_this<AudioPlayer> {
public:
    // nullptr with a reason in `error` when the file is missing or not a readable WAV sound.
    static std::shared_ptr<AudioPlayer> initWithContentsOfURL(
        const std::filesystem::path& path, std::string* error = nullptr);

    ~AudioPlayer();
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    // Opens the output device (once); answers whether the player can play.
    bool prepareToPlay();
    // Starts from the beginning when stopped, or restarts a sound that is playing.
    bool play();
    void stop();
    bool isPlaying() const;

    double duration() const { return m_duration; }
    double currentTime() const;
    const std::filesystem::path& url() const { return m_path; }
    // True when sound really goes to a device (false for the silent stand-in).
    bool hasOutputDevice() const { return m_device != 0; }

private:
    AudioPlayer() = default;
    void closeDevice();

    std::filesystem::path m_path;
    uint8_t* m_samples {nullptr}; // owned by SDL (SDL_FreeWAV)
    uint32_t m_length {0};
    double m_duration {0};
    uint32_t m_device {0};
    bool m_prepared {false};
    bool m_playing {false};
    double m_startTime {0};
    // Kept as an opaque copy of SDL_AudioSpec so the header stays free of SDL.
    struct SampleFormat;
    std::unique_ptr<SampleFormat> m_format;
};

} // namespace ui
