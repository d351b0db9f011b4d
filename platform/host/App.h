#pragma once

#include <functional>
#include <memory>
#include <string>

namespace ui {
class Window;
class ViewController;
} // namespace ui

namespace host {

// What a host runs: the app is handed its main window (screen-sized, not yet visible) once the
// platform is set up, as the platform's didFinishLaunching.
class App {
public:
    virtual ~App() = default;
    virtual std::string name() const { return "Mivo"; }
    virtual void didFinishLaunching(const std::shared_ptr<ui::Window>& window) = 0;
};

// An app made of one root view controller.
class ControllerApp final : public App {
public:
    using Factory = std::function<std::shared_ptr<ui::ViewController>()>;
    explicit ControllerApp(Factory factory, std::string name = "Mivo");

    std::string name() const override { return m_name; }
    void didFinishLaunching(const std::shared_ptr<ui::Window>& window) override;

private:
    Factory m_factory;
    std::string m_name;
};

} // namespace host
