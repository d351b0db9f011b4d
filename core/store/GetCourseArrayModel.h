#pragma once

#include "platform/foundation/Value.h"

// The prescribed-shot lists of the resource "carcourse.txt": a JSON array of objects with "type",
// "name", "constant" (the shots, each with a "title") and "variable".
class GetCourseArrayModel final {
public:
    // The "constant" array of the first entry whose "type", read as an integer, equals listType;
    // empty when there is none or the resource cannot be read (logged).
    static foundation::Array getConstantArrayByType(int listType);
};
