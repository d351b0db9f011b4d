#include "platform/graphics/Font.h"

namespace graphics {

Font::Font(std::string name, double size, std::string family, int weight)
    : m_name(std::move(name))
    , m_size(size)
    , m_family(std::move(family))
    , m_weight(weight)
{ }
Font Font::named(std::string name, double size)
{
    return Font(std::move(name), size, "Liberation Sans", 400);
}
Font Font::systemFont(double size)
{
    return named(".SystemFont", size);
}
Font Font::boldSystemFont(double size)
{
    return named(".BoldSystemFont", size);
}
Font Font::withSize(double size) const
{
    return Font(m_name, size, m_family, m_weight);
}
double Font::ascender() const
{
    return m_size * 0.9;
}
double Font::descender() const
{
    return m_size * 0.25;
}
double Font::lineHeight() const
{
    return ascender() + descender();
}

} // namespace graphics
