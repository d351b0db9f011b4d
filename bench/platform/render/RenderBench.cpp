// One frame of a busy screen (a window with 100 views: rounded, bordered cells holding a thumbnail
// and a line of text) rendered at 640 x 1136, beside the same primitives drawn with bare Cairo and
// Pango calls. The ratio of the two is the renderer's overhead.
//
//   bench_render [--report FILE] [benchmark options]
// writes the figures as Markdown to FILE when given.

#include "bench/platform/render/BusyScreen.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace busy;
using graphics::Color;
using graphics::Rect;

void roundedRect(cairo_t* cr, Rect r, double radius)
{
    double x = r.minX(), y = r.minY(), w = r.width(), h = r.height();
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// A bare frame starts as the renderer's does: black under a white 320 x 568 screen at the scale.
cairo_t* beginBareFrame(cairo_surface_t* surface, PangoContext* pango)
{
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kScale, kScale);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, 320, 568);
    cairo_fill(cr);
    pango_cairo_update_context(cr, pango);
    return cr;
}

// The same frame with bare Cairo and Pango: layouts made once and reused, as a hand-written
// drawing routine would.

struct BareFrame {
    cairo_surface_t* surface;
    cairo_surface_t* thumb;
    PangoContext* pango;
    PangoLayout* header;
    PangoLayout* footer;
    std::vector<PangoLayout*> layouts;
    std::vector<Cell> cellList = cells();

