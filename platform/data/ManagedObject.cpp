#include "platform/data/ManagedObject.h"

#include "platform/data/ManagedObjectContext.h"
#include "platform/foundation/Log.h"

namespace data {

using foundation::Value;

ManagedObject::ManagedObject(std::shared_ptr<const EntityDescription> entity)
    : m_entity(std::move(entity))
    , m_values(m_entity->attributes().size())
{ }

const Value& ManagedObject::value(const std::string& name) const
{
    auto index = m_entity->indexOfAttribute(name);
    return index ? m_values[*index] : Value::null();
}

bool ManagedObject::setValue(const std::string& name, const Value& value)
{
    auto index = m_entity->indexOfAttribute(name);
    if (!index) {
        foundation::logf(
            "ManagedObject: %s has no attribute '%s'; value ignored", entityName().c_str(), name.c_str());
        return false;
    }
    AttributeType type = m_entity->attributes()[*index].type;
    auto typed = coerceValue(value, type);
    if (!typed) {
        foundation::logf("ManagedObject: %s.%s takes %s values; value %s ignored", entityName().c_str(),
            name.c_str(), attributeTypeName(type), value.toJson().c_str());
        return false;
    }
    if (m_values[*index] == *typed)
        return true;
    m_values[*index] = std::move(*typed);
    if (m_inserted || m_deleted) {
        // An inserted record is written whole; a deleted one is not written at all.
        return true;
    }
    bool wasChanged = m_changedMask != 0;
    m_changedMask |= uint64_t(1) << *index;
    if (!wasChanged) {
        if (auto context = m_context.lock())
            context->objectDidChange(shared_from_this());
    }
    return true;
}

foundation::Map ManagedObject::dictionary() const
{
    foundation::Map map;
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (!m_values[i].isNull())
            map.emplace(m_entity->attributes()[i].name, m_values[i]);
    }
    return map;
}

std::string ManagedObject::textValue(const std::string& name) const
{
    return value(name).asString();
}

std::optional<foundation::Date> ManagedObject::dateValue(const std::string& name) const
{
    const auto& v = value(name);
    if (!v.isDate())
        return std::nullopt;
    return v.asDate();
}

void ManagedObject::setDateValue(const std::string& name, std::optional<foundation::Date> value)
{
    setValue(name, value ? foundation::Value(*value) : foundation::Value());
}

int64_t ManagedObject::integerValue(const std::string& name) const
{
    return value(name).asInt();
}

} // namespace data
