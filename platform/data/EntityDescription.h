#pragma once

#include "platform/foundation/Value.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace data {

class ManagedObject;

enum class AttributeType { Text, Int64, Double, Bool, Date };

struct AttributeDescription {
    std::string name;
    AttributeType type;
};

const char* attributeTypeName(AttributeType type);

// Converts a value to the canonical form an attribute of `type` stores (null stays null).
// Conversions are the lossless, unsurprising ones: numbers to and from decimal text, integral
// doubles to integers, "yyyy-MM-dd HH:mm:ss" text or seconds since 1970 to dates. Anything else
// gives nullopt.
std::optional<foundation::Value> coerceValue(const foundation::Value& value, AttributeType type);

// One table of a model: a name and its typed attributes, in column order. The object factory lets a
// model hand out subclasses of ManagedObject (typed accessors) for an entity.
class EntityDescription final {
public:
    using ObjectFactory
        = std::function<std::shared_ptr<ManagedObject>(std::shared_ptr<const EntityDescription>)>;

    EntityDescription(std::string name, std::vector<AttributeDescription> attributes, size_t index);

    const std::string& name() const { return m_name; }
    const std::vector<AttributeDescription>& attributes() const { return m_attributes; }
    // Position of the entity in its model.
    size_t index() const { return m_index; }
    std::optional<size_t> indexOfAttribute(const std::string& name) const;
    const AttributeDescription* attribute(const std::string& name) const;

    // Columns that fetches filter on together; the store keeps an index on each set (made on
    // open, also in a file written before the index existed). Throws foundation::Exception on an
    // unknown attribute: a model is fixed program text.
    void addIndex(std::vector<std::string> attributeNames);
    const std::vector<std::vector<std::string>>& indexes() const { return m_indexes; }

    void setObjectFactory(ObjectFactory factory) { m_factory = std::move(factory); }
    const ObjectFactory& objectFactory() const { return m_factory; }

    static bool isValidIdentifier(const std::string& name);

private:
    std::string m_name;
    std::vector<AttributeDescription> m_attributes;
    std::unordered_map<std::string, size_t> m_attributeIndex;
    size_t m_index;
    std::vector<std::vector<std::string>> m_indexes;
    ObjectFactory m_factory;
};

} // namespace data
