#pragma once

// Forward declarations for the web image library.
namespace webimage {

class MemoryCache;
class ImageCache;
enum class CacheType;
class ImageDownloader;
class WebImageManager;
class WebImageOperation;

} // namespace webimage
