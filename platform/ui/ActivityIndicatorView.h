#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace ui {

enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

// Twelve spokes whose brightness turns once a second on the run loop's clock while animating.
// With hidesWhenStopped (the default) it is hidden whenever it is not animating.
class ActivityIndicatorView : public View {
public:
    static constexpr int kSpokes = 12;
    static constexpr double kPeriod = 1.0;

    static std::shared_ptr<ActivityIndicatorView> create(
        ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);
    static std::shared_ptr<ActivityIndicatorView> create(graphics::Rect frame);
    explicit ActivityIndicatorView(graphics::Rect frame, ActivityIndicatorViewStyle style);
    ~ActivityIndicatorView() override;

    const char* className() const override { return "ActivityIndicatorView"; }

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return m_style; }
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    graphics::Color color() const;
    void setColor(std::optional<graphics::Color> color);
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_frameCallback != 0; }
    // The spoke drawn brightest now (0 at twelve o'clock, clockwise).
    int leadingSpoke() const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void draw(graphics::GraphicsContext& context, graphics::Rect rect) override;

private:
    static double sideForStyle(ActivityIndicatorViewStyle style);

    ActivityIndicatorViewStyle m_style;
    std::optional<graphics::Color> m_color;
    uint64_t m_frameCallback {0};
    double m_start {0};
    int m_lastSpoke {-1};
    bool m_hidesWhenStopped {true};
};

} // namespace ui
