#pragma once

#include "platform/data/EntityDescription.h"

#include <memory>
#include <string>
#include <vector>

namespace data {

// A named set of entities. Built once in code, then shared read-only by the contexts that use it.
class ManagedObjectModel final {
public:
    static std::shared_ptr<ManagedObjectModel> create(std::string name);
    explicit ManagedObjectModel(std::string name);

    const std::string& name() const { return m_name; }
    // Throws foundation::Exception on a misspelt or duplicate name: a model is fixed program text.
    std::shared_ptr<EntityDescription> addEntity(
        std::string name, std::vector<AttributeDescription> attributes);
    std::shared_ptr<const EntityDescription> entity(const std::string& name) const;
    const std::vector<std::shared_ptr<EntityDescription>>& entities() const { return m_entities; }

    static constexpr size_t kMaxAttributes = 64;

private:
    std::string m_name;
    std::vector<std::shared_ptr<EntityDescription>> m_entities;
};

} // namespace data
