#include "platform/ui/Storyboard.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ViewController.h"

namespace ui {

namespace {
std::map<std::string, std::shared_ptr<Storyboard>>& registry()
{
    static auto* storyboards = new std::map<std::string, std::shared_ptr<Storyboard>>;
    return *storyboards;
}
} // namespace

std::shared_ptr<Storyboard> Storyboard::storyboardWithName(const std::string& name)
{
    auto& storyboards = registry();
    auto it = storyboards.find(name);
    if (it != storyboards.end())
        return it->second;
    auto storyboard = std::make_shared<Storyboard>(name);
    storyboards[name] = storyboard;
    return storyboard;
}

void Storyboard::removeAllForTesting()
{
    registry().clear();
}

void Storyboard::registerViewController(const std::string& identifier, Factory factory)
{
    m_factories[identifier] = std::move(factory);
}

void Storyboard::registerSegue(
    const std::string& sourceIdentifier, const std::string& segueIdentifier, SegueDefinition definition)
{
    m_segues[{sourceIdentifier, segueIdentifier}] = std::move(definition);
}

std::shared_ptr<ViewController> Storyboard::instantiateViewControllerWithIdentifier(
    const std::string& identifier)
{
    auto it = m_factories.find(identifier);
    if (it == m_factories.end() || !it->second) {
        foundation::logf("Storyboard (%s) doesn't contain a view controller with identifier '%s'",
            m_name.c_str(), identifier.c_str());
        return nullptr;
    }
    auto controller = it->second();
    if (controller && !controller->storyboard())
        controller->setStoryboard(shared_from_this(), identifier);
    return controller;
}

std::shared_ptr<ViewController> Storyboard::instantiateInitialViewController()
{
    if (m_initial.empty())
        return nullptr;
    return instantiateViewControllerWithIdentifier(m_initial);
}

std::optional<Storyboard::SegueDefinition> Storyboard::segue(
    const std::string& sourceIdentifier, const std::string& segueIdentifier) const
{
    auto it = m_segues.find({sourceIdentifier, segueIdentifier});
    if (it == m_segues.end())
        it = m_segues.find({std::string(), segueIdentifier});
    if (it == m_segues.end())
        return std::nullopt;
    return it->second;
}

} // namespace ui