    BareFrame()
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
        auto image = thumbnail();
        thumb = cairo_image_surface_create_for_data(
            image->data(), CAIRO_FORMAT_ARGB32, image->pixelWidth(), image->pixelHeight(), image->stride());
        pango = pango_font_map_create_context(pango_cairo_font_map_get_default());
        auto make = [&](const std::string& text, const graphics::Font& font, double width) {
            PangoLayout* layout = pango_layout_new(pango);
            PangoFontDescription* desc = pango_font_description_new();
            pango_font_description_set_family(desc, font.family().c_str());
            pango_font_description_set_weight(desc, PangoWeight(font.weight()));
            pango_font_description_set_absolute_size(desc, font.pointSize() * PANGO_SCALE);
            pango_layout_set_font_description(layout, desc);
            pango_font_description_free(desc);
            pango_layout_set_text(layout, text.c_str(), -1);
            pango_layout_set_width(layout, int(width * PANGO_SCALE));
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
            return layout;
        };
        header = make("待上传任务 (共 32 张照片)", graphics::Font::boldSystemFont(13), 304);
        footer = make("上传全部", graphics::Font::systemFont(15), 304);
        pango_layout_set_alignment(footer, PANGO_ALIGN_CENTER);
        for (auto& cell : cellList)
            layouts.push_back(make(cell.text, graphics::Font::systemFont(12), kCellWidth - kThumb - 10));
    }
    ~BareFrame()
    {
        for (auto* l : layouts)
            g_object_unref(l);
        g_object_unref(header);
        g_object_unref(footer);
        g_object_unref(pango);
        cairo_surface_destroy(thumb);
        cairo_surface_destroy(surface);
    }
    void draw()
    {
        cairo_t* cr = beginBareFrame(surface, pango);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, kMargin, 2);
        pango_cairo_show_layout(cr, header);
        cairo_set_source_rgb(cr, 0.16, 0.4, 0.75);
        cairo_rectangle(cr, 0, 540, 320, 28);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, kMargin, 545);
        pango_cairo_show_layout(cr, footer);
        for (size_t i = 0; i < cellList.size(); ++i) {
            const Cell& cell = cellList[i];
            cairo_save(cr);
            cairo_translate(cr, cell.frame.minX(), cell.frame.minY());
            cairo_set_source_rgba(cr, cell.background.r, cell.background.g, cell.background.b, 1);
            roundedRect(cr, {0, 0, kCellWidth, kCellHeight}, 5);
            cairo_fill(cr);
            cairo_save(cr);
            cairo_translate(cr, 3, 3);
            cairo_scale(cr, kThumb / 50.0, kThumb / 37.5);
            cairo_scale(cr, 0.5, 0.5);
            cairo_set_source_surface(cr, thumb, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
            cairo_rectangle(cr, 0, 0, 100, 75);
            cairo_fill(cr);
            cairo_restore(cr);
            cairo_set_source_rgb(cr, 1.0 / 3, 1.0 / 3, 1.0 / 3);
            cairo_move_to(cr, kThumb + 8, 8);
            pango_cairo_show_layout(cr, layouts[i]);
            cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
            cairo_set_line_width(cr, 0.5);
            roundedRect(cr, {0.25, 0.25, kCellWidth - 0.5, kCellHeight - 0.5}, 4.75);
            cairo_stroke(cr);
            cairo_restore(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
};

void BM_RendererBusyScreen(benchmark::State& state)
{
    ui::Screen::mainScreen().setScale(kScale);
    Screen screen;
    render::Renderer renderer(kScale);
    auto frame = graphics::Image::create(640, 1136, kScale);
    for (auto _ : state) {
        renderer.renderScreen(*frame);
        benchmark::DoNotOptimize(frame->data());
    }
    state.counters["views"] = double(screen.viewCount());
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RendererBusyScreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_BareCairoBusyScreen(benchmark::State& state)
{
    BareFrame bare;
    for (auto _ : state) {
        bare.draw();
        benchmark::DoNotOptimize(cairo_image_surface_get_data(bare.surface));
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareCairoBusyScreen)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Screens of 10, 100, 1,000 and 3,000 views: a window over a content view holding cells of three
// views each (a rounded, bordered box with a thumbnail and a label), shrunk so that two thirds of
// them fit on the screen; the last third lies below it, as the rest of a long list does. The bare
// side draws only the visible cells, with layouts made once.
struct ScaledLayout {
    size_t cells = 0, visible = 0;
    double width = 0, height = 0;
    std::vector<Cell> list;

    explicit ScaledLayout(size_t views)
    {
        cells = std::max<size_t>(1, views / 3);
        visible = (cells * 2 + 2) / 3;
        size_t columns
            = std::max<size_t>(1, size_t(std::lround(std::sqrt(double(visible) * 320 / (2 * 568)))));
        width = 320.0 / double(columns);
        height = width / 2;
        while (double((visible + columns - 1) / columns) * height > 568)
            height *= 0.95; // keep every visible cell on the screen
        for (size_t i = 0; i < cells; ++i) {
            size_t slot = i < visible ? i : i - visible;
            double top = i < visible ? 0 : 600; // the hidden third starts below the screen
            Rect frame {
                double(slot % columns) * width, top + double(slot / columns) * height, width - 1, height - 1};
            Color background
                = Color::rgba(0.85 + 0.1 * double(i % 3) / 2, 0.9, 0.95 - 0.1 * double(i % 4) / 3);
            list.push_back({frame, background, foundation::format("车 %zu", i + 1)});
        }
    }
    double radius() const { return height * 0.15; }
    double thumbSide() const { return height - 4; }
    Rect labelFrame() const { return {height, 0, std::max(1.0, width - height - 2), height - 1}; }
    double fontSize() const { return std::max(4.0, height * 0.4); }
};

struct ScaledScreen {
    std::shared_ptr<ui::Window> window;
    size_t views = 0;

    explicit ScaledScreen(const ScaledLayout& layout)
    {
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(Color::white());
        window->makeKeyAndVisible();
        auto content = ui::View::create({0, 0, 320, 568 * 3});
        window->addSubview(content);
        views = 2;
        for (const Cell& cell : layout.list) {
            auto box = ui::View::create(cell.frame);
            box->setBackgroundColor(cell.background);
            box->layer().setCornerRadius(layout.radius());
            box->layer().setBorderWidth(0.5);
            box->layer().setBorderColor(Color::rgba(0.8, 0.8, 0.8));
            auto image = ui::ImageView::create(Rect {1.5, 1.5, layout.thumbSide(), layout.thumbSide()});
            image->setImage(thumbnail());
            image->setContentMode(ui::ContentMode::ScaleToFill);
            auto label = ui::Label::create(layout.labelFrame());
            label->setText(cell.text);
            label->setFont(graphics::Font::systemFont(layout.fontSize()));
            label->setTextColor(Color::darkGray());
            box->addSubview(image);
            box->addSubview(label);
            content->addSubview(box);
            views += 3;
        }
        ui::Application::shared().layoutWindows();
    }
};

struct BareScaled {
    const ScaledLayout& layout;
    cairo_surface_t* surface;
    cairo_surface_t* thumb;
    PangoContext* pango;
    std::vector<PangoLayout*> layouts;
    std::vector<double> textTops;

    explicit BareScaled(const ScaledLayout& l)
        : layout(l)
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
        auto image = thumbnail();
        thumb = cairo_image_surface_create_for_data(
            image->data(), CAIRO_FORMAT_ARGB32, image->pixelWidth(), image->pixelHeight(), image->stride());
        pango = pango_font_map_create_context(pango_cairo_font_map_get_default());
        graphics::Font font = graphics::Font::systemFont(layout.fontSize());
        PangoFontDescription* desc = pango_font_description_new();
        pango_font_description_set_family(desc, font.family().c_str());
        pango_font_description_set_weight(desc, PangoWeight(font.weight()));
        pango_font_description_set_absolute_size(desc, font.pointSize() * PANGO_SCALE);
        Rect text = layout.labelFrame();
        for (size_t i = 0; i < layout.visible; ++i) {
            PangoLayout* made = pango_layout_new(pango);
            pango_layout_set_font_description(made, desc);
            pango_layout_set_text(made, layout.list[i].text.c_str(), -1);
            pango_layout_set_width(made, int(text.width() * PANGO_SCALE));
            pango_layout_set_ellipsize(made, PANGO_ELLIPSIZE_END);
            int w = 0, h = 0;
            pango_layout_get_size(made, &w, &h);
            double height = std::min(double(h) / PANGO_SCALE, text.height());
            textTops.push_back((text.height() - height) / 2);
            layouts.push_back(made);
        }
        pango_font_description_free(desc);
    }
    ~BareScaled()
    {
        for (auto* l : layouts)
            g_object_unref(l);
        g_object_unref(pango);
        cairo_surface_destroy(thumb);
        cairo_surface_destroy(surface);
    }
    void draw()
    {
        cairo_t* cr = beginBareFrame(surface, pango);
        const double side = layout.thumbSide();
        const Rect text = layout.labelFrame();
        for (size_t i = 0; i < layout.visible; ++i) {
            const Cell& cell = layout.list[i];
            double w = cell.frame.width(), h = cell.frame.height(), r = layout.radius();
            cairo_save(cr);
            cairo_translate(cr, cell.frame.minX(), cell.frame.minY());
            cairo_set_source_rgba(cr, cell.background.r, cell.background.g, cell.background.b, 1);
            roundedRect(cr, {0, 0, w, h}, std::min(r, std::min(w, h) / 2));
            cairo_fill(cr);
            cairo_save(cr);
            cairo_rectangle(cr, 1.5, 1.5, side, side);
            cairo_clip(cr);
            cairo_translate(cr, 1.5, 1.5);
            cairo_scale(cr, side / 100.0, side / 75.0);
            cairo_set_source_surface(cr, thumb, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_set_source_rgb(cr, 1.0 / 3, 1.0 / 3, 1.0 / 3);
            cairo_move_to(cr, text.minX(), textTops[i]);
            pango_cairo_show_layout(cr, layouts[i]);
            cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
            cairo_set_line_width(cr, 0.5);
            roundedRect(
                cr, {0.25, 0.25, w - 0.5, h - 0.5}, std::max(0.0, std::min(r, std::min(w, h) / 2) - 0.25));
            cairo_stroke(cr);
            cairo_restore(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
};

// Share of pixels whose colour differs by more than a small amount between the two frames.
double differingShare(const graphics::Image& ours, cairo_surface_t* bare)
{
    const uint8_t* theirs = cairo_image_surface_get_data(bare);
    int stride = cairo_image_surface_get_stride(bare);
    size_t differing = 0;
    for (int y = 0; y < ours.pixelHeight(); ++y) {
        const uint8_t* a = ours.data() + size_t(y) * ours.stride();
        const uint8_t* b = theirs + size_t(y) * stride;
        for (int x = 0; x < ours.pixelWidth() * 4; x += 4) {
            int worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(a[x + c]) - int(b[x + c])));
            differing += worst > 48;
        }
    }
    return double(differing) / (double(ours.pixelWidth()) * ours.pixelHeight());
}

void BM_RendererScaled(benchmark::State& state)
{
    ui::Screen::mainScreen().setScale(kScale);
    ScaledLayout layout(size_t(state.range(0)));
    ScaledScreen screen(layout);
    render::Renderer renderer(kScale);
    auto frame = graphics::Image::create(640, 1136, kScale);
    // The bare side makes its layouts before it is timed; a screen that stays up has its
    // layouts cached after the first frames the same way.
    for (int warm = 0; warm < 3; ++warm)
        renderer.renderScreen(*frame);
    for (auto _ : state) {
        renderer.renderScreen(*frame);
        benchmark::DoNotOptimize(frame->data());
    }
    BareScaled bare(layout);
    bare.draw();
    double share = differingShare(*frame, bare.surface);
    if (const char* dump = std::getenv("MIVO_BENCH_DUMP")) {
        auto png = graphics::PngCodec::encode(*frame);
        std::ofstream(std::string(dump) + "-ours.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
        cairo_surface_write_to_png(bare.surface, (std::string(dump) + "-bare.png").c_str());
    }
    // Glyphs at a few pixels' size rasterise a little apart between the two text set-ups; shapes,
    // images and positions must match.
    if (share > 0.05 && !std::getenv("MIVO_BENCH_NOCHECK"))
        state.SkipWithError("the renderer's frame and the bare frame differ");
    state.counters["views"] = double(screen.views);
    state.counters["visible_cells"] = double(layout.visible);
    state.counters["differing_pct"] = share * 100;
}
BENCHMARK(BM_RendererScaled)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

void BM_BareCairoScaled(benchmark::State& state)
{
    ScaledLayout layout(size_t(state.range(0)));
    BareScaled bare(layout);
    for (auto _ : state) {
        bare.draw();
        benchmark::DoNotOptimize(cairo_image_surface_get_data(bare.surface));
    }
    state.counters["visible_cells"] = double(layout.visible);
}
BENCHMARK(BM_BareCairoScaled)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// Keeps each benchmark's time per frame, so that main() can report the ratio.
class Recorder final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    std::map<std::string, double> cpuMilliseconds; // the median when repeated
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                cpuMilliseconds[run.run_name.function_name + "/" + run.run_name.args]
                    = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::string report;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--report") == 0 && i + 1 < argc)
            report = argv[++i];
        else
            args.push_back(argv[i]);
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();

    double ours = recorder.milliseconds["BM_RendererBusyScreen/min_time:1.000"];
    double bare = recorder.milliseconds["BM_BareCairoBusyScreen/min_time:1.000"];
    if (ours <= 0 || bare <= 0) {
        for (auto& [name, ms] : recorder.milliseconds) {
            if (name.find("Renderer") != std::string::npos)
                ours = ms;
            else if (name.find("Bare") != std::string::npos)
                bare = ms;
        }
    }
    for (const char* size : {"10", "100", "1000", "3000"}) {
        double scaledOurs = 0, scaledBare = 0;
        for (auto& [name, ms] : recorder.cpuMilliseconds) {
            if (name.find(std::string("Scaled/") + size) == std::string::npos
                || name.back() != size[std::strlen(size) - 1] || name.substr(name.rfind('/') + 1) != size)
                continue;
            (name.find("Renderer") != std::string::npos ? scaledOurs : scaledBare) = ms;
        }
        if (scaledOurs > 0 && scaledBare > 0)
            std::cout << foundation::format(
                "%s views: renderer %.3f ms, bare Cairo %.3f ms (CPU), ratio %.2fx (target at most 1.1x)\n",
                size, scaledOurs, scaledBare, scaledOurs / scaledBare);
    }
    if (ours <= 0 || bare <= 0)
        return 0;
    double ratio = ours / bare;
    std::cout << foundation::format(
        "\nrenderer %.2f ms/frame (%.0f fps), bare Cairo %.2f ms/frame (%.0f fps), "
        "ratio %.2fx (target at most 1.3x)\n",
        ours, 1000 / ours, bare, 1000 / bare, ratio);
    if (!report.empty()) {
        std::ofstream out(report);
        out << "# Renderer benchmark\n\n"
            << "One frame of a busy screen (a window with 100 views: 32 rounded, bordered cells each "
               "holding\n"
            << "a thumbnail image and a line of Chinese text, a header label, a bottom bar with its label)\n"
            << "rendered at 640 x 1136 (320 x 568 points at scale 2), beside the same primitives drawn with\n"
            << "bare Cairo and Pango calls (layouts made once and reused).\n"
            << "`bench/platform/render/bench_render --report FILE`, RelWithDebInfo build, "
               "single-threaded.\n\n"
            << "| | ms per frame | frames per second |\n|---|---|---|\n"
            << foundation::format(
                   "| renderer (`render::Renderer::renderScreen`) | %.2f | %.0f |\n", ours, 1000 / ours)
            << foundation::format("| bare Cairo + Pango | %.2f | %.0f |\n", bare, 1000 / bare)
            << foundation::format("\nRatio renderer / bare: **%.2fx** (target: at most 1.3x).\n", ratio);
    }
    return 0;
}
