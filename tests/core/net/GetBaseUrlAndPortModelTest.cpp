#include "core/net/GetBaseUrlAndPortModel.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

class BaseUrlTest : public ::testing::Test {
protected:
    void set(foundation::Value host, foundation::Value port)
    {
        auto& defaults = foundation::UserDefaults::standard();
        if (host.isNull())
            defaults.remove("staticBaseUrl");
        else
            defaults.set("staticBaseUrl", host);
        if (port.isNull())
            defaults.remove("staticBasePort");
        else
            defaults.set("staticBasePort", port);
    }
    mivo::test::TempHome m_home;
};

TEST_F(BaseUrlTest, DefaultServerWhenEitherKeyIsMissing)
{
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "http://mivo.example.com:80/Services");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), "http://mivo.example.com:80");
    set("10.1.2.3", nullptr);
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "http://mivo.example.com:80/Services");
    set(nullptr, "8080");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), "http://mivo.example.com:80");
    set("", "8080");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "http://mivo.example.com:80/Services");
}

TEST_F(BaseUrlTest, HostAndPortFromTheDefaults)
{
    set("10.1.2.3", "8080");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "http://10.1.2.3:8080/Services");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), "http://10.1.2.3:8080");
    set("http://server.local", 81);
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "http://server.local:81/Services");
    set("HTTP://server.local", "81");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), "HTTP://server.local:81");
    // A secure address is kept as typed, not turned into "http://https://...".
    set("https://secure.example.com", "443");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseUrlAndPort(), "https://secure.example.com:443/Services");
    set(" 192.168.0.9 ", " 9000 ");
    EXPECT_EQ(GetBaseUrlAndPortModel::getBaseImageUrlModel(), "http://192.168.0.9:9000");
}

} // namespace
