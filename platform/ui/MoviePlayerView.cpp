#include "platform/ui/MoviePlayerView.h"

#include "platform/foundation/Format.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/MoviePositionBar.h"
#include "platform/ui/TapGestureRecognizer.h"

#include <cmath>

namespace ui {

namespace {

constexpr double kTimeLabelWidth = 40;
constexpr double kDoneWidth = 48;
constexpr double kPlayWidth = 44;
constexpr auto kBarColor = graphics::Color::white(0.1, 0.75);

std::shared_ptr<Label> makeTimeLabel(graphics::TextAlignment alignment)
{
    auto label = Label::create();
    label->setFont(graphics::Font::systemFont(12));
    label->setTextColor(graphics::Color::white());
    label->setTextAlignment(alignment);
    label->setBackgroundColor(std::nullopt);
    label->setOpaque(false);
    return label;
}

} // namespace

std::shared_ptr<MoviePlayerView> MoviePlayerView::create(Callbacks callbacks)
{
    auto view = std::make_shared<MoviePlayerView>(std::move(callbacks));
    view->build();
    return view;
}

MoviePlayerView::MoviePlayerView(Callbacks callbacks)
    : m_callbacks(std::move(callbacks))
{
    setBackgroundColor(graphics::Color::black());
    setClipsToBounds(true);
}

void MoviePlayerView::build()
{
    std::weak_ptr<MoviePlayerView> weakSelf = std::static_pointer_cast<MoviePlayerView>(shared_from_this());
    auto call = [weakSelf](auto member) {
        return [weakSelf, member](Control&) {
            if (auto self = weakSelf.lock(); self && self->m_callbacks.*member)
                (self->m_callbacks.*member)();
        };
    };

    m_picture = ImageView::create();
    m_picture->setContentMode(ContentMode::AspectFit);
    m_picture->setBackgroundColor(std::nullopt);
    m_picture->setOpaque(false);
    addSubview(m_picture);
    addGestureRecognizer(TapGestureRecognizer::create([weakSelf](GestureRecognizer&) {
        if (auto self = weakSelf.lock(); self && self->m_callbacks.tapped)
            self->m_callbacks.tapped();
    }));

    m_topBar = View::create();
    m_topBar->setBackgroundColor(kBarColor);
    addSubview(m_topBar);

    m_doneButton = Button::create(ButtonType::System);
    m_doneButton->setTitle("完成", ControlState::Normal);
    m_doneButton->setTitleColor(graphics::Color::white(), ControlState::Normal);
    m_doneButton->setAccessibilityLabel("Done");
    m_doneButton->addAction(ControlEvents::TouchUpInside, call(&Callbacks::done));
    m_topBar->addSubview(m_doneButton);

    m_elapsedLabel = makeTimeLabel(graphics::TextAlignment::Right);
    m_remainingLabel = makeTimeLabel(graphics::TextAlignment::Left);
    m_topBar->addSubview(m_elapsedLabel);
    m_topBar->addSubview(m_remainingLabel);

    m_positionBar = MoviePositionBar::create();
    m_positionBar->addAction(ControlEvents::ValueChanged, [weakSelf](Control& sender) {
        if (auto self = weakSelf.lock(); self && self->m_callbacks.seek)
            self->m_callbacks.seek(static_cast<MoviePositionBar&>(sender).value());
    });
    m_topBar->addSubview(m_positionBar);

    m_playButton = Button::create(ButtonType::System);
    m_playButton->setTitleColor(graphics::Color::white(), ControlState::Normal);
    m_playButton->addAction(ControlEvents::TouchUpInside, call(&Callbacks::togglePlayback));
    m_topBar->addSubview(m_playButton);
    setPlaying(false);

    m_failureLabel = Label::create();
    m_failureLabel->setTextColor(graphics::Color::white());
    m_failureLabel->setFont(graphics::Font::systemFont(16));
    m_failureLabel->setTextAlignment(graphics::TextAlignment::Center);
    m_failureLabel->setNumberOfLines(0);
    m_failureLabel->setBackgroundColor(std::nullopt);
    m_failureLabel->setOpaque(false);
    m_failureLabel->setHidden(true);
    addSubview(m_failureLabel);
    setTimes(0, 0);
}

void MoviePlayerView::layoutSubviews()
{
    // One bar along the top: [Done] [play] elapsed ---position--- remaining. The bottom stays clear
    // for what is shown over the picture.
    const graphics::Rect box = bounds();
    m_picture->setFrame(box);
    m_topBar->setFrame({{0, 0}, {box.size.width, kBarHeight}});

    double x = 4;
    const bool hasDone = m_style == MovieControlStyle::Fullscreen;
    m_doneButton->setHidden(!hasDone);
    if (hasDone) {
        m_doneButton->setFrame({{x, 0}, {kDoneWidth, kBarHeight}});
        x += kDoneWidth;
    }
    m_playButton->setFrame({{x, 0}, {kPlayWidth, kBarHeight}});
    x += kPlayWidth;
    m_elapsedLabel->setFrame({{x, 0}, {kTimeLabelWidth, kBarHeight}});
    x += kTimeLabelWidth + 6;
    const double right = box.size.width - kTimeLabelWidth - 4;
    m_positionBar->setFrame({{x, 0}, {std::max(0.0, right - 6 - x), kBarHeight}});
    m_remainingLabel->setFrame({{right, 0}, {kTimeLabelWidth, kBarHeight}});
    m_failureLabel->setFrame(
        {{20, kBarHeight}, {std::max(0.0, box.size.width - 40), box.size.height - 2 * kBarHeight}});
}

void MoviePlayerView::setFrameImage(std::shared_ptr<graphics::Image> image)
{
    m_picture->setImage(std::move(image));
}

std::shared_ptr<graphics::Image> MoviePlayerView::frameImage() const
{
    return m_picture->image();
}

std::string MoviePlayerView::timeText(double seconds)
{
    const bool negative = seconds < 0;
    auto whole = int64_t(std::floor(std::abs(seconds) + 1e-6));
    const int64_t hours = whole / 3600;
    const int64_t minutes = whole / 60 % 60;
    const int64_t secs = whole % 60;
    std::string text = hours > 0
        ? foundation::format("%lld:%02lld:%02lld", (long long)hours, (long long)minutes, (long long)secs)
        : foundation::format("%lld:%02lld", (long long)minutes, (long long)secs);
    return negative ? "-" + text : text;
}

void MoviePlayerView::setTimes(double elapsed, double duration)
{
    elapsed = std::max(0.0, elapsed);
    m_elapsedLabel->setText(timeText(elapsed));
    // The remaining time counts down in whole seconds, so elapsed + remaining shows the duration.
    const double remaining = std::max(0.0, std::floor(duration + 1e-6) - std::floor(elapsed + 1e-6));
    m_remainingLabel->setText("-" + timeText(remaining));
    m_positionBar->setValue(duration > 0 ? elapsed / duration : 0);
}

void MoviePlayerView::setPlaying(bool playing)
{
    m_playButton->setTitle(playing ? "暂停" : "播放", ControlState::Normal);
    m_playButton->setAccessibilityLabel(playing ? "Pause" : "Play");
}

void MoviePlayerView::setControlStyle(MovieControlStyle style)
{
    m_style = style;
    applyControlVisibility();
    setNeedsLayout();
}

void MoviePlayerView::setControlsHidden(bool hidden)
{
    m_controlsHidden = hidden;
    applyControlVisibility();
}

void MoviePlayerView::applyControlVisibility()
{
    const bool hidden = m_controlsHidden || m_style == MovieControlStyle::None;
    m_topBar->setHidden(hidden);
}

void MoviePlayerView::showFailure(const std::string& text)
{
    m_failureLabel->setText(text);
    m_failureLabel->setHidden(false);
    m_picture->setImage(nullptr);
    // Only Done is left to do.
    for (auto& view : std::initializer_list<std::shared_ptr<View>> {
             m_playButton, m_positionBar, m_elapsedLabel, m_remainingLabel})
        view->setHidden(true);
}

const std::string& MoviePlayerView::failureText() const
{
    return m_failureLabel->text();
}

} // namespace ui
