#include "examples/components/MoviePlayerDemoViewController.h"

#include "components/subtitles/Subtitles.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Button.h"

namespace examples {

std::shared_ptr<MoviePlayerDemoViewController> MoviePlayerDemoViewController::create()
{
    return std::make_shared<MoviePlayerDemoViewController>();
}

void MoviePlayerDemoViewController::viewDidLoad()
{
    view()->setBackgroundColor(graphics::Color::white());
    std::weak_ptr<MoviePlayerDemoViewController> weak = sharedAs<MoviePlayerDemoViewController>();
    const std::pair<const char*, std::string> rows[] = {
        {"播放示例视频", foundation::Paths::resource("camera/sample-video.mp4").string()},
        {"播放无法打开的视频", foundation::Paths::resource("camera/missing-video.mp4").string()},
    };
    for (const auto& [title, movie] : rows) {
        auto button = ui::Button::create(ui::ButtonType::System);
        button->setTitle(title, ui::ControlState::Normal);
        button->addAction(ui::ControlEvents::TouchUpInside, [weak, movie](ui::Control&) {
            if (auto self = weak.lock())
                self->playWithSubtitles(movie);
        });
        view()->addSubview(button);
        m_buttons.push_back(std::move(button));
    }
}

void MoviePlayerDemoViewController::viewDidLayoutSubviews()
{
    const double width = view()->bounds().size.width;
    for (size_t index = 0; index < m_buttons.size(); ++index)
        m_buttons[index]->setFrame({20, 84 + index * 56.0, width - 40, 44});
}

void MoviePlayerDemoViewController::playWithSubtitles(const std::string& movie)
{
    Subtitles::presentMovie(
        sharedAs<MoviePlayerDemoViewController>(), movie, foundation::Paths::resource("example.srt"));
}

} // namespace examples
