#pragma once

#include "platform/data/EntityDescription.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace data {

class ManagedObjectContext;

// One record of an entity. A context hands out one object per stored row (its identity map), so
// every holder of a record sees the same live values. Values are typed on set; changes stay in the
// object until the context saves them.
class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
public:
    explicit ManagedObject(std::shared_ptr<const EntityDescription> entity);
    virtual ~ManagedObject() = default;
    ManagedObject(const ManagedObject&) = delete;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const std::string& entityName() const { return m_entity->name(); }
    const EntityDescription& entity() const { return *m_entity; }

    // Null when unset or when the entity has no such attribute.
    const foundation::Value& value(const std::string& name) const;
    // Converts the value to the attribute's type (see coerceValue). An unknown attribute or a value
    // that does not fit is refused with a log line and false; the record stays as it was.
    bool setValue(const std::string& name, const foundation::Value& value);
    // Every attribute that has a value, keyed by name.
    foundation::Map dictionary() const;

    // Inserted into a context and not saved yet.
    bool isInserted() const { return m_inserted; }
    bool isDeleted() const { return m_deleted; }
    // Inserted, deleted, or changed since the last save.
    bool hasChanges() const { return m_inserted || m_deleted || m_changedMask != 0; }
    std::shared_ptr<ManagedObjectContext> managedObjectContext() const { return m_context.lock(); }

protected:
    // Typed accessors of subclasses.
    std::string textValue(const std::string& name) const;
    int64_t integerValue(const std::string& name) const;
    // Nullopt when unset; setting nullopt clears the attribute.
    std::optional<foundation::Date> dateValue(const std::string& name) const;
    void setDateValue(const std::string& name, std::optional<foundation::Date> value);

private:
    friend class ManagedObjectContext;

    std::shared_ptr<const EntityDescription> m_entity;
    std::weak_ptr<ManagedObjectContext> m_context;
    std::vector<foundation::Value> m_values;
    uint64_t m_changedMask {0};
    int64_t m_rowId {0};
    uint64_t m_insertSequence {0};
    bool m_inserted {false};
    bool m_deleted {false};
};

} // namespace data
