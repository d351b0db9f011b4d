#pragma once

#include "platform/ui/MoviePlayerTypes.h"
#include "platform/ui/View.h"

#include <functional>

namespace ui {

class Button;
class ImageView;
class Label;
class MoviePositionBar;

// What the movie player shows: the picture fitted in black, the controls (Done, play/pause, the
// position bar, elapsed and remaining time) and, when the movie fails, why. The controller feeds
// it; taps on the controls go back through the callbacks.
class MoviePlayerView final : public View {
public:
    struct Callbacks {
        std::function<void()> done;
        std::function<void()> togglePlayback;
        std::function<void(double fraction)> seek;
        std::function<void()> tapped;
    };

    static std::shared_ptr<MoviePlayerView> create(Callbacks callbacks);
    explicit MoviePlayerView(Callbacks callbacks);

    const char* className() const override { return "MoviePlayerView"; }

    void setFrameImage(std::shared_ptr<graphics::Image> image);
    std::shared_ptr<graphics::Image> frameImage() const;
    void setTimes(double elapsed, double duration);
    void setPlaying(bool playing);
    void setControlStyle(MovieControlStyle style);
    void setControlsHidden(bool hidden);
    bool areControlsHidden() const { return m_controlsHidden; }
    void showFailure(const std::string& text);
    const std::string& failureText() const;

    void layoutSubviews() override;

    // "m:ss", or "h:mm:ss" from an hour on; the remaining time carries a leading minus sign.
    static std::string timeText(double seconds);

    static constexpr double kBarHeight = 44;

private:
    void build();
    void applyControlVisibility();

    Callbacks m_callbacks;
    std::shared_ptr<ImageView> m_picture;
    std::shared_ptr<View> m_topBar;
    std::shared_ptr<Button> m_doneButton;
    std::shared_ptr<Button> m_playButton;
    std::shared_ptr<MoviePositionBar> m_positionBar;
    std::shared_ptr<Label> m_elapsedLabel;
    std::shared_ptr<Label> m_remainingLabel;
    std::shared_ptr<Label> m_failureLabel;
    MovieControlStyle m_style {MovieControlStyle::Embedded};
    bool m_controlsHidden {false};
};

} // namespace ui
