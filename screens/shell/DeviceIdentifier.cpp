#include "screens/shell/DeviceIdentifier.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cctype>
#include <random>

namespace {

bool looksValid(const std::string& text)
{
    return text.size() == 36 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(uint8_t(c)) || c == '-';
    });
}

// A random (version 4) UUID in upper case.
std::string makeIdentifier()
{
    std::random_device device;
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    uint8_t b[16];
    for (auto& v : b)
        v = uint8_t(byte(device));
    b[6] = uint8_t((b[6] & 0x0f) | 0x40);
    b[8] = uint8_t((b[8] & 0x3f) | 0x80);
    return foundation::format("%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
        b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
}

} // namespace

std::string DeviceIdentifier::simid()
{
    auto path = foundation::Paths::library() / kFileName;
    if (auto stored = foundation::readFile(path)) {
        std::string text = *stored;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (looksValid(text))
            return text;
        foundation::log("the stored device identifier is damaged; making a new one");
    }
    std::string identifier = makeIdentifier();
    foundation::createDirectories(path.parent_path());
    if (!foundation::writeFileAtomically(path, identifier + "\n"))
        foundation::logf("--------error------@%s", "the device identifier could not be stored");
    return identifier;
}
