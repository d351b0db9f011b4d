#pragma once

namespace data {

enum class AttributeType;
struct AttributeDescription;
class EntityDescription;
class ManagedObjectModel;
class ManagedObject;
class ManagedObjectContext;
class Predicate;
struct SortDescriptor;
struct FetchRequest;

} // namespace data
