#pragma once

#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace render {

// Draws view trees with Cairo from the layers' presentation values: background with rounded
// corners, shadow, content (a shape layer's path, then the view's draw()), subviews, border, clipping, masks,
// transforms and group opacity. Views that are hidden, fully transparent or clipped away are skipped.
class Renderer final {
public:
    // 0 means the main screen's scale.
    explicit Renderer(double scale = 0);

    double scale() const { return m_scale; }

    // Every visible window of the application, back to front, over black: what the screen shows.
    std::shared_ptr<graphics::Image> renderScreen();
    void renderScreen(graphics::Image& target);
    // The same turned upright, as the screen's user sees it and a screenshot saves it: before
    // system 8.0 a turned interface stands sideways in the screen's own pixels.
    std::shared_ptr<graphics::Image> renderScreenAsSeen();
    // `view` and its subviews in the view's own bounds (its transform and position left out).
    std::shared_ptr<graphics::Image> renderView(ui::View& view);
    // The same over what `target` holds already (a background, say); the target is as many pixels
    // as the view's bounds at this scale.
    void renderView(ui::View& view, graphics::Image& target);
    // Draws `view` as its superview would: the context's transform maps the superview's coordinates.
    void drawView(graphics::GraphicsContext& context, ui::View& view);

    // Views drawn by the last render (for tests and the benchmark).
    size_t viewsDrawn() const { return m_viewsDrawn; }

    // A picture of the view at the screen's scale, laid out first.
    static std::shared_ptr<graphics::Image> snapshot(ui::View& view);
    // An image view showing that picture, with the view's frame; with afterScreenUpdates the
    // pending layout runs first, otherwise the view is drawn as it stands.
    static std::shared_ptr<ui::View> snapshotViewAfterScreenUpdates(ui::View& view, bool afterScreenUpdates);

private:
    enum class Content { Own, SubviewsOnly };

    // What a top-level render draws, so that a blur can redraw what lies behind it.
    using RootDrawing = std::function<void(Renderer&, graphics::GraphicsContext&)>;
    void drawRoot(graphics::GraphicsContext& context, const RootDrawing& root);
    void drawBackdrop(graphics::GraphicsContext& context, ui::View& view);
    void drawSubtree(graphics::GraphicsContext& context, ui::View& view);
    void drawLayerContent(graphics::GraphicsContext& context, ui::View& view, Content content);
    void drawShadow(graphics::GraphicsContext& context, ui::View& view);
    bool drawRasterized(graphics::GraphicsContext& context, ui::View& view, bool shadow);

    double m_scale;
    size_t m_viewsDrawn {0};
    RootDrawing m_root;
    int m_targetWidth {0};
    int m_targetHeight {0};
    // A backdrop pass draws everything up to (not including) this view, then stops.
    const ui::View* m_stopAt {nullptr};
    bool m_stopped {false};
    int m_backdropDepth {0};
};

} // namespace render
