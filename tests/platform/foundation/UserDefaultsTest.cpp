#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/BundleInfo.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sys/stat.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> filesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(UserDefaultsTest, ValuesSurviveARoundTripThroughTheFile)
{
    mivo::test::TempHome home;
    auto& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.filePath(), home.path() / "Library" / "Preferences" / UserDefaults::kFileName);
    defaults.set("staticBaseUrl", "http://127.0.0.1");
    defaults.set("staticBasePort", 8080);
    defaults.set("autoLogin", true);
    defaults.set("ratio", 0.25);
    defaults.set("list", Array {1, "two"});
    EXPECT_TRUE(defaults.synchronize());

    UserDefaults reread(defaults.filePath());
    EXPECT_EQ(reread.string("staticBaseUrl"), "http://127.0.0.1");
    EXPECT_EQ(reread.integer("staticBasePort"), 8080);
    EXPECT_EQ(reread.string("staticBasePort"), "8080");
    EXPECT_TRUE(reread.boolValue("autoLogin"));
    EXPECT_DOUBLE_EQ(reread.doubleValue("ratio"), 0.25);
    EXPECT_EQ(reread.value("list"), Value(Array {1, "two"}));
    EXPECT_EQ(reread.string("missing"), std::nullopt);
    EXPECT_FALSE(reread.boolValue("missing"));
    EXPECT_EQ(reread.integer("missing"), 0);
}

TEST(UserDefaultsTest, EverySetIsOnDiskAtOnceWithoutTemporaryFiles)
{
    mivo::test::TempHome home;
    auto& defaults = UserDefaults::standard();
    defaults.set("kCurrentUser", "inspector7");
    EXPECT_EQ(UserDefaults(defaults.filePath()).string("kCurrentUser"), "inspector7");
    defaults.remove("kCurrentUser");
    EXPECT_TRUE(UserDefaults(defaults.filePath()).value("kCurrentUser").isNull());
    defaults.set("a", 1);
    defaults.set("a", Value());
    EXPECT_TRUE(defaults.value("a").isNull()) << "setting null removes";
    for (int i = 0; i < 20; ++i)
        defaults.set("counter", i);
    // Atomic writes leave no temporary files behind.
    EXPECT_EQ(filesIn(defaults.filePath().parent_path()), std::vector<std::string> {UserDefaults::kFileName});
}

TEST(UserDefaultsTest, CorruptFileStartsEmptyWithOneLogLine)
{
    mivo::test::TempHome home;
    fs::path file = home.path() / "Library" / "Preferences" / UserDefaults::kFileName;
    ASSERT_TRUE(writeFileAtomically(file, "{\"userName\": \"half-writ"));
    LogCapture capture(LogCapture::Echo::No);
    UserDefaults::standard().reload();
    EXPECT_TRUE(UserDefaults::standard().value("userName").isNull());
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_TRUE(capture.contains("ignoring unreadable defaults file"));
    EXPECT_TRUE(capture.contains(file.string()));

    // The next write replaces the broken file with a good one.
    UserDefaults::standard().set("userName", "x");
    EXPECT_EQ(UserDefaults(file).string("userName"), "x");
}

TEST(UserDefaultsTest, AFolderOrFifoInPlaceOfTheFileStartsEmptyWithTheReason)
{
    mivo::test::TimeLimit limit(30);
    for (const char* kind : {"folder", "FIFO"}) {
        SCOPED_TRACE(kind);
        mivo::test::TempHome home;
        fs::path file = home.path() / "Library" / "Preferences" / UserDefaults::kFileName;
        fs::create_directories(file.parent_path());
        if (kind == std::string("folder"))
            fs::create_directory(file);
        else
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        LogCapture capture(LogCapture::Echo::No);
        UserDefaults::standard().reload();
        EXPECT_TRUE(UserDefaults::standard().value("userName").isNull());
        EXPECT_TRUE(capture.contains(std::string("starting empty: cannot open ") + file.string()
            + ": it is a " + (kind == std::string("folder") ? "folder" : "FIFO")));
        // A FIFO is replaced by the next write; a folder stays and the write fails.
        UserDefaults::standard().set("userName", "x");
        EXPECT_EQ(UserDefaults(file).string("userName"),
            kind == std::string("FIFO") ? std::optional<std::string>("x") : std::nullopt);
    }
}

