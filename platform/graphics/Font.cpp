#include "platform/graphics/Font.h"

#include "platform/graphics/TextEngine.h"

#include <algorithm>
#include <cctype>

namespace graphics {

namespace {

// Liberation Sans is metric-compatible with Arial and close to Helvetica; Chinese text falls
// through to WenQuanYi Micro Hei (which has no bold face: fontconfig synthesises it).
constexpr const char* kSansFamilies = "Liberation Sans,WenQuanYi Micro Hei";

const char* kSystemFontName = ".SystemFont";
const char* kBoldSystemFontName = ".SystemFont-Bold";

bool containsWord(const std::string& name, const char* word)
{
    std::string lower(name);
    std::transform(
        lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find(word) != std::string::npos;
}

int weightForName(const std::string& name)
{
    if (containsWord(name, "bold") || containsWord(name, "heavy") || containsWord(name, "black"))
        return 700;
    if (containsWord(name, "medium") || containsWord(name, "semibold"))
        return 500;
    if (containsWord(name, "light") || containsWord(name, "thin"))
        return 300;
    return 400;
}

} // namespace

Font::Font(std::string name, double size, std::string family, int weight)
    : m_name(std::move(name))
    , m_size(size)
    , m_family(std::move(family))
    , m_weight(weight)
{ }

// Every name maps onto the same sans families; the name only chooses the weight. Names we do not
// know (a font the device would not have either) get the system font's face.
Font Font::named(std::string name, double size)
{
    int weight = weightForName(name);
    return Font(std::move(name), std::max(0.0, size), kSansFamilies, weight);
}

Font Font::systemFont(double size)
{
    return Font(kSystemFontName, std::max(0.0, size), kSansFamilies, 400);
}

Font Font::boldSystemFont(double size)
{
    return Font(kBoldSystemFontName, std::max(0.0, size), kSansFamilies, 700);
}

Font Font::withSize(double size) const
{
    return Font(m_name, std::max(0.0, size), m_family, m_weight);
}

double Font::ascender() const
{
    return TextEngine::shared().metrics(*this).ascent;
}

double Font::descender() const
{
    return TextEngine::shared().metrics(*this).descent;
}

double Font::lineHeight() const
{
    auto m = TextEngine::shared().metrics(*this);
    return m.ascent + m.descent;
}

} // namespace graphics
