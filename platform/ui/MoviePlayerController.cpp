#include "platform/ui/MoviePlayerController.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MovieDecoder.h"
#include "platform/ui/Application.h"
#include "platform/ui/MoviePlayerView.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace ui {

namespace {

// On a real clock, how long playback may wait for the decoder before it counts as stalled.
constexpr double kStallGrace = 0.5;
constexpr double kTimeSlack = 1e-6;

bool clockIsManual()
{
    return foundation::RunLoop::main().clock()->isManual();
}

std::string localPathOrURL(const std::string& url)
{
    constexpr std::string_view kFileScheme = "file://";
    if (url.compare(0, kFileScheme.size(), kFileScheme) == 0)
        return url.substr(kFileScheme.size());
    return url;
}

} // namespace

std::shared_ptr<MoviePlayerController> MoviePlayerController::initWithContentURL(std::string url)
{
    return std::make_shared<MoviePlayerController>(std::move(url));
}

MoviePlayerController::MoviePlayerController(std::string url)
    : m_url(std::move(url))
{ }

MoviePlayerController::~MoviePlayerController()
{
    stopFrameCallback();
    if (m_hideControlsTimer)
        m_hideControlsTimer->invalidate();
}

std::shared_ptr<View> MoviePlayerController::view()
{
    return playerView();
}

std::shared_ptr<MoviePlayerView> MoviePlayerController::playerView()
{
    if (!m_view) {
        std::weak_ptr<MoviePlayerController> weakSelf = weak_from_this();
        auto with = [weakSelf](auto action) {
            return [weakSelf, action](auto... args) {
                if (auto self = weakSelf.lock())
                    action(*self, args...);
            };
        };
        MoviePlayerView::Callbacks callbacks;
        callbacks.done = with([](MoviePlayerController& self) {
            if (self.m_doneAction)
                self.m_doneAction();
            else if (self.m_fullscreen)
                self.setFullscreen(false, true);
        });
        callbacks.togglePlayback = with([](MoviePlayerController& self) {
            if (self.m_state == MoviePlaybackState::Playing
                || self.m_state == MoviePlaybackState::Interrupted)
                self.pause();
            else
                self.play();
        });
        callbacks.seek = with([](MoviePlayerController& self, double fraction) {
            if (self.m_duration > 0)
                self.setCurrentPlaybackTime(fraction * self.m_duration);
        });
        callbacks.tapped = with([](MoviePlayerController& self) { self.toggleControls(); });
        m_view = MoviePlayerView::create(std::move(callbacks));
        m_view->setControlStyle(m_controlStyle);
        if (m_failed)
            m_view->showFailure(kFailureText);
    }
    return m_view;
}

void MoviePlayerController::setControlStyle(MovieControlStyle style)
{
    m_controlStyle = style;
    if (m_view)
        m_view->setControlStyle(style);
}

void MoviePlayerController::ensureDecoder()
{
    if (m_decoder || m_failed)
        return;
    media::MovieDecoder::Options options;
    options.stallTimeout = m_stallTimeout;
    // Sound would run on its own time; on a manual clock the movie plays silently and exactly.
    options.decodeAudio = !clockIsManual();
    m_decoder = media::MovieDecoder::start(localPathOrURL(m_url), options);
    m_waitedInVain = false;
    startFrameCallback();
}

void MoviePlayerController::prepareToPlay()
{
    ensureDecoder();
}

void MoviePlayerController::play()
{
    if (m_failed)
        return;
    playerView();
    ensureDecoder();
    m_wantsToPlay = true;
    if (!m_loaded || m_state == MoviePlaybackState::Playing)
        return;
    if (m_duration > 0 && m_baseTime >= m_duration - kTimeSlack)
        setCurrentPlaybackTime(0);
    m_waitingSince = foundation::RunLoop::main().now();
    setState(MoviePlaybackState::Playing);
    startFrameCallback();
    scheduleControlsHiding();
}

void MoviePlayerController::pause()
{
    m_wantsToPlay = false;
    if (m_state != MoviePlaybackState::Playing && m_state != MoviePlaybackState::Interrupted)
        return;
    freezeClock();
    setState(MoviePlaybackState::Paused);
}

