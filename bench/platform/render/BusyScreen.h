#pragma once

// The busy screen of the renderer benchmark (a window with 100 views: rounded, bordered cells
// holding a thumbnail and a line of text), shared with the benchmarks that compare against it.

#include "platform/foundation/Format.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace busy {

using graphics::Color;
using graphics::Rect;

constexpr int kColumns = 2;
constexpr int kRows = 16;
constexpr double kCellWidth = 150, kCellHeight = 31, kGap = 4, kMargin = 8, kTop = 20;
constexpr double kThumb = 25;
constexpr double kScale = 2;

struct Cell {
    Rect frame;
    Color background;
    std::string text;
};

inline std::vector<Cell> cells()
{
    std::vector<Cell> result;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int i = row * kColumns + column;
            Rect frame {kMargin + column * (kCellWidth + kGap), kTop + row * (kCellHeight + kGap), kCellWidth,
                kCellHeight};
            Color background = Color::rgba(0.85 + 0.1 * (i % 3) / 2, 0.9, 0.95 - 0.1 * (i % 4) / 3);
            result.push_back({frame, background, foundation::format("车辆照片 %02d 已拍摄", i + 1)});
        }
    }
    return result;
}

inline std::shared_ptr<graphics::Image> thumbnail()
{
    static auto image = [] {
        auto img = graphics::Image::create(100, 75, 2);
        graphics::GraphicsContext context(*img);
        for (int band = 0; band < 15; ++band)
            context.fillRect(
                {0, band * 2.5, 50, 2.5}, Color::rgba(0.2 + band / 20.0, 0.4, 0.8 - band / 30.0));
        context.setFillColor(Color::rgba(0.9, 0.7, 0.1));
        context.fillEllipse({10, 8, 20, 20});
        return img;
    }();
    return image;
}

// The busy screen as views: the window, a header, a bottom bar with its label, and 32 cells of three
// views each: 100 views.
struct Screen {
    std::shared_ptr<ui::Window> window;

    Screen()
    {
        ui::Application::shared().resetForTesting();
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->setBackgroundColor(Color::white());
        window->makeKeyAndVisible();
        auto bar = ui::View::create({0, 540, 320, 28});
        bar->setBackgroundColor(Color::rgba(0.16, 0.4, 0.75));
        window->addSubview(bar);
        auto footer = ui::Label::create({kMargin, 540, 304, 28});
        footer->setText("上传全部");
        footer->setTextColor(Color::white());
        footer->setTextAlignment(graphics::TextAlignment::Center);
        footer->setFont(graphics::Font::systemFont(15));
        window->addSubview(footer);
        auto header = ui::Label::create({kMargin, 0, 304, kTop});
        header->setText("待上传任务 (共 32 张照片)");
        header->setFont(graphics::Font::boldSystemFont(13));
        window->addSubview(header);
        for (const Cell& cell : cells()) {
            auto box = ui::View::create(cell.frame);
            box->setBackgroundColor(cell.background);
            box->layer().setCornerRadius(5);
            box->layer().setBorderWidth(0.5);
            box->layer().setBorderColor(Color::rgba(0.8, 0.8, 0.8));
            auto image = ui::ImageView::create(Rect {3, 3, kThumb, kThumb});
            image->setImage(thumbnail());
            image->setContentMode(ui::ContentMode::ScaleToFill);
            auto label = ui::Label::create({kThumb + 8, 0, kCellWidth - kThumb - 10, kCellHeight});
            label->setText(cell.text);
            label->setFont(graphics::Font::systemFont(12));
            label->setTextColor(Color::darkGray());
            box->addSubview(image);
            box->addSubview(label);
            window->addSubview(box);
        }
        ui::Application::shared().layoutWindows();
    }
    size_t viewCount() const
    {
        size_t n = 1;
        for (auto& v : window->subviews())
            n += 1 + v->subviews().size();
        return n;
    }
};

} // namespace busy
