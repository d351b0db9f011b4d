#include "platform/ui/MoviePlayerViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/MoviePlayerController.h"
#include "platform/ui/MoviePlayerView.h"

namespace ui {

std::shared_ptr<MoviePlayerViewController> MoviePlayerViewController::initWithContentURL(std::string url)
{
    return std::make_shared<MoviePlayerViewController>(std::move(url));
}

MoviePlayerViewController::MoviePlayerViewController(std::string url)
    : m_player(MoviePlayerController::initWithContentURL(std::move(url)))
    , m_observerToken(std::make_shared<int>(0))
{
    m_player->setControlStyle(MovieControlStyle::Fullscreen);
    // Playback starts once the screen is up, not while it slides in.
    m_player->setShouldAutoplay(false);
}

MoviePlayerViewController::~MoviePlayerViewController()
{
    foundation::NotificationCenter::defaultCenter().removeObserver(m_observerToken.get());
}

void MoviePlayerViewController::loadView()
{
    setView(m_player->view());
}

void MoviePlayerViewController::viewDidLoad()
{
    std::weak_ptr<MoviePlayerViewController> weakSelf
        = std::static_pointer_cast<MoviePlayerViewController>(shared_from_this());
    const void* player = m_player.get();
    foundation::NotificationCenter::defaultCenter().addObserver(m_observerToken,
        MoviePlayerController::kPlaybackDidFinishNotification,
        [weakSelf, player](const foundation::Notification& note) {
            auto self = weakSelf.lock();
            if (!self || note.object.get() != player)
                return;
            self->playbackDidFinish(
                int(note.userInfo[MoviePlayerController::kPlaybackDidFinishReasonUserInfoKey].asInt()));
        });
    m_player->setDoneAction([weakSelf] {
        if (auto self = weakSelf.lock())
            self->m_player->exitPlayback();
    });
    m_player->prepareToPlay();
}

void MoviePlayerViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    auto& application = Application::shared();
    if (!m_statusBarWasHidden)
        m_statusBarWasHidden = application.isStatusBarHidden();
    application.setStatusBarHidden(true, StatusBarAnimation::Fade);
}

void MoviePlayerViewController::viewDidAppear(bool)
{
    m_player->play();
}

void MoviePlayerViewController::viewWillDisappear(bool)
{
    if (m_player->playbackState() != MoviePlaybackState::Stopped)
        m_player->stop();
    if (m_statusBarWasHidden) {
        Application::shared().setStatusBarHidden(*m_statusBarWasHidden, StatusBarAnimation::Fade);
        m_statusBarWasHidden.reset();
    }
}

void MoviePlayerViewController::playbackDidFinish(int reason)
{
    if (reason == int(MovieFinishReason::PlaybackError))
        return;
    if (presentingViewController() && !isBeingDismissed())
        dismissViewController(true);
}

void presentMoviePlayerViewControllerAnimated(
    ViewController& presenter, const std::shared_ptr<MoviePlayerViewController>& player)
{
    presenter.presentViewController(player, true);
}

void dismissMoviePlayerViewControllerAnimated(ViewController& presenter)
{
    presenter.dismissViewController(true);
}

} // namespace ui
