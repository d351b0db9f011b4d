#include "app/AppDelegate.h"

#include "core/store/IMivoDataBaseManager.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/Host.h"
#include "platform/ui/Application.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/Window.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(AppDelegateTest, ALaunchClearsWhatAnInterruptedSaveLeftAndKeepsEveryRecordsFiles)
{
    mivo::test::TempHome home;
    foundation::RunLoop::main().reset();
    foundation::RunLoop::main().setClock(std::make_shared<foundation::ManualClock>(0));
    ui::Application::shared().resetForTesting();
    ui::Storyboard::removeAllForTesting();
    BaseDatabaseManager::resetSharedManagersForTesting();

    // What the last run left: a stored shot, a shot whose record never came, a saver's hidden
    // movie and the camera's recording.
    ASSERT_TRUE(IMivoDataBaseManager::sharedManager()->insertMivoUploadTask(
        foundation::Map {{"applyNO", "A1"}, {"taskStatus", "PENDING"}, {"resourceType", "image"},
            {"resourceName", "1733500000000001.jpg"}, {"screenshotName", "_1733500000000001.jpg"}}));
    fs::path picture = foundation::Paths::documents() / "user7" / "picture";
    fs::path video = foundation::Paths::documents() / "user7" / "video";
    for (const fs::path& file : {picture / "1733500000000001.jpg", picture / "_1733500000000001.jpg",
             picture / "1733500000000002.jpg", picture / "_1733500000000002.jpg",
             video / ".incoming-00ff-3.mp4", foundation::Paths::temporary() / "capture-9-0.mp4"})
        ASSERT_TRUE(foundation::writeFileAtomically(file, "bytes"));
    BaseDatabaseManager::resetSharedManagersForTesting();

    AppDelegate delegate;
    auto window = host::launch(delegate, host::HostOptions {});
    EXPECT_TRUE(fs::exists(picture / "1733500000000001.jpg"));
    EXPECT_TRUE(fs::exists(picture / "_1733500000000001.jpg"));
    EXPECT_FALSE(fs::exists(picture / "1733500000000002.jpg"));
    EXPECT_FALSE(fs::exists(picture / "_1733500000000002.jpg"));
    EXPECT_TRUE(fs::is_empty(video));
    EXPECT_TRUE(fs::is_empty(foundation::Paths::temporary()));

    foundation::RunLoop::main().runFor(1);
    window.reset();
    ui::Application::shared().resetForTesting();
    ui::Storyboard::removeAllForTesting();
    foundation::RunLoop::main().reset();
    BaseDatabaseManager::resetSharedManagersForTesting();
}

} // namespace
