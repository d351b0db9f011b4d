#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace ui {

// One row of a table view. Subviews go into contentView(); a cell made with a reuse identifier may
// be handed out again for another row, so whoever fills it sets everything it shows.
class TableViewCell : public View {
public:
    static constexpr double kDefaultHeight = 44;

    static std::shared_ptr<TableViewCell> create(std::string reuseIdentifier = {});
    explicit TableViewCell(
        std::string reuseIdentifier = {}, graphics::Rect frame = {0, 0, 320, kDefaultHeight});

    const char* className() const override { return "TableViewCell"; }

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    // Joins the cell on first use (a view cannot take subviews while it is being made).
    const std::shared_ptr<View>& contentView();

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { setSelected(selected, false); }
    virtual void setSelected(bool selected, bool animated);

    // Called before the table hands the cell out again.
    virtual void prepareForReuse() { }

    void layoutSubviews() override;

private:
    std::string m_reuseIdentifier;
    std::shared_ptr<View> m_contentView;
    bool m_selected {false};
};

} // namespace ui
