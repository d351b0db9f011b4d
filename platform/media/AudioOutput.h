#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace media {

// A movie's sound on an SDL audio device: interleaved float samples are queued from the decoding
// thread, and the device's progress through them is the movie's clock while it plays.
class AudioOutput final {
public:
    // SDL's audio subsystem is process-wide: started on first use (unless MIVO_NO_AUDIO is set)
    // and kept; false when it cannot start.
    static bool audioSubsystemReady();
    // nullptr when there is no device (or MIVO_NO_AUDIO is set): the movie then plays silently.
    static std::unique_ptr<AudioOutput> open(int sampleRate, int channels);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    // Any thread. `time` is the movie time of the first sample; it anchors the clock after clear().
    void queue(const float* samples, size_t frames, double time);
    double queuedSeconds() const;
    // The movie time being heard now; nullopt-like -1 before any sample was queued.
    double position() const;
    bool hasPosition() const;
    void setPaused(bool paused);
    void clear();

private:
    AudioOutput(uint32_t device, int sampleRate, int channels);

    uint32_t m_device;
    int m_sampleRate;
    int m_channels;
    mutable std::mutex m_mutex;
    bool m_anchored {false};
    double m_anchorTime {0};
    uint64_t m_queuedBytes {0};
};

} // namespace media
