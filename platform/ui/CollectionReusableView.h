#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace ui {

// A view that a collection view hands out and takes back by reuse identifier: the base of its
// cells and of its supplementary views (section headers and footers).
class CollectionReusableView : public View {
public:
    static std::shared_ptr<CollectionReusableView> create(graphics::Rect frame = {});
    explicit CollectionReusableView(graphics::Rect frame = {});

    const char* className() const override { return "CollectionReusableView"; }

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    // Called before a view is handed out again; the caller's fill then sets what it shows.
    virtual void prepareForReuse() { }

    // Builds the subviews, once: a view cannot take subviews while it is being constructed (it
    // has no shared owner yet). create() and the collection view call it.
    void setUpIfNeeded();

protected:
    virtual void setUpSubviews() { }

private:
    friend class CollectionView;
    std::string m_reuseIdentifier;
    bool m_setUp {false};
};

} // namespace ui
