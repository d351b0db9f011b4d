#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/MoviePlayerTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace foundation {
class Timer;
}
namespace media {
class MovieDecoder;
}

namespace ui {

class MoviePlayerView;
class View;

// Plays a movie file or http URL in its view. Pictures are decoded ahead on a worker thread and
// shown in step with the run loop's clock (with sound, the sound device's position); on a manual
// clock, advancing the clock advances playback exactly, waiting for the decoder when it has to.
// A movie that cannot be opened or read shows why and finishes with an error; nothing blocks for
// long. States, load states, full screen and the end are reported through the notifications
// below, all on the main thread, with the player as the object.
class MoviePlayerController final : public std::enable_shared_from_this<MoviePlayerController> {
public:
    static constexpr const char* kPlaybackStateDidChangeNotification
        = "MPMoviePlayerPlaybackStateDidChangeNotification";
    static constexpr const char* kPlaybackDidFinishNotification
        = "MPMoviePlayerPlaybackDidFinishNotification";
    static constexpr const char* kLoadStateDidChangeNotification
        = "MPMoviePlayerLoadStateDidChangeNotification";
    static constexpr const char* kDurationAvailableNotification = "MPMovieDurationAvailableNotification";
    static constexpr const char* kWillEnterFullscreenNotification
        = "MPMoviePlayerWillEnterFullscreenNotification";
    static constexpr const char* kDidEnterFullscreenNotification
        = "MPMoviePlayerDidEnterFullscreenNotification";
    static constexpr const char* kWillExitFullscreenNotification
        = "MPMoviePlayerWillExitFullscreenNotification";
    static constexpr const char* kDidExitFullscreenNotification
        = "MPMoviePlayerDidExitFullscreenNotification";
    // userInfo of the finish notification: the reason (an integer) and, after an error, its text.
    static constexpr const char* kPlaybackDidFinishReasonUserInfoKey
        = "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey";
    static constexpr const char* kErrorUserInfoKey = "error";

    // The player's own failure text, shown over the picture.
    static constexpr const char* kFailureText = "无法播放该视频";
    // Seconds without any data before an open or a read gives up.
    static constexpr double kStallTimeout = 10;
    // On a manual clock, how long (real time) a frame step waits for the decoder before the
    // player counts as stalled.
    static constexpr double kManualClockWait = 2;
    static constexpr double kControlsHideDelay = 3;
    static constexpr double kFullscreenAnimationDuration = 0.3;

    // A local path (or file:// URL) or an http(s) URL.
    static std::shared_ptr<MoviePlayerController> initWithContentURL(std::string url);
    explicit MoviePlayerController(std::string url);
    ~MoviePlayerController();
    MoviePlayerController(const MoviePlayerController&) = delete;
    MoviePlayerController& operator=(const MoviePlayerController&) = delete;

    const std::string& contentURL() const { return m_url; }
    std::shared_ptr<View> view();
    std::shared_ptr<MoviePlayerView> playerView();

    // Starts opening the movie (play() does it too).
    void prepareToPlay();
    bool isPreparedToPlay() const { return m_loaded; }
    void play();
    void pause();
    // Stops and goes back to the start.
    void stop();

    MoviePlaybackState playbackState() const { return m_state; }
    uint32_t loadState() const { return m_loadState; }
    double currentPlaybackTime() const;
    void setCurrentPlaybackTime(double seconds);
    // 0 until known.
    double duration() const { return m_duration; }
    graphics::Size naturalSize() const { return m_naturalSize; }
    // Seconds without data before opening or reading gives up (kStallTimeout by default); takes
    // effect for the next open.
    void setStallTimeout(double seconds) { m_stallTimeout = seconds; }
    // Why the movie failed, for logs; empty when it did not.
    const std::string& errorText() const { return m_error; }

    bool shouldAutoplay() const { return m_shouldAutoplay; }
    void setShouldAutoplay(bool autoplay) { m_shouldAutoplay = autoplay; }
    MovieControlStyle controlStyle() const { return m_controlStyle; }
    void setControlStyle(MovieControlStyle style);

    bool isFullscreen() const { return m_fullscreen; }
    void setFullscreen(bool fullscreen) { setFullscreen(fullscreen, false); }
    void setFullscreen(bool fullscreen, bool animated);

    // What the Done button does; without one, Done leaves full screen.
    void setDoneAction(std::function<void()> action) { m_doneAction = std::move(action); }
    // Ends playback as the user's choice: stops and posts the finish with UserExited.
    void exitPlayback();

    // Objects that additions to the player keep on it, by key (the object runtime's associated
    // objects); they live as long as the player.
    std::shared_ptr<void> associatedObject(const std::string& key) const;
    void setAssociatedObject(const std::string& key, std::shared_ptr<void> object);

    // Frames shown and frames passed over because a later one was already due.
    int shownFrames() const { return m_shownFrames; }
    int droppedFrames() const { return m_droppedFrames; }
    double shownFrameTime() const { return m_shownFrameTime; }

private:
    void ensureDecoder();
    void tick();
    bool finishLoading();
    void presentFrameAt(double time, bool mayWait);
    void setState(MoviePlaybackState state);
    void setLoadState(uint32_t state);
    void startClock(double at);
    void freezeClock();
    void startFrameCallback();
    void stopFrameCallback();
    void finish(MovieFinishReason reason);
    void failPlayback(const std::string& why);
    void updateControls();
    void scheduleControlsHiding();
    void toggleControls();
    void postFullscreen(const char* name, bool animated);

    const std::string m_url;
    std::shared_ptr<MoviePlayerView> m_view;
    std::unique_ptr<media::MovieDecoder> m_decoder;
    std::map<std::string, std::shared_ptr<void>> m_associated;
    std::function<void()> m_doneAction;
    std::shared_ptr<foundation::Timer> m_hideControlsTimer;

    MoviePlaybackState m_state {MoviePlaybackState::Stopped};
    uint32_t m_loadState {MovieLoadState::Unknown};
    MovieControlStyle m_controlStyle {MovieControlStyle::Embedded};
    std::string m_error;
    double m_stallTimeout {kStallTimeout};
    double m_duration {0};
    graphics::Size m_naturalSize;
    double m_frameInterval {1.0 / 25};
    // Playback time = m_baseTime + (clock - m_anchor) while the clock runs.
    double m_baseTime {0};
    double m_anchor {0};
    bool m_clockRunning {false};
    double m_shownFrameTime {-1};
    int m_shownFrames {0};
    int m_droppedFrames {0};
    uint64_t m_frameCallback {0};
    bool m_loaded {false};
    bool m_wantsToPlay {false};
    bool m_failed {false};
    bool m_shouldAutoplay {true};
    bool m_fullscreen {false};
    bool m_waitedInVain {false};
    double m_waitingSince {0};
    // Where the view sat before going full screen.
    std::weak_ptr<View> m_embeddedSuperview;
    graphics::Rect m_embeddedFrame;
};

} // namespace ui
