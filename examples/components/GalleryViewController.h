#pragma once

#include "examples/components/GalleryRow.h"
#include "platform/ui/ViewController.h"

#include <vector>

namespace ui {
class Button;
class ScrollView;
} // namespace ui

namespace examples {

// The gallery's first screen: one button per component row; a tap pushes that row's demo screen.
class GalleryViewController final : public ui::ViewController {
public:
    static std::shared_ptr<GalleryViewController> create(std::vector<GalleryRow> rows);
    explicit GalleryViewController(std::vector<GalleryRow> rows);

    const char* className() const override { return "GalleryViewController"; }
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    static constexpr double kRowHeight = 48;

private:
    void openRow(size_t index);

    std::vector<GalleryRow> m_rows;
    std::shared_ptr<ui::ScrollView> m_list;
    std::vector<std::shared_ptr<ui::Button>> m_buttons;
};

} // namespace examples
