#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <vector>

namespace ui {

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen, the same object from its beginning to its end. The application
// fills it in; locations are kept in the window's coordinates.
class Touch final {
public:
    static std::shared_ptr<Touch> create() { return std::make_shared<Touch>(); }

    TouchPhase phase() const { return m_phase; }
    double timestamp() const { return m_timestamp; }
    int tapCount() const { return m_tapCount; }
    std::shared_ptr<View> view() const { return m_view.lock(); }
    std::shared_ptr<Window> window() const { return m_window.lock(); }
    // In `view`'s coordinates; nullptr means the window's.
    graphics::Point locationInView(const View* view) const;
    graphics::Point previousLocationInView(const View* view) const;
    graphics::Point locationInWindow() const { return m_location; }
    const std::vector<std::weak_ptr<GestureRecognizer>>& gestureRecognizers() const { return m_recognizers; }

    // Filled in by the application's event dispatch.
    void setPhase(TouchPhase phase) { m_phase = phase; }
    void setTimestamp(double time) { m_timestamp = time; }
    void setTapCount(int count) { m_tapCount = count; }
    void setView(const std::shared_ptr<View>& view) { m_view = view; }
    void setWindow(const std::shared_ptr<Window>& window) { m_window = window; }
    void setLocationInWindow(graphics::Point p)
    {
        m_previous = m_location;
        m_location = p;
    }
    void resetLocation(graphics::Point p) { m_previous = m_location = p; }
    std::vector<std::weak_ptr<GestureRecognizer>>& mutableGestureRecognizers() { return m_recognizers; }
    // True once a recogniser took the touch away from its view (the view got touchesCancelled).
    bool isCancelledForView() const { return m_cancelledForView; }
    void setCancelledForView(bool cancelled) { m_cancelledForView = cancelled; }
    // True while recognisers that delay touches began hold this touch back from its view.
    bool isDelayedForView() const { return m_delayedForView; }
    void setDelayedForView(bool delayed) { m_delayedForView = delayed; }

private:
    TouchPhase m_phase {TouchPhase::Began};
    double m_timestamp {0};
    int m_tapCount {1};
    std::weak_ptr<View> m_view;
    std::weak_ptr<Window> m_window;
    graphics::Point m_location;
    graphics::Point m_previous;
    std::vector<std::weak_ptr<GestureRecognizer>> m_recognizers;
    bool m_cancelledForView {false};
    bool m_delayedForView {false};
};

} // namespace ui
