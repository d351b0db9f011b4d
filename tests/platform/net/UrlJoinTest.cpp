#include "platform/net/UrlJoin.h"

#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

using net::joinServerPath;

namespace {

constexpr const char* kBase = "http://127.0.0.1:8080";

TEST(UrlJoinTest, AServerPathLandsOnTheBasesServer)
{
    EXPECT_EQ(joinServerPath(kBase, "/Upload/12/1700.jpg"), "http://127.0.0.1:8080/Upload/12/1700.jpg");
    EXPECT_EQ(joinServerPath("https://media.example:8443", "/a.jpg?size=2"),
        "https://media.example:8443/a.jpg?size=2");
    // A base with a path of its own keeps it, as appending did.
    EXPECT_EQ(joinServerPath("http://host/media/", "/a.jpg"), "http://host/media/a.jpg");
    // Bytes a request line cannot carry are escaped; escapes already there stay as they are.
    EXPECT_EQ(joinServerPath(kBase, "/Upload/a b.jpg"), "http://127.0.0.1:8080/Upload/a%20b.jpg");
    EXPECT_EQ(joinServerPath(kBase, "/Upload/照.jpg"), "http://127.0.0.1:8080/Upload/%e7%85%a7.jpg");
    EXPECT_EQ(joinServerPath(kBase, "/Upload/a%20b.jpg"), "http://127.0.0.1:8080/Upload/a%20b.jpg");
    // Dot segments cannot climb above the server's root.
    EXPECT_EQ(joinServerPath(kBase, "/Upload/../../../etc/x.jpg"), "http://127.0.0.1:8080/etc/x.jpg");
}

TEST(UrlJoinTest, APathThatWouldLeadToAnotherServerIsRefused)
{
    foundation::LogCapture capture(foundation::LogCapture::Echo::No);
    // Appended as text, each of these names another host, port or scheme.
    for (const char* path : {"@127.0.0.2:8080/x.jpg", "@127.0.0.2/x.jpg", ":9090/x.jpg",
             ".evil.example/x.jpg", "//127.0.0.2:8080/x.jpg", "http://127.0.0.2:8080/x.jpg",
             "https://127.0.0.1:8080/x.jpg", "file:///etc/passwd", "x.jpg", ""}) {
        EXPECT_EQ(joinServerPath(kBase, path), std::nullopt) << path;
    }
    EXPECT_EQ(joinServerPath(kBase, std::string("/a\0@127.0.0.2/x", 15)), std::nullopt);
    EXPECT_TRUE(capture.contains("refused server path \"@127.0.0.2:8080/x.jpg\""));
    // Only web addresses are bases.
    for (const char* base : {"", "127.0.0.1:8080", "file:///tmp", "ftp://127.0.0.1"})
        EXPECT_EQ(joinServerPath(base, "/a.jpg"), std::nullopt) << base;
}

} // namespace
