#include "platform/webimage/MemoryCache.h"

#include "platform/graphics/Image.h"

namespace webimage {

MemoryCache::MemoryCache(size_t maxCost)
    : m_maxCost(maxCost)
{ }

std::shared_ptr<graphics::Image> MemoryCache::find(const std::string& key)
{
    auto it = m_index.find(key);
    if (it == m_index.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, it->second);
    return it->second->image;
}

void MemoryCache::insert(const std::string& key, std::shared_ptr<graphics::Image> image, size_t cost)
{
    remove(key);
    if (!image || cost > m_maxCost)
        return;
    m_entries.push_front(Entry {key, std::move(image), cost});
    m_index.emplace(key, m_entries.begin());
    m_totalCost += cost;
    trim();
}

void MemoryCache::remove(const std::string& key)
{
    auto it = m_index.find(key);
    if (it == m_index.end())
        return;
    m_totalCost -= it->second->cost;
    m_entries.erase(it->second);
    m_index.erase(it);
}

void MemoryCache::clear()
{
    m_entries.clear();
    m_index.clear();
    m_totalCost = 0;
}

void MemoryCache::setMaxCost(size_t maxCost)
{
    m_maxCost = maxCost;
    trim();
}

void MemoryCache::trim()
{
    while (m_totalCost > m_maxCost && !m_entries.empty()) {
        const Entry& oldest = m_entries.back();
        m_totalCost -= oldest.cost;
        m_index.erase(oldest.key);
        m_entries.pop_back();
    }
}

} // namespace webimage
