#pragma once

#include "platform/ui/ViewController.h"

namespace ui {

class MoviePlayerController;

// A screen that plays one movie full screen with the Done button. It starts playing when it has
// appeared and dismisses itself when the movie ends or Done is tapped; a movie that fails stays
// on screen with its failure until Done.
class MoviePlayerViewController final : public ViewController {
public:
    static std::shared_ptr<MoviePlayerViewController> initWithContentURL(std::string url);
    explicit MoviePlayerViewController(std::string url);
    ~MoviePlayerViewController() override;

    const char* className() const override { return "MoviePlayerViewController"; }
    const std::shared_ptr<MoviePlayerController>& moviePlayer() const { return m_player; }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    bool prefersStatusBarHidden() const override { return true; }

private:
    void playbackDidFinish(int reason);

    std::shared_ptr<MoviePlayerController> m_player;
    std::shared_ptr<int> m_observerToken;
};

// The view-controller addition that shows a movie player modally, and takes it away again.
void presentMoviePlayerViewControllerAnimated(
    ViewController& presenter, const std::shared_ptr<MoviePlayerViewController>& player);
void dismissMoviePlayerViewControllerAnimated(ViewController& presenter);

} // namespace ui
