#pragma once

#include "platform/ui/View.h"

namespace ui {

// A top-level view with a level. Windows start hidden; the application lists every live window
// (it holds them weakly: a window goes when its last owner lets it go).
class Window : public View {
public:
    static constexpr double kLevelNormal = 0;
    static constexpr double kLevelStatusBar = 1000;
    static constexpr double kLevelAlert = 2000;

    static std::shared_ptr<Window> create(graphics::Rect frame);
    explicit Window(graphics::Rect frame);
    ~Window() override;

    const char* className() const override { return "Window"; }

    double windowLevel() const { return m_level; }
    void setWindowLevel(double level);

    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    virtual void becomeKeyWindow() { }
    virtual void resignKeyWindow() { }

    // The root controller's view fills the window and resizes with it.
    std::shared_ptr<ViewController> rootViewController() const { return m_rootViewController; }
    void setRootViewController(std::shared_ptr<ViewController> controller);

    void setHidden(bool hidden) override;

    // Window and screen coordinates coincide (windows are not transformed here).
    graphics::Point convertPointToWindow(graphics::Point p, const Window* window) const;

    Responder* nextResponder() const override { return nullptr; }

private:
    std::shared_ptr<ViewController> m_rootViewController;
    double m_level {kLevelNormal};
};

} // namespace ui
