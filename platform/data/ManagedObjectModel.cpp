#include "platform/data/ManagedObjectModel.h"

#include "platform/foundation/Exception.h"

#include <set>

namespace data {

std::shared_ptr<ManagedObjectModel> ManagedObjectModel::create(std::string name)
{
    return std::make_shared<ManagedObjectModel>(std::move(name));
}

ManagedObjectModel::ManagedObjectModel(std::string name)
    : m_name(std::move(name))
{ }

std::shared_ptr<EntityDescription> ManagedObjectModel::addEntity(
    std::string name, std::vector<AttributeDescription> attributes)
{
    auto fail = [&](const std::string& reason) {
        throw foundation::Exception("NSInvalidArgumentException", "model " + m_name + ": " + reason);
    };
    if (!EntityDescription::isValidIdentifier(name))
        fail("bad entity name '" + name + "'");
    if (entity(name))
        fail("duplicate entity '" + name + "'");
    if (attributes.size() > kMaxAttributes)
        fail("too many attributes in '" + name + "'");
    std::set<std::string> seen;
    for (auto& attribute : attributes) {
        if (!EntityDescription::isValidIdentifier(attribute.name))
            fail("bad attribute name '" + attribute.name + "' in '" + name + "'");
        if (!seen.insert(attribute.name).second)
            fail("duplicate attribute '" + attribute.name + "' in '" + name + "'");
    }
    auto entity
        = std::make_shared<EntityDescription>(std::move(name), std::move(attributes), m_entities.size());
    m_entities.push_back(entity);
    return entity;
}

std::shared_ptr<const EntityDescription> ManagedObjectModel::entity(const std::string& name) const
{
    for (auto& entity : m_entities) {
        if (entity->name() == name)
            return entity;
    }
    return nullptr;
}

} // namespace data
