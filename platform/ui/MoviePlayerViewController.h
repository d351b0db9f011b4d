#pragma once

#include "platform/ui/ViewController.h"

#include <optional>

namespace ui {

class MoviePlayerController;

// A screen that plays one movie full screen with the Done button. It starts playing when it has
// appeared and dismisses itself when the movie ends or Done is tapped; a movie that fails stays
// on screen with its failure until Done. The status bar is hidden while it shows and comes back
// as it was when it goes.
class MoviePlayerViewController final : public ViewController {
public:
    static std::shared_ptr<MoviePlayerViewController> initWithContentURL(std::string url);
    explicit MoviePlayerViewController(std::string url);
    ~MoviePlayerViewController() override;

    const char* className() const override { return "MoviePlayerViewController"; }
    const std::shared_ptr<MoviePlayerController>& moviePlayer() const { return m_player; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    bool prefersStatusBarHidden() const override { return true; }

private:
    void playbackDidFinish(int reason);

    std::shared_ptr<MoviePlayerController> m_player;
    std::shared_ptr<int> m_observerToken;
    // The bar's state before the screen hid it; nothing while the screen is not shown.
    std::optional<bool> m_statusBarWasHidden;
};

// The view-controller addition that shows a movie player modally, and takes it away again.
void presentMoviePlayerViewControllerAnimated(
    ViewController& presenter, const std::shared_ptr<MoviePlayerViewController>& player);
void dismissMoviePlayerViewControllerAnimated(ViewController& presenter);

} // namespace ui