void MoviePlayerController::stop()
{
    m_wantsToPlay = false;
    freezeClock();
    if (m_loaded && m_baseTime != 0)
        setCurrentPlaybackTime(0);
    setState(MoviePlaybackState::Stopped);
}

void MoviePlayerController::exitPlayback()
{
    auto protector = shared_from_this();
    stop();
    finish(MovieFinishReason::UserExited);
}

double MoviePlayerController::currentPlaybackTime() const
{
    double time = m_baseTime;
    if (m_clockRunning) {
        media::AudioOutput* audio = m_decoder ? m_decoder->audio() : nullptr;
        if (audio && audio->hasPosition())
            time = audio->position();
        else
            time = m_baseTime + (foundation::RunLoop::main().now() - m_anchor);
    }
    if (m_duration > 0)
        time = std::min(time, m_duration);
    return std::max(0.0, time);
}

void MoviePlayerController::setCurrentPlaybackTime(double seconds)
{
    seconds = std::max(0.0, seconds);
    if (m_duration > 0)
        seconds = std::min(seconds, m_duration);
    freezeClock();
    m_baseTime = seconds;
    m_shownFrameTime = -1;
    m_waitedInVain = false;
    m_waitingSince = foundation::RunLoop::main().now();
    if (m_decoder && m_loaded)
        m_decoder->seek(seconds);
    if (m_view)
        m_view->setTimes(seconds, m_duration);
    startFrameCallback();
}

void MoviePlayerController::startClock(double at)
{
    m_baseTime = at;
    m_anchor = foundation::RunLoop::main().now();
    m_clockRunning = true;
    if (auto* audio = m_decoder ? m_decoder->audio() : nullptr)
        audio->setPaused(false);
}

void MoviePlayerController::freezeClock()
{
    if (m_clockRunning)
        m_baseTime = currentPlaybackTime();
    m_clockRunning = false;
    if (auto* audio = m_decoder ? m_decoder->audio() : nullptr)
        audio->setPaused(true);
}

void MoviePlayerController::startFrameCallback()
{
    if (m_frameCallback || !m_decoder)
        return;
    std::weak_ptr<MoviePlayerController> weakSelf = weak_from_this();
    m_frameCallback = foundation::RunLoop::main().addFrameCallback([weakSelf](double) {
        if (auto self = weakSelf.lock())
            self->tick();
    });
}

void MoviePlayerController::stopFrameCallback()
{
    if (m_frameCallback)
        foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    m_frameCallback = 0;
}

bool MoviePlayerController::finishLoading()
{
    auto status = m_decoder->status();
    if (status == media::MovieDecoder::Status::Opening && clockIsManual() && !m_waitedInVain) {
        m_waitedInVain = !m_decoder->waitWhileOpening(kManualClockWait);
        status = m_decoder->status();
    }
    if (status == media::MovieDecoder::Status::Opening)
        return false;
    if (status == media::MovieDecoder::Status::Failed) {
        failPlayback(m_decoder->error());
        return false;
    }
    m_waitedInVain = false;
    const media::MovieInfo info = m_decoder->info();
    m_loaded = true;
    m_duration = info.duration;
    m_naturalSize = {double(info.width), double(info.height)};
    if (info.frameRate > 0)
        m_frameInterval = 1.0 / info.frameRate;
    if (m_baseTime > 0)
        m_decoder->seek(m_baseTime);
    setLoadState(MovieLoadState::Playable | MovieLoadState::PlaythroughOK);
    foundation::NotificationCenter::defaultCenter().post(kDurationAvailableNotification, shared_from_this());
    if (m_view)
        m_view->setTimes(m_baseTime, m_duration);
    if ((m_wantsToPlay || m_shouldAutoplay) && m_state != MoviePlaybackState::Playing) {
        m_wantsToPlay = true;
        m_waitingSince = foundation::RunLoop::main().now();
        setState(MoviePlaybackState::Playing);
        scheduleControlsHiding();
    }
    return true;
}

