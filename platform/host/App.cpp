#include "platform/host/App.h"

#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace host {

ControllerApp::ControllerApp(Factory factory, std::string name)
    : m_factory(std::move(factory))
    , m_name(std::move(name))
{ }

void ControllerApp::didFinishLaunching(const std::shared_ptr<ui::Window>& window)
{
    window->setRootViewController(m_factory());
    window->makeKeyAndVisible();
}

} // namespace host
