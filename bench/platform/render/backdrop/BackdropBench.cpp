// A full-screen blur (the popup's background) over a screen of 60 views, rendered at 640 x 1136,
// beside the same work done by hand: the screen rendered without the blur, three box passes over
// the whole frame and the tint painted on top. The two pictures are checked equal first.

#include "platform/graphics/BoxBlur.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdlib>
#include <iostream>

namespace {

using graphics::Color;

constexpr double kScale = 2;
const ui::BlurEffect kEffect = ui::BlurEffect::effectWithStyle(ui::BlurEffectStyle::Light);

struct Scene {
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::VisualEffectView> blur;

    Scene()
    {
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(Color::white());
        window->makeKeyAndVisible();
        for (int i = 0; i < 30; ++i) {
            auto box = ui::View::create({8.0 + (i % 2) * 154, 20.0 + (i / 2) * 36, 150, 32});
            box->setBackgroundColor(Color::rgba(0.3 + 0.02 * i, 0.5, 0.9 - 0.02 * i));
            box->layer().setCornerRadius(5);
            auto label = ui::Label::create({8, 0, 134, 32});
            label->setText("车辆照片 已拍摄");
            label->setTextColor(Color::white());
            box->addSubview(label);
            window->addSubview(box);
        }
        blur = ui::VisualEffectView::create(kEffect, window->bounds());
        ui::Application::shared().layoutWindows();
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

std::shared_ptr<graphics::Image> ours()
{
    scene().window->addSubview(scene().blur);
    auto image = render::Renderer(kScale).renderScreen();
    scene().blur->removeFromSuperview();
    return image;
}

std::shared_ptr<graphics::Image> byHand()
{
    scene();
    auto behind = render::Renderer(kScale).renderScreen();
    auto blurred = graphics::Image::createUninitialized(behind->pixelWidth(), behind->pixelHeight(), kScale);
    graphics::BoxBlur::convolveThreeTimes(graphics::PixelBuffer::of(*behind),
        graphics::PixelBuffer::of(*blurred), graphics::BoxBlur::boxSize(kEffect.radius(), kScale));
    graphics::GraphicsContext context(*blurred);
    context.fillRect({0, 0, 320, 568}, kEffect.tint());
    context.flush();
    return blurred;
}

int largestDifference(const graphics::Image& a, const graphics::Image& b)
{
    int worst = 0;
    for (int y = 0; y < a.pixelHeight(); y += 3) {
        for (int x = 0; x < a.pixelWidth(); x += 3) {
            uint32_t p = a.pixel(x, y), q = b.pixel(x, y);
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(int((p >> shift) & 255) - int((q >> shift) & 255)));
        }
    }
    return worst;
}

void BM_RenderWithBlur(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ours());
}
BENCHMARK(BM_RenderWithBlur)->Unit(benchmark::kMillisecond);

void BM_ByHand_RenderThenBlur(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(byHand());
}
BENCHMARK(BM_ByHand_RenderThenBlur)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ui::Screen::mainScreen().setScale(kScale);
    int difference = largestDifference(*ours(), *byHand());
    if (difference > 2) {
        std::cerr << "bench_backdrop: the two pictures differ by " << difference << " in a channel\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
