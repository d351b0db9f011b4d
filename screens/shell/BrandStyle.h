#pragma once

#include "platform/graphics/Color.h"

#include <memory>
#include <string>
#include <vector>

namespace graphics {
class Image;
}

// What the company name from the login selects: the brand shown in the navigation bars, and the
// product types and shooting plans offered when a task is created.
struct BrandStyle {
    std::string brandName; // "Arvel", "Kestro" or "Ombry"
    std::string title; // navigation-bar title of the home screen
    graphics::Color color;
    std::vector<std::string> productTypes;
    std::vector<std::string> photoPlans;

    // "Arvel", "Kestro", any other company (brand Ombry).
    static BrandStyle forCompany(const std::string& companyName);
    // The brand of the logged-in user.
    static BrandStyle current();
    // A small round logo with the brand's initial, at the screen's scale .
    std::shared_ptr<graphics::Image> logo() const;
};
