#pragma once

#include "platform/ui/ViewController.h"

#include <string>
#include <vector>

namespace ui {
class Button;
}

namespace examples {

// The movie player demo: plays the sample camera movie full screen with the shipped subtitles,
// the way the shot grids do, and a movie that cannot be opened.
class MoviePlayerDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<MoviePlayerDemoViewController> create();

    const char* className() const override { return "MoviePlayerDemoViewController"; }
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

private:
    void playWithSubtitles(const std::string& movie);

    std::vector<std::shared_ptr<ui::Button>> m_buttons;
};

} // namespace examples
