#include "platform/graphics/ImageContext.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace graphics {

void beginImageContext(Size, bool, double)
{ }
GraphicsContext* currentContext()
{
    return nullptr;
}
std::shared_ptr<Image> imageFromCurrentContext()
{
    return nullptr;
}
void endImageContext()
{ }
void setScreenScale(double)
{ }
double screenScale()
{
    return 2.0;
}

} // namespace graphics
