#pragma once

#include "platform/ui/StoryboardSegue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace ui {

// Scenes by identifier and the segues between them. The app registers factories at start-up
// (storyboard "Main"); segues are registered per source scene, or for any scene of the storyboard
// with an empty source.
class Storyboard final : public std::enable_shared_from_this<Storyboard> {
public:
    using Factory = std::function<std::shared_ptr<ViewController>()>;
    struct SegueDefinition {
        SegueKind kind {SegueKind::Push};
        std::string destination;
        StoryboardSegue::Performer custom;
    };

    // The one storyboard of this name (made empty on first use).
    static std::shared_ptr<Storyboard> storyboardWithName(const std::string& name);
    static void removeAllForTesting();

    const std::string& name() const { return m_name; }

    void registerViewController(const std::string& identifier, Factory factory);
    void setInitialViewControllerIdentifier(std::string identifier) { m_initial = std::move(identifier); }
    void registerSegue(
        const std::string& sourceIdentifier, const std::string& segueIdentifier, SegueDefinition definition);

    // A new controller of the scene (nullptr, logged, when unknown).
    std::shared_ptr<ViewController> instantiateViewControllerWithIdentifier(const std::string& identifier);
    std::shared_ptr<ViewController> instantiateInitialViewController();
    std::optional<SegueDefinition> segue(
        const std::string& sourceIdentifier, const std::string& segueIdentifier) const;

    explicit Storyboard(std::string name)
        : m_name(std::move(name))
    { }

private:
    std::string m_name;
    std::string m_initial;
    std::map<std::string, Factory> m_factories;
    std::map<std::pair<std::string, std::string>, SegueDefinition> m_segues;
};

} // namespace ui
