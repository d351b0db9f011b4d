#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class SubtitlesParts;

namespace foundation {
class Timer;
struct Notification;
} // namespace foundation
namespace ui {
class Label;
class MoviePlayerController;
class ViewController;
} // namespace ui

// Subtitles over the movie player (an addition to ui::MoviePlayerController): reads an SRT file,
// keeps its cues on the player, and while the movie plays shows the cue of the current playback
// time in a white, bold, shadowed label 15 points above the bottom of the picture. The state
// lives on the player as associated objects; everything runs on the main thread.
class Subtitles final {
public:
    using Player = std::shared_ptr<ui::MoviePlayerController>;
    using Completion = std::function<void(bool finished)>;
    using Failure = std::function<void(const std::string& error)>;
    using Parsed = std::function<void(bool parsed, const std::optional<std::string>& error)>;

    static constexpr const char* kSubtitlesPartsKey = "subtitlesParts";
    static constexpr const char* kTimerKey = "timer";
    static constexpr const char* kSubtitleLabelKey = "subtitleLabel";
    static constexpr double kTimerInterval = 1.0;
    static constexpr double kLabelMargin = 15;
    static constexpr double kPhoneFontSize = 20;
    static constexpr double kPadFontSize = 40;

    // Reads the file as UTF-8 (a byte-order mark is dropped) and goes on as openWithSRTString;
    // when it cannot be read, `failure` gets why and nothing else happens.
    static void openSRTFileAtPath(const Player&, const std::filesystem::path&, Completion, Failure);
    // Parses the text; on success with a completion block the player starts observing its
    // notifications and the block gets true. Without one nothing is observed.
    static void openWithSRTString(const Player&, std::string_view text, Completion, Failure);
    // Opens the movie at `url` in a modal player over `presenter` once the SRT file at `path` has
    // been read, its cues shown; an unreadable file is logged and nothing opens. The pending read
    // keeps neither side alive.
    static void presentMovie(const std::shared_ptr<ui::ViewController>& presenter, const std::string& url,
        const std::filesystem::path& path);
    // Replaces the player's cues with those of `text`.
    static void parseString(const Player&, std::string_view text, const Parsed& parsed);
    // "hh:mm:ss,mmm" in seconds; missing parts count as 0.
    static double timeFromString(std::string_view text);

    static void searchAndShowSubtitle(const Player&);
    static void updateLabelConstraints(const Player&);
    static void showSubtitles(const Player&, bool show);
    static void showSubtitles(const Player& player) { showSubtitles(player, true); }
    static void hideSubtitles(const Player& player) { showSubtitles(player, false); }

    // Notification handlers.
    static void playbackStateDidChange(const Player&, const foundation::Notification&);
    static void playbackDidFinish(const Player&, const foundation::Notification&);
    static void orientationWillChange(const Player&, const foundation::Notification&);
    static void orientationDidChange(const Player&, const foundation::Notification&);
    static void willEnterFullscreen(const Player&, const foundation::Notification&);
    static void didEnterFullscreen(const Player&, const foundation::Notification&);
    static void willExitFullscreen(const Player&, const foundation::Notification&);

    // The state kept on the player: the cues (made by the first parse), the running timer and
    // the label (made when playback first starts); nullptr while absent.
    static std::shared_ptr<SubtitlesParts> subtitlesParts(const ui::MoviePlayerController&);
    static std::shared_ptr<foundation::Timer> subtitleTimer(const ui::MoviePlayerController&);
    static std::shared_ptr<ui::Label> subtitleLabel(const ui::MoviePlayerController&);

private:
    static void observeNotifications(const Player&);
    static void startTimer(const Player&);
    static void makeLabel(const Player&);
};