TEST(UserDefaultsTest, ReloadFollowsANewHome)
{
    mivo::test::TempHome first;
    UserDefaults::standard().set("where", "first");
    {
        mivo::test::TempHome second;
        EXPECT_TRUE(UserDefaults::standard().value("where").isNull());
        UserDefaults::standard().set("where", "second");
    }
    Paths::setHome(first.path());
    UserDefaults::standard().reload();
    EXPECT_EQ(UserDefaults::standard().string("where"), "first");
}

TEST(PathsTest, FoldersUnderHomeAreCreatedOnDemand)
{
    mivo::test::TempHome home;
    EXPECT_EQ(Paths::home(), home.path());
    EXPECT_FALSE(fs::exists(home.path() / "Documents"));
    EXPECT_EQ(Paths::documents(), home.path() / "Documents");
    EXPECT_TRUE(fs::is_directory(Paths::documents()));
    EXPECT_TRUE(fs::is_directory(Paths::library()));
    EXPECT_EQ(Paths::caches(), home.path() / "Library" / "Caches");
    EXPECT_TRUE(fs::is_directory(Paths::caches()));
    EXPECT_TRUE(fs::is_directory(Paths::temporary()));
}

// Every file below `folder` with its contents, for telling whether anything there changed.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().lexically_relative(folder).string()]
            = entry.is_regular_file() ? readFile(entry.path()).value_or("?") : "folder";
    return files;
}

TEST(PathsTest, ALinkAmongTheHomesOwnFoldersIsRefusedWithNothingOutsideTouched)
{
    const struct {
        const char* top;
        bool holdsDefaults;
    } cases[] = {{"Documents", false}, {"Library", true}, {"Library/Caches", false},
        {"Library/Preferences", true}, {"tmp", false}};
    for (const auto& [top, holdsDefaults] : cases) {
        SCOPED_TRACE(top);
        mivo::test::TempHome outside;
        ASSERT_TRUE(writeFileAtomically(
            outside.path() / "Preferences" / UserDefaults::kFileName, R"({"server": "outside"})"));
        ASSERT_TRUE(
            writeFileAtomically(outside.path() / UserDefaults::kFileName, R"({"server": "outside"})"));
        ASSERT_TRUE(writeFileAtomically(outside.path() / ".mivo-write-check", "theirs"));
        fs::create_directories(outside.path() / "Caches");
        const auto before = snapshot(outside.path());

        mivo::test::TempHome home;
        fs::create_directories((home.path() / top).parent_path());
        fs::create_directory_symlink(outside.path(), home.path() / top);
        UserDefaults::standard().reload();

        std::string error;
        EXPECT_FALSE(Paths::checkHomeIsWritable(&error));
        EXPECT_EQ(error,
            "the home folder " + home.path().string() + " cannot be used: " + (home.path() / top).string()
                + " is a symbolic link");
        EXPECT_TRUE(UserDefaults::standard().value("server").isNull());
        UserDefaults::standard().set("server", "inside");
        EXPECT_EQ(UserDefaults::standard().synchronize(), !holdsDefaults);
        Paths::documents(), Paths::library(), Paths::caches(), Paths::temporary();
        EXPECT_EQ(snapshot(outside.path()), before);
    }
    mivo::test::TempHome sound;
    std::string error;
    EXPECT_TRUE(Paths::checkHomeIsWritable(&error)) << error;
}

TEST(PathsTest, HomeFallsBackToTheEnvironment)
{
    Paths::setHome({});
    const char* saved = std::getenv("MIVO_HOME");
    std::string previous = saved ? saved : "";
    setenv("MIVO_HOME", "/tmp/mivo-env-home", 1);
    EXPECT_EQ(Paths::home(), fs::path("/tmp/mivo-env-home"));
    unsetenv("MIVO_HOME");
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(Paths::home(), fs::path("/tmp/xdg/mivo-inspector"));
    unsetenv("XDG_DATA_HOME");
    if (saved)
        setenv("MIVO_HOME", previous.c_str(), 1);
}

TEST(PathsTest, ResourcesDefaultToTheSourceTreeAndCanBeOverridden)
{
    EXPECT_EQ(fs::canonical(Paths::resources()), fs::canonical(fs::path(MIVO_SOURCE_DIR) / "Resources"));
    Paths::setResources("/tmp/elsewhere");
    EXPECT_EQ(Paths::resource("x.png"), fs::path("/tmp/elsewhere/x.png"));
    Paths::setResources({});
}

