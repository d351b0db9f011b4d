#include "components/subtitles/Subtitles.h"

#include "components/subtitles/SubtitlesParts.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/MoviePlayerController.h"
#include "platform/ui/MoviePlayerViewController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <limits>

namespace {

using ui::MoviePlayerController;

// Holds the player's subtitle timer; the player's release stops it.
struct TimerHolder {
    std::shared_ptr<foundation::Timer> timer;
    ~TimerHolder()
    {
        if (timer)
            timer->invalidate();
    }
};

// Keeps the device's orientation notifications coming while the player listens for them; they
// stop when the player stops listening or goes.
struct OrientationNotifications {
    OrientationNotifications()
    {
        ui::Device::currentDevice().beginGeneratingDeviceOrientationNotifications();
    }
    ~OrientationNotifications() { ui::Device::currentDevice().endGeneratingDeviceOrientationNotifications(); }
    OrientationNotifications(const OrientationNotifications&) = delete;
    OrientationNotifications& operator=(const OrientationNotifications&) = delete;
};
constexpr const char* kOrientationNotificationsKey = "orientationNotifications";

bool isValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        }
        i += length;
    }
    return true;
}

std::shared_ptr<ui::Window> keyOrFirstWindow()
{
    if (auto window = ui::Application::shared().keyWindow())
        return window;
    auto windows = ui::Application::shared().windows();
    return windows.empty() ? nullptr : windows.front();
}

} // namespace

std::shared_ptr<SubtitlesParts> Subtitles::subtitlesParts(const MoviePlayerController& player)
{
    return std::static_pointer_cast<SubtitlesParts>(player.associatedObject(kSubtitlesPartsKey));
}

std::shared_ptr<foundation::Timer> Subtitles::subtitleTimer(const MoviePlayerController& player)
{
    auto holder = std::static_pointer_cast<TimerHolder>(player.associatedObject(kTimerKey));
    return holder ? holder->timer : nullptr;
}

std::shared_ptr<ui::Label> Subtitles::subtitleLabel(const MoviePlayerController& player)
{
    return std::static_pointer_cast<ui::Label>(player.associatedObject(kSubtitleLabelKey));
}

void Subtitles::presentMovie(const std::shared_ptr<ui::ViewController>& presenter, const std::string& url,
    const std::filesystem::path& path)
{
    auto screen = ui::MoviePlayerViewController::initWithContentURL(url);
    std::weak_ptr<ui::ViewController> weakPresenter = presenter;
    std::weak_ptr<ui::MoviePlayerViewController> weakScreen = screen;
    openSRTFileAtPath(
        screen->moviePlayer(), path,
        [weakPresenter, weakScreen](bool) {
            auto presenter = weakPresenter.lock();
            auto screen = weakScreen.lock();
            if (!presenter || !screen)
                return;
            showSubtitles(screen->moviePlayer());
            ui::presentMoviePlayerViewControllerAnimated(*presenter, screen);
        },
        [](const std::string& error) { foundation::logf("Error: %s", error.c_str()); });
}

void Subtitles::openSRTFileAtPath(
    const Player& player, const std::filesystem::path& path, Completion completion, Failure failure)
{
    // Only a regular file: a FIFO in its place would hold the main thread for good.
    std::string why;
    auto contents = foundation::readFile(path, &why);
    if (!contents) {
        foundation::logf("Subtitles: %s", why.c_str());
        if (failure)
            failure("The file \"" + path.filename().string()
                + "\" couldn't be opened because there is no such file.");
        return;
    }
    std::string text = std::move(*contents);
    if (!isValidUtf8(text)) {
        if (failure)
            failure("The file \"" + path.filename().string()
                + "\" couldn't be opened because the text encoding of its contents can't be determined.");
        return;
    }
    // A byte-order mark is not part of the first cue's index.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view view = text;
    if (view.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        view.remove_prefix(kByteOrderMark.size());
    openWithSRTString(player, view, std::move(completion), std::move(failure));
}

void Subtitles::openWithSRTString(
    const Player& player, std::string_view text, Completion completion, Failure failure)
{
    parseString(player, text, [&](bool parsed, const std::optional<std::string>& error) {
        if (!parsed) {
            if (failure)
                failure(error.value_or("the subtitles cannot be read"));
            return;
        }
        if (!completion)
            return;
        observeNotifications(player);
        completion(true);
    });
}

void Subtitles::observeNotifications(const Player& player)
{
    auto& center = foundation::NotificationCenter::defaultCenter();
    // Opening again must not double every handler.
    center.removeObserver(player.get());
    std::weak_ptr<MoviePlayerController> weakPlayer = player;
    using Handler = void (*)(const Player&, const foundation::Notification&);
    // Player notifications count only when they come from this player: another player's end
    // must not silence this one.
    auto observe = [&](const char* name, Handler handler, bool ownOnly) {
        center.addObserver(
            player, name, [weakPlayer, handler, ownOnly](const foundation::Notification& note) {
                auto self = weakPlayer.lock();
                if (self && (!ownOnly || note.object.get() == self.get()))
                    handler(self, note);
            });
    };
    observe(
        MoviePlayerController::kPlaybackStateDidChangeNotification, &Subtitles::playbackStateDidChange, true);
    observe(ui::Application::kWillChangeStatusBarFrameNotification, &Subtitles::orientationWillChange, false);
    observe(ui::Device::kOrientationDidChangeNotification, &Subtitles::orientationDidChange, false);
    // Without them a turn would hide the label for good.
    player->setAssociatedObject(kOrientationNotificationsKey, std::make_shared<OrientationNotifications>());
    observe(MoviePlayerController::kPlaybackDidFinishNotification, &Subtitles::playbackDidFinish, true);
    observe(MoviePlayerController::kWillEnterFullscreenNotification, &Subtitles::willEnterFullscreen, true);
    observe(MoviePlayerController::kDidEnterFullscreenNotification, &Subtitles::didEnterFullscreen, true);
    observe(MoviePlayerController::kWillExitFullscreenNotification, &Subtitles::willExitFullscreen, true);
}

void Subtitles::searchAndShowSubtitle(const Player& player)
{
    auto label = subtitleLabel(*player);
    auto parts = subtitlesParts(*player);
    if (!label)
        return;
    const SubtitleCue* cue = parts ? parts->cueAt(player->currentPlaybackTime()) : nullptr;
    if (!cue) {
        label->setText("");
        return;
    }
    label->setText(cue->text);
    updateLabelConstraints(player);
}

void Subtitles::updateLabelConstraints(const Player& player)
{
    auto label = subtitleLabel(*player);
    auto superview = label ? label->superview() : nullptr;
    if (!superview)
        return;
    // Pinned 15 points from the left, right and bottom edges; the height follows the text.
    const graphics::Rect box = superview->bounds();
    const double width = std::max(0.0, box.size.width - 2 * kLabelMargin);
    const double height
        = label->text().empty() ? 0 : label->sizeThatFits({width, std::numeric_limits<double>::max()}).height;
    label->setFrame({{kLabelMargin, box.size.height - kLabelMargin - height}, {width, height}});
    label->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleTopMargin);
    superview->layoutIfNeeded();
}

