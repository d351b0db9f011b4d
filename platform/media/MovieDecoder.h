#pragma once

#include "platform/media/MovieFrame.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct AVFrame;

namespace media {

class AudioOutput;

// Opens a movie file or an http URL and decodes its pictures ahead, on threads of its own, into a
// bounded queue of frames with their presentation times (and its sound into an AudioOutput when
// asked and a device is there). The main thread takes frames by time and never waits for the
// worker unless it asks to. A blocking open or read that makes no progress for the stall timeout
// fails the movie; destroying the decoder cancels any I/O at once.
class MovieDecoder final {
public:
    enum class Status { Opening, Ready, Ended, Failed };
    struct Options {
        size_t queueCapacity {12};
        double stallTimeout {10};
        bool decodeAudio {false};
    };

    static std::unique_ptr<MovieDecoder> start(std::string url, Options options);
    static std::unique_ptr<MovieDecoder> start(std::string url) { return start(std::move(url), Options {}); }
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    Status status() const;
    // Why the movie failed; empty otherwise.
    std::string error() const;
    // Valid once the status has left Opening.
    MovieInfo info() const;
    size_t queuedFrames() const;

    // Removes every queued frame due at `time` and returns the latest of them (nullopt when none
    // is due yet); *skipped gets how many earlier ones were passed over.
    std::optional<MovieFrame> takeFrameAt(double time, int* skipped = nullptr);
    // True when what is shown at `time` is known: a later frame is queued, or no more will come.
    bool isSettledAt(double time) const;
    // Waits up to realTimeout seconds for isSettledAt(time); for callers on a manual clock, where
    // playback may not run ahead of decoding.
    bool waitUntilSettled(double time, double realTimeout) const;
    bool waitWhileOpening(double realTimeout) const;

    // Drops the queue and decodes on from the last frame at or before `time`.
    void seek(double time);
    // The sound device, when the movie's sound plays; owned by the decoder.
    AudioOutput* audio() const { return m_audio.get(); }

private:
    struct Codec;
    explicit MovieDecoder(std::string url, Options options);
    void run();
    bool open();
    void decodeLoop();
    void convertLoop();
    bool isSettledLocked(double time) const;
    void fail(std::string why);
    void setStatus(Status status);
    bool stopping() const;

    const std::string m_url;
    const Options m_options;
    std::unique_ptr<Codec> m_codec;
    std::unique_ptr<AudioOutput> m_audio;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<MovieFrame> m_frames;
    Status m_status {Status::Opening};
    std::string m_error;
    MovieInfo m_info;
    // Decoded pictures on their way to the queue.
    struct Pending {
        AVFrame* frame {nullptr};
        double time {0};
        uint64_t generation {0};
    };
    std::deque<Pending> m_toConvert;
    size_t m_inFlight {0};
    uint64_t m_seekGeneration {0};
    double m_seekTarget {0};
    bool m_stopping {false};
    std::thread m_thread;
    std::thread m_converter;
};

} // namespace media
