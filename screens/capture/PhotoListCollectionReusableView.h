#pragma once

#include "platform/ui/CollectionReusableView.h"

#include <memory>

namespace ui {
class ImageView;
class Label;
} // namespace ui

// The section header of every grid: a banner picture under the section's title.
class PhotoListCollectionReusableView final : public ui::CollectionReusableView {
public:
    static constexpr const char* kHeaderIdentifier = "HeadView";
    static constexpr const char* kFooterIdentifier = "FooterView";
    static constexpr double kHeaderHeight = 36;
    static constexpr double kFooterHeight = 12;

    static std::shared_ptr<PhotoListCollectionReusableView> create(graphics::Rect frame = {});
    explicit PhotoListCollectionReusableView(graphics::Rect frame = {});

    const char* className() const override { return "PhotoListCollectionReusableView"; }

    const std::shared_ptr<ui::ImageView>& backgroundImage() const { return m_backgroundImage; }
    const std::shared_ptr<ui::Label>& title() const { return m_title; }

protected:
    void setUpSubviews() override;

private:
    std::shared_ptr<ui::ImageView> m_backgroundImage;
    std::shared_ptr<ui::Label> m_title;
};