void Subtitles::showSubtitles(const Player& player, bool show)
{
    if (auto label = subtitleLabel(*player))
        label->setHidden(!show);
}

void Subtitles::startTimer(const Player& player)
{
    std::weak_ptr<MoviePlayerController> weakPlayer = player;
    auto holder = std::make_shared<TimerHolder>();
    holder->timer = foundation::Timer::scheduled(kTimerInterval, true, [weakPlayer](foundation::Timer&) {
        if (auto self = weakPlayer.lock())
            searchAndShowSubtitle(self);
    });
    // Replacing the holder stops any earlier timer.
    player->setAssociatedObject(kTimerKey, holder);
}

void Subtitles::makeLabel(const Player& player)
{
    const bool pad = ui::Device::currentDevice().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
    const double size = pad ? kPadFontSize : kPhoneFontSize;
    auto label = ui::Label::create();
    label->setBackgroundColor(graphics::Color::clear());
    label->setOpaque(false);
    label->setFont(graphics::Font::boldSystemFont(size));
    label->setTextColor(graphics::Color::white());
    label->setNumberOfLines(0);
    label->setTextAlignment(graphics::TextAlignment::Center);
    label->layer().setShadowColor(graphics::Color::black());
    label->layer().setShadowOffset({6, 6});
    label->layer().setShadowOpacity(0.9);
    label->layer().setShadowRadius(4);
    label->layer().setShouldRasterize(true);
    label->layer().setRasterizationScale(ui::Screen::mainScreen().scale());
    label->setUserInteractionEnabled(false);
    player->setAssociatedObject(kSubtitleLabelKey, label);
    player->view()->addSubview(label);
    updateLabelConstraints(player);
}

void Subtitles::playbackStateDidChange(const Player& player, const foundation::Notification&)
{
    switch (player->playbackState()) {
    case ui::MoviePlaybackState::Playing:
        startTimer(player);
        // The first firing finds no label on a first start, so the first cue shows from the next tick.
        subtitleTimer(*player)->fire();
        if (!subtitleLabel(*player))
            makeLabel(player);
        break;
    case ui::MoviePlaybackState::Stopped:
        if (auto timer = subtitleTimer(*player); timer && timer->isValid())
            timer->invalidate();
        break;
    default:
        break;
    }
}

void Subtitles::playbackDidFinish(const Player& player, const foundation::Notification&)
{
    foundation::NotificationCenter::defaultCenter().removeObserver(player.get());
    player->setAssociatedObject(kOrientationNotificationsKey, nullptr);
}

void Subtitles::orientationWillChange(const Player& player, const foundation::Notification&)
{
    hideSubtitles(player);
}

void Subtitles::orientationDidChange(const Player& player, const foundation::Notification&)
{
    showSubtitles(player);
    updateLabelConstraints(player);
}

void Subtitles::willEnterFullscreen(const Player& player, const foundation::Notification&)
{
    hideSubtitles(player);
    auto label = subtitleLabel(*player);
    auto window = keyOrFirstWindow();
    if (label && window)
        window->addSubview(label);
    updateLabelConstraints(player);
}

void Subtitles::didEnterFullscreen(const Player& player, const foundation::Notification&)
{
    showSubtitles(player);
}

void Subtitles::willExitFullscreen(const Player& player, const foundation::Notification&)
{
    if (auto label = subtitleLabel(*player))
        player->view()->addSubview(label);
    updateLabelConstraints(player);
}
