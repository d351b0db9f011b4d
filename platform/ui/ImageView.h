#pragma once

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <memory>
#include <vector>

namespace ui {

// Shows an image placed by the view's content mode; with animationImages it cycles through them
// over animationDuration while animating. An animated image plays from the moment it is set, in
// a loop, as long as it is the image.
class ImageView : public View {
public:
    static std::shared_ptr<ImageView> create(graphics::Rect frame = {});
    // Sized to the image, as the platform's initWithImage:.
    static std::shared_ptr<ImageView> create(std::shared_ptr<graphics::Image> image);
    explicit ImageView(graphics::Rect frame = {});
    ~ImageView() override;

    const char* className() const override { return "ImageView"; }

    const std::shared_ptr<graphics::Image>& image() const { return m_image; }
    virtual void setImage(std::shared_ptr<graphics::Image> image);
    const std::shared_ptr<graphics::Image>& highlightedImage() const { return m_highlightedImage; }
    void setHighlightedImage(std::shared_ptr<graphics::Image> image);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    const std::vector<std::shared_ptr<graphics::Image>>& animationImages() const { return m_animationImages; }
    void setAnimationImages(std::vector<std::shared_ptr<graphics::Image>> images);
    double animationDuration() const { return m_animationDuration; }
    // 0 means one thirtieth of a second per image.
    void setAnimationDuration(double seconds) { m_animationDuration = seconds; }
    // 0 repeats for ever.
    int animationRepeatCount() const { return m_repeatCount; }
    void setAnimationRepeatCount(int count) { m_repeatCount = count; }
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const;

    // Draws the image's shape in the effective tint colour, as an always-template image does.
    bool rendersAsTemplate() const { return m_template; }
    void setRendersAsTemplate(bool asTemplate);

    // A load that an image-loading library runs for this view. The view owns it: setting another
    // or destroying the view releases it, and the holder's destructor ends that load.
    const std::shared_ptr<void>& pendingLoad() const { return m_pendingLoad; }
    void setPendingLoad(std::shared_ptr<void> load) { m_pendingLoad = std::move(load); }

    // The image on screen now (an animation frame, the highlighted image or the image).
    std::shared_ptr<graphics::Image> displayedImage() const;

    // Where an image of `imageSize` lands in `bounds` for a content mode.
    static graphics::Rect rectForContentMode(
        ContentMode mode, graphics::Size imageSize, graphics::Rect bounds);

    graphics::Size sizeThatFits(graphics::Size size) const override;
    graphics::Size intrinsicContentSize() const override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;

private:
    double cycleDuration() const;
    void playAnimatedImage();
    void stopAnimatedImage();
    std::shared_ptr<graphics::Image> tinted(const std::shared_ptr<graphics::Image>& image);

    std::shared_ptr<graphics::Image> m_image;
    std::shared_ptr<graphics::Image> m_highlightedImage;
    std::vector<std::shared_ptr<graphics::Image>> m_animationImages;
    double m_animationDuration {0};
    int m_repeatCount {0};
    double m_animationStart {0};
    uint64_t m_frameCallback {0};
    size_t m_lastFrame {0};
    uint64_t m_imageFrameCallback {0};
    double m_imageStart {0};
    size_t m_imageFrame {0};
    std::shared_ptr<graphics::Image> m_tintSource;
    std::shared_ptr<graphics::Image> m_tinted;
    graphics::Color m_tintedWith;
    bool m_highlighted {false};
    bool m_template {false};
    std::shared_ptr<void> m_pendingLoad;
};

} // namespace ui
