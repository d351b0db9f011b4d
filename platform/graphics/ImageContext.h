#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>

namespace graphics {

class GraphicsContext;
class Image;

// Offscreen drawing, one stack of contexts per thread. A scale of 0 means the screen's scale.
void beginImageContext(Size size, bool opaque, double scale);
// The innermost context begun on this thread, or nullptr.
GraphicsContext* currentContext();
// A copy of what has been drawn so far in the current context; nullptr when there is none.
std::shared_ptr<Image> imageFromCurrentContext();
void endImageContext();

// Makes a context someone else owns current on this thread (a view's drawing pass), until
// popContext(). imageFromCurrentContext() gives nullptr while such a context is on top.
void pushContext(GraphicsContext&);
void popContext();

// The scale of the main screen (2.0 until the UI layer says otherwise).
void setScreenScale(double scale);
double screenScale();

} // namespace graphics
