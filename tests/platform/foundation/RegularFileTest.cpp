#include "platform/foundation/RegularFile.h"

#include "platform/foundation/FileSystem.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

// "cannot open <path>: <why>" of what RegularFile::open says about `path`; "" when it opens.
std::string refusal(const fs::path& path)
{
    std::string error;
    return RegularFile::open(path, &error) ? "" : error;
}

TEST(RegularFileTest, ReadsARegularFileWholeWithinItsLimit)
{
    mivo::test::TempHome home;
    fs::path file = home.path() / "notes.txt";
    ASSERT_TRUE(writeFileAtomically(file, std::string("x\0y\n", 4)));
    auto opened = RegularFile::open(file);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->size(), 4u);
    EXPECT_EQ(opened->readText(4), std::string("x\0y\n", 4)) << "a limit the size meets";
    EXPECT_EQ(opened->readBytes(4), (std::vector<uint8_t> {'x', 0, 'y', '\n'}))
        << "read again from the start";
    std::string error;
    EXPECT_EQ(opened->readText(3, &error), std::nullopt);
    EXPECT_EQ(error, "cannot read " + file.string() + ": it holds 4 bytes, more than the 3 allowed");

    ASSERT_TRUE(writeFileAtomically(home.path() / "empty", ""));
    EXPECT_EQ(readRegularFile(home.path() / "empty", 0), "");
    EXPECT_EQ(readFile(file), std::string("x\0y\n", 4));
    EXPECT_EQ(whyNotRegularFile(file), std::nullopt);
    EXPECT_EQ(whyNotRegularFile(home.path() / "missing"), std::nullopt) << "nothing there is no refusal";
}

TEST(RegularFileTest, AHugeFileIsRefusedBeforeAnythingIsTaken)
{
    mivo::test::TempHome home;
    fs::path file = home.path() / "huge.jpg";
    ASSERT_TRUE(writeFileAtomically(file, ""));
    std::error_code code;
    fs::resize_file(file, uint64_t(1) << 40, code); // sparse: a terabyte that takes no disk
    if (code)
        GTEST_SKIP() << "no sparse files here: " << code.message();
    std::string error;
    EXPECT_EQ(readFile(file, &error), std::nullopt);
    EXPECT_EQ(error,
        "cannot read " + file.string() + ": it holds 1099511627776 bytes, more than the 67108864 allowed");
}

TEST(RegularFileTest, RefusesWhatIsNoRegularFileWithoutBlocking)
{
    mivo::test::TimeLimit limit(30);
    mivo::test::TempHome home;
    const fs::path& h = home.path();
    ASSERT_TRUE(writeFileAtomically(h / "real.txt", "real"));
    fs::create_directory(h / "folder");
    ASSERT_EQ(::mkfifo((h / "fifo").c_str(), 0600), 0);
    fs::create_symlink(h / "real.txt", h / "link");
    fs::create_symlink(h / "fifo", h / "link-to-fifo");
    fs::create_symlink(h / "gone", h / "dangling");
    int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string socketPath = (h / "socket").string();
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    const struct {
        fs::path path;
        const char* why;
    } cases[] = {{h / "folder", "it is a folder"}, {h / "fifo", "it is a FIFO"},
        {h / "link", "it is a symbolic link"}, {h / "link-to-fifo", "it is a symbolic link"},
        {h / "dangling", "it is a symbolic link"}, {h / "socket", "it is a socket"},
        {"/dev/null", "it is a device"}, {h / "missing", "No such file or directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(refusal(c.path), "cannot open " + c.path.string() + ": " + c.why);
        EXPECT_EQ(readFile(c.path), std::nullopt);
        if (c.path.filename() != "missing")
            EXPECT_EQ(whyNotRegularFile(c.path), c.why);
    }
    ::close(listener);
    EXPECT_EQ(readFile(h / "real.txt"), "real") << "the link's target itself still reads";
}

} // namespace