void MoviePlayerController::tick()
{
    auto protector = shared_from_this();
    if (!m_decoder || m_failed)
        return stopFrameCallback();
    if (!m_loaded && !finishLoading())
        return;
    const bool manual = clockIsManual();
    const bool playing = m_state == MoviePlaybackState::Playing || m_state == MoviePlaybackState::Interrupted;

    // Playback waits for the decoder before its clock runs: at the start, after a seek or a stall.
    if (playing && !m_clockRunning) {
        if (!m_decoder->isSettledAt(m_baseTime) && manual && !m_waitedInVain)
            m_waitedInVain = !m_decoder->waitUntilSettled(m_baseTime, kManualClockWait);
        if (m_decoder->isSettledAt(m_baseTime)) {
            m_waitedInVain = false;
            startClock(m_baseTime);
            if (m_state == MoviePlaybackState::Interrupted) {
                setLoadState(MovieLoadState::Playable | MovieLoadState::PlaythroughOK);
                setState(MoviePlaybackState::Playing);
            }
        } else if (m_state == MoviePlaybackState::Playing
            && (manual ? m_waitedInVain : foundation::RunLoop::main().now() - m_waitingSince > kStallGrace)) {
            setLoadState(MovieLoadState::Playable | MovieLoadState::Stalled);
            setState(MoviePlaybackState::Interrupted);
        }
    }

    const double time = currentPlaybackTime();
    if (m_clockRunning || m_shownFrameTime < 0)
        presentFrameAt(time, manual);
    if (m_failed)
        return;

    const auto status = m_decoder->status();
    // Frames that arrived before a stream broke are still shown; then the failure is.
    if (status == media::MovieDecoder::Status::Failed && m_decoder->queuedFrames() == 0) {
        failPlayback(m_decoder->error());
        return;
    }
    if (m_clockRunning && !m_decoder->isSettledAt(time)) {
        // The decoder fell behind (a slow stream): hold the picture and the time until it catches up.
        if (manual || time - std::max(m_shownFrameTime, 0.0) > kStallGrace) {
            freezeClock();
            m_waitingSince = foundation::RunLoop::main().now();
        }
    }
    if (m_clockRunning && status == media::MovieDecoder::Status::Ended && m_decoder->queuedFrames() == 0) {
        const double end = m_duration > 0 ? m_duration : m_shownFrameTime + m_frameInterval;
        if (time >= end - kTimeSlack) {
            freezeClock();
            m_baseTime = end;
            m_wantsToPlay = false;
            setState(MoviePlaybackState::Stopped);
            finish(MovieFinishReason::PlaybackEnded);
            stopFrameCallback();
        }
    }
    if (m_view && (m_clockRunning || playing))
        m_view->setTimes(currentPlaybackTime(), m_duration);
    if (!playing && m_shownFrameTime >= 0)
        stopFrameCallback();
}

void MoviePlayerController::presentFrameAt(double time, bool mayWait)
{
    int skipped = 0;
    auto frame = m_decoder->takeFrameAt(time, &skipped);
    if (mayWait && !m_decoder->isSettledAt(time)) {
        // A manual clock must not outrun decoding: wait (bounded) for the frame due now.
        if (m_decoder->waitUntilSettled(time, kManualClockWait)) {
            int more = 0;
            if (auto later = m_decoder->takeFrameAt(time, &more)) {
                skipped += more + (frame ? 1 : 0);
                frame = std::move(later);
            }
        } else {
            m_waitedInVain = true;
        }
    }
    m_droppedFrames += skipped;
    if (!frame)
        return;
    ++m_shownFrames;
    m_shownFrameTime = frame->time;
    playerView()->setFrameImage(std::move(frame->image));
}

void MoviePlayerController::setState(MoviePlaybackState state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_view)
        m_view->setPlaying(state == MoviePlaybackState::Playing || state == MoviePlaybackState::Interrupted);
    if (state != MoviePlaybackState::Playing) {
        if (m_hideControlsTimer)
            m_hideControlsTimer->invalidate();
        if (m_view)
            m_view->setControlsHidden(false);
    }
    foundation::NotificationCenter::defaultCenter().post(
        kPlaybackStateDidChangeNotification, shared_from_this());
}

void MoviePlayerController::setLoadState(uint32_t state)
{
    if (state == m_loadState)
        return;
    m_loadState = state;
    foundation::NotificationCenter::defaultCenter().post(kLoadStateDidChangeNotification, shared_from_this());
}

