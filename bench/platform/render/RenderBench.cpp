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
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, kScale, kScale);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, 0, 0, 320, 568);
        cairo_fill(cr);
        pango_cairo_update_context(cr, pango);
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

// Keeps each benchmark's time per frame, so that main() can report the ratio.
class Recorder final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
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
