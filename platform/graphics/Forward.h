#pragma once

// Forward declarations for the graphics library, so headers can name its types cheaply.
namespace graphics {

struct Point;
struct Size;
struct Rect;
struct EdgeInsets;
struct Offset;
struct AffineTransform;
struct Color;
class Image;
class JpegCodec;
class PngCodec;
class GifDecoder;
struct GifFrame;
struct GifAnimation;
class GraphicsContext;
class BezierPath;
class Font;
struct TextLayout;
enum class FillRule;
enum class LineCap;
enum class LineJoin;
enum class TextAlignment;
enum class LineBreakMode;

} // namespace graphics
