#include "screens/shell/BrandStyle.h"

#include "core/net/UserInfo.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/TextLayout.h"

BrandStyle BrandStyle::forCompany(const std::string& companyName)
{
    if (companyName == "Arvel")
        return {"Arvel", "Arvel 车辆检测", graphics::Color::rgba(0.80, 0.12, 0.16), {"常规产品", "车抵贷"},
            {"拆密封条-方案1", "不拆密封条-方案2"}};
    if (companyName == "Kestro")
        return {"Kestro", "Kestro 车辆检测", graphics::Color::rgba(0.05, 0.38, 0.70), {"常规产品", "车抵贷"},
            {"不拆密封条-方案2"}};
    // One plan, offered under the chooser's own name; no car-title loans.
    return {"Ombry", "Ombry 车辆检测", graphics::Color::rgba(0.13, 0.55, 0.33), {"常规产品"}, {"拍摄方案"}};
}

BrandStyle BrandStyle::current()
{
    return forCompany(UserInfo::sharedInstance()->companyName());
}

std::shared_ptr<graphics::Image> BrandStyle::logo() const
{
    constexpr double kSide = 30;
    graphics::beginImageContext({kSide, kSide}, false, 0);
    if (auto* context = graphics::currentContext()) {
        context->setFillColor(color);
        context->addEllipse({0, 0, kSide, kSide});
        context->fillPath();
        graphics::TextLayout::draw(*context, brandName.substr(0, 1), graphics::Font::boldSystemFont(18),
            {0, 4, kSide, kSide - 8}, graphics::Color::white(), graphics::TextAlignment::Center);
    }
    auto image = graphics::imageFromCurrentContext();
    graphics::endImageContext();
    return image;
}
