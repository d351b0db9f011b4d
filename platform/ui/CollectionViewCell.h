#pragma once

#include "platform/ui/CollectionReusableView.h"

namespace ui {

// A collection view's item: a content view for what the cell shows, an optional background view
// behind it and one more shown while the cell is selected.
class CollectionViewCell : public CollectionReusableView {
public:
    static std::shared_ptr<CollectionViewCell> create(graphics::Rect frame = {});
    explicit CollectionViewCell(graphics::Rect frame = {});

    const char* className() const override { return "CollectionViewCell"; }

    const std::shared_ptr<View>& contentView() const { return m_contentView; }
    const std::shared_ptr<View>& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& selectedBackgroundView() const { return m_selectedBackgroundView; }
    void setSelectedBackgroundView(std::shared_ptr<View> view);

    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);

    void prepareForReuse() override;
    void layoutSubviews() override;

protected:
    // Puts the content view in; subclasses add theirs to it after calling this.
    void setUpSubviews() override;

private:
    void placeBackgrounds();

    std::shared_ptr<View> m_contentView;
    std::shared_ptr<View> m_backgroundView;
    std::shared_ptr<View> m_selectedBackgroundView;
    bool m_selected {false};
    bool m_highlighted {false};
};

} // namespace ui
