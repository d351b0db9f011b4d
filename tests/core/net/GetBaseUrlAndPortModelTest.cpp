#include "core/net/GetBaseUrlAndPortModel.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

class BaseUrlTest : public ::testing::Test {
protected:
    // Stores both keys; null removes one.
    static void set(const foundation::Value& host, const foundation::Value& port)
    {
        auto& defaults = foundation::UserDefaults::standard();
        for (const auto& [key, value] :
            {std::pair {"staticBaseUrl", host}, std::pair {"staticBasePort", port}})
            value.isNull() ? defaults.remove(key) : defaults.set(key, value);
    }
    mivo::test::TempHome m_home;
};

TEST_F(BaseUrlTest, BothUrlsFromTheDefaultsOrTheBuiltInServer)
{
    struct Case {
        foundation::Value host;
        foundation::Value port;
        const char* base;
    };
    const Case cases[] = {
        // Either key missing: the built-in server.
        {nullptr, nullptr, "http://mivo.example.com:80"},
        {"10.1.2.3", nullptr, "http://mivo.example.com:80"},
        {nullptr, "8080", "http://mivo.example.com:80"},
        // Blanked: used as stored, so requests fail rather than reach a host nobody chose.
        {"", "8080", "http://:8080"},
        {"10.1.2.3", "", "http://10.1.2.3:"},
        {"  ", "", "http://:"},
        {"10.1.2.3", "8080", "http://10.1.2.3:8080"},
        {"http://server.local", 81, "http://server.local:81"},
        {"HTTP://server.local", "81", "HTTP://server.local:81"},
        // A secure address is kept as typed, not turned into "http://https://...".
        {"https://secure.example.com", "443", "https://secure.example.com:443"},
        {" 192.168.0.9 ", " 9000 ", "http://192.168.0.9:9000"},
    };
    for (const Case& c : cases) {
        set(c.host, c.port);
        EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), std::string(c.base) + "/Services") << c.base;
        EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), c.base) << c.host.toJson();
    }
}

} // namespace
