#pragma once

#include "platform/graphics/Forward.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

namespace webimage {

// Decoded images by key, bounded by their total cost in bytes: inserting past the bound drops the
// least recently used. Not thread-safe; ImageCache guards it.
class MemoryCache final {
public:
    explicit MemoryCache(size_t maxCost);

    // Counts as a use: the image becomes the most recently used.
    std::shared_ptr<graphics::Image> find(const std::string& key);
    // An image costing more than the whole bound is not kept (and drops an older one of that key).
    void insert(const std::string& key, std::shared_ptr<graphics::Image> image, size_t cost);
    void remove(const std::string& key);
    void clear();

    size_t maxCost() const { return m_maxCost; }
    void setMaxCost(size_t maxCost);
    size_t totalCost() const { return m_totalCost; }
    size_t count() const { return m_index.size(); }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<graphics::Image> image;
        size_t cost {0};
    };
    void trim();

    size_t m_maxCost;
    size_t m_totalCost {0};
    std::list<Entry> m_entries; // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> m_index;
};

} // namespace webimage
