#pragma once

// Temporary stand-in until the web image library lands.

namespace webimage {

class ImageCache final {
public:
    static ImageCache& sharedImageCache()
    {
        static ImageCache cache;
        return cache;
    }
    void clearMemory() { }
    void clearDisk() { }
};

} // namespace webimage
