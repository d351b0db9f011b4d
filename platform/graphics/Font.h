#pragma once

#include <string>

namespace graphics {

// A font by the phone platform's name and size in points (1 point = 1 pixel at scale 1). Names
// are mapped onto installed families (Liberation Sans for the Helvetica and Arial faces, with
// WenQuanYi Micro Hei behind it for Chinese); unknown names fall back to the system font.
class Font final {
public:
    static Font named(std::string name, double size);
    static Font systemFont(double size);
    static Font boldSystemFont(double size);

    const std::string& name() const { return m_name; }
    double pointSize() const { return m_size; }
    [[nodiscard]] Font withSize(double size) const;

    // The installed family list handed to the text engine, and the weight (400 regular, 700 bold).
    const std::string& family() const { return m_family; }
    int weight() const { return m_weight; }
    bool isBold() const { return m_weight >= 600; }

    // Font metrics in points.
    double ascender() const;
    double descender() const; // positive, below the baseline
    double lineHeight() const; // ascender + descender

    bool operator==(const Font& o) const { return m_name == o.m_name && m_size == o.m_size; }

private:
    Font(std::string name, double size, std::string family, int weight);

    std::string m_name;
    double m_size = 0;
    std::string m_family;
    int m_weight = 400;
};

} // namespace graphics
