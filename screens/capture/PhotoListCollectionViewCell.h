#pragma once

#include "platform/ui/CollectionViewCell.h"

#include <memory>

namespace ui {
class ImageView;
class Label;
} // namespace ui

// A shot's cell in every grid: the thumbnail, the caption and the state text. The grids fill it.
class PhotoListCollectionViewCell final : public ui::CollectionViewCell {
public:
    static constexpr const char* kReuseIdentifier = "Cell";
    static constexpr graphics::Size kSize {150, 150};

    static std::shared_ptr<PhotoListCollectionViewCell> create(graphics::Rect frame = {});
    explicit PhotoListCollectionViewCell(graphics::Rect frame = {});

    const char* className() const override { return "PhotoListCollectionViewCell"; }

    const std::shared_ptr<ui::ImageView>& recipeImageView() const { return m_recipeImageView; }
    const std::shared_ptr<ui::Label>& photoLabel() const { return m_photoLabel; }
    const std::shared_ptr<ui::Label>& photoStatusLabel() const { return m_photoStatusLabel; }

    // A reused cell shows nothing of the item it showed before, not even a thumbnail on its way.
    void prepareForReuse() override;

protected:
    void setUpSubviews() override;

private:
    std::shared_ptr<ui::ImageView> m_recipeImageView;
    std::shared_ptr<ui::Label> m_photoLabel;
    std::shared_ptr<ui::Label> m_photoStatusLabel;
};