TEST(BundleInfoTest, ReadsInfoJson)
{
    BundleInfo::reload();
    EXPECT_EQ(BundleInfo::bundleName(), "MivoInspector");
    EXPECT_EQ(BundleInfo::shortVersion(), "1.0");
    EXPECT_FALSE(BundleInfo::viewControllerBasedStatusBarAppearance());
    EXPECT_TRUE(BundleInfo::value("UIViewControllerBasedStatusBarAppearance").isBool());
}

TEST(FileSystemTest, WriteReadAndIntermediateFolders)
{
    mivo::test::TempHome home;
    fs::path nested = home.path() / "a" / "b" / "c.txt";
    EXPECT_FALSE(fileExists(nested));
    EXPECT_EQ(readFile(nested), std::nullopt);
    std::string binary("x\0y\n\xff", 5);
    ASSERT_TRUE(writeFileAtomically(nested, binary));
    EXPECT_EQ(readFile(nested), binary);
    ASSERT_TRUE(writeFileAtomically(nested, "second"));
    EXPECT_EQ(readFile(nested), "second");
    EXPECT_EQ(filesIn(nested.parent_path()), std::vector<std::string> {"c.txt"});
    EXPECT_TRUE(createDirectories(home.path() / "d" / "e"));
    EXPECT_TRUE(createDirectories(home.path() / "d" / "e")) << "existing folders are fine";
    EXPECT_FALSE(createDirectories(nested / "below-a-file"));
    EXPECT_TRUE(removeItem(home.path() / "a"));
    EXPECT_FALSE(fileExists(nested));
}

TEST(FileSystemTest, FailedWriteKeepsTheOldFile)
{
    mivo::test::TempHome home;
    fs::path file = home.path() / "keep.txt";
    ASSERT_TRUE(writeFileAtomically(file, "old"));
    fs::path blocked = home.path() / "dir-not-file";
    fs::create_directories(blocked / "child");
    EXPECT_FALSE(writeFileAtomically(blocked, "new")) << "renaming over a non-empty folder fails";
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(filesIn(home.path()), (std::vector<std::string> {"dir-not-file", "keep.txt"}));
}

// What lies under a name the app writes to first is never opened: a FIFO there would block the open
// for good, a link would lead the write elsewhere. A folder is a failed write.
TEST(FileSystemTest, WritesNeverOpenWhatLiesUnderTheirNames)
{
    mivo::test::TimeLimit limit(60);
    mivo::test::TempHome home;
    const fs::path& h = home.path();
    ASSERT_TRUE(writeFileAtomically(h / "elsewhere.txt", "kept"));
    ASSERT_EQ(::mkfifo((h / "fifo").c_str(), 0600), 0);
    fs::create_symlink(h / "elsewhere.txt", h / "link");
    fs::create_directory(h / "folder");
    for (const char* name : {"fifo", "link"}) {
        SCOPED_TRACE(name);
        std::string error;
        EXPECT_TRUE(writeNewFile(h / name, "new", FileFlush::No, &error)) << error;
        EXPECT_EQ(fs::symlink_status(h / name).type(), fs::file_type::regular);
        EXPECT_EQ(readFile(h / name), "new");
    }
    EXPECT_EQ(readFile(h / "elsewhere.txt"), "kept") << "a link's target is not written";
    std::string error;
    EXPECT_EQ(createFile(h / "folder", &error), -1);
    EXPECT_EQ(error, "cannot create " + (h / "folder").string() + ": a folder is in its place");

    // The temporary names of an atomic write are predictable: FIFOs planted under the next ones
    // are passed over, folders fail the write and keep the old file.
    fs::path target = h / "target.txt";
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    constexpr int kPlanted = 512;
    auto plant = [&](auto make) {
        for (int i = 0; i < kPlanted; ++i)
            make(h / ("target.txt.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(i)));
    };
    plant([](const fs::path& path) { ::mkfifo(path.c_str(), 0600); });
    EXPECT_TRUE(writeFileAtomically(target, "new", &error)) << error;
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(filesIn(h).size(), size_t(kPlanted) + 5 - 1) << "the one FIFO under the name used went";
    plant([](const fs::path& path) { fs::remove(path), fs::create_directory(path); });
    EXPECT_FALSE(writeFileAtomically(target, "newer", &error));
    EXPECT_TRUE(error.ends_with(": a folder is in its place")) << error;
    EXPECT_EQ(readFile(target), "new");
}

} // namespace