void MoviePlayerController::finish(MovieFinishReason reason)
{
    foundation::Map info {{kPlaybackDidFinishReasonUserInfoKey, int(reason)}};
    if (reason == MovieFinishReason::PlaybackError)
        info.emplace(kErrorUserInfoKey, m_error);
    foundation::NotificationCenter::defaultCenter().post(
        kPlaybackDidFinishNotification, shared_from_this(), foundation::Value(std::move(info)));
}

void MoviePlayerController::failPlayback(const std::string& why)
{
    auto protector = shared_from_this();
    m_failed = true;
    m_error = why.empty() ? "the movie cannot be played" : why;
    foundation::logf("Movie player: cannot play %s: %s", m_url.c_str(), m_error.c_str());
    m_clockRunning = false;
    m_wantsToPlay = false;
    stopFrameCallback();
    m_decoder.reset();
    playerView()->showFailure(kFailureText);
    setLoadState(MovieLoadState::Unknown);
    setState(MoviePlaybackState::Stopped);
    finish(MovieFinishReason::PlaybackError);
}

void MoviePlayerController::scheduleControlsHiding()
{
    if (m_hideControlsTimer)
        m_hideControlsTimer->invalidate();
    m_hideControlsTimer = nullptr;
    if (m_state != MoviePlaybackState::Playing || !m_view || m_view->areControlsHidden())
        return;
    std::weak_ptr<MoviePlayerController> weakSelf = weak_from_this();
    m_hideControlsTimer
        = foundation::Timer::scheduled(kControlsHideDelay, false, [weakSelf](foundation::Timer&) {
              if (auto self = weakSelf.lock();
                  self && self->m_state == MoviePlaybackState::Playing && self->m_view)
                  self->m_view->setControlsHidden(true);
          });
}

void MoviePlayerController::toggleControls()
{
    if (!m_view)
        return;
    m_view->setControlsHidden(!m_view->areControlsHidden());
    scheduleControlsHiding();
}

void MoviePlayerController::setFullscreen(bool fullscreen, bool animated)
{
    if (fullscreen == m_fullscreen)
        return;
    auto protector = shared_from_this();
    auto playerView = view();
    if (fullscreen) {
        std::shared_ptr<Window> window = Application::shared().keyWindow();
        if (!window) {
            auto windows = Application::shared().windows();
            if (windows.empty())
                return;
            window = windows.front();
        }
        m_embeddedSuperview = playerView->superview();
        m_embeddedFrame = playerView->frame();
        m_fullscreen = true;
        // The view goes up first, so what observers add to the window lands above it.
        window->addSubview(playerView);
        playerView->setFrame(window->bounds());
        postFullscreen(kWillEnterFullscreenNotification, animated);
        postFullscreen(kDidEnterFullscreenNotification, animated);
    } else {
        postFullscreen(kWillExitFullscreenNotification, animated);
        m_fullscreen = false;
        if (auto superview = m_embeddedSuperview.lock()) {
            superview->addSubview(playerView);
            playerView->setFrame(m_embeddedFrame);
        } else {
            playerView->removeFromSuperview();
        }
        postFullscreen(kDidExitFullscreenNotification, animated);
    }
}

void MoviePlayerController::postFullscreen(const char* name, bool animated)
{
    const bool did = name == kDidEnterFullscreenNotification || name == kDidExitFullscreenNotification;
    foundation::Map info {{"MPMoviePlayerFullscreenAnimationDurationUserInfoKey",
        animated ? kFullscreenAnimationDuration : 0.0}};
    if (!did || !animated) {
        foundation::NotificationCenter::defaultCenter().post(
            name, shared_from_this(), foundation::Value(info));
        return;
    }
    std::weak_ptr<MoviePlayerController> weakSelf = weak_from_this();
    foundation::RunLoop::main().performAfter(kFullscreenAnimationDuration, [weakSelf, name, info] {
        if (auto self = weakSelf.lock())
            foundation::NotificationCenter::defaultCenter().post(name, self, foundation::Value(info));
    });
}

std::shared_ptr<void> MoviePlayerController::associatedObject(const std::string& key) const
{
    auto it = m_associated.find(key);
    return it != m_associated.end() ? it->second : nullptr;
}

void MoviePlayerController::setAssociatedObject(const std::string& key, std::shared_ptr<void> object)
{
    if (object)
        m_associated[key] = std::move(object);
    else
        m_associated.erase(key);
}

} // namespace ui
