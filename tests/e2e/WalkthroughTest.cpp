#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "tests/e2e/AppProcess.h"
#include "tests/support/StandInServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

// The run command's headless demo: it must walk the whole road it knows and leave its screenshots.
TEST(WalkthroughTest, WalksTheRoadAndSavesEachScreen)
{
    testsupport::StandInServer server;
    ASSERT_TRUE(server.isRunning());
    const auto home = mivo::test::AppProcess::makeHome();
    ASSERT_FALSE(home.empty());

    std::string command = mivo::test::AppProcess::binary().string() + " --home '" + home.string()
        + "' --server http://127.0.0.1 --port " + std::to_string(server.port())
        + " --walkthrough 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string output;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe))
        output.append(chunk, n);
    int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_NE(output.find("shot 13 photos and the video"), std::string::npos) << output;
    // Steps are found by title: their numbers move as the road grows.
    for (const char* step : {", open the product-type sheet and turn the phone to landscape: ok",
             ", pick the product type in landscape: ok", ", turn the phone back to portrait: ok",
             ", pick the shooting plan: ok", ", open the edit-task screen from the row's edit button: ok",
             ", keep the plan, store the change and go back to the grid: ok",
             ", turn the phone: the camera lays itself out for landscape: ok",
             ", take the first photo turned, tapping the shutter where it is drawn: ok",
             ", turn the phone back: the grid shows the photo: ok", ", shoot every photo and the video: ok",
             ", long-press a photo: it grows out of the grid in the viewer: ok",
             ", close the viewer with a tap: ok", ", long-press the video: it plays with subtitles: ok",
             ", close the player with Done: ok", ", leave by the side menu: the task is ready to upload: ok",
             ", open the ready-to-upload list and the task's grid: ok", ", all uploaded: ok",
             ", its finished grid with the server's files: ok",
             ", open the number dialog and type a new number: the dialog rises above the number pad: ok",
             ", confirm: the server takes the number and the list shows it: ok",
             ", confirm and return to the login screen: ok"})
        EXPECT_NE(output.find(step), std::string::npos) << step << "\n" << output;
    for (const char* shot : {"01-login.png", "02-home.png", "03-product-sheet-landscape.png",
             "03-product-type-landscape.png", "03-plan-sheet.png", "03-new-task.png", "04-grid-new.png",
             "04a-pending-list.png", "04b-edit-task.png", "04c-edit-plan-sheet.png", "05-camera.png",
             "06-grid-first-shot.png", "07-grid-all-shot.png", "07a-photo-viewer.png", "07b-video-player.png",
             "08-home.png", "09-grid-to-upload.png", "10-upload-queued.png", "11-upload-in-flight.png",
             "12-upload-done.png", "13-finished.png", "14-finished-grid.png", "15-number-dialog.png",
             "16-finished-renumbered.png", "99-logout-prompt.png", "99-login.png"})
        EXPECT_GT(std::filesystem::file_size(home / "walkthrough" / shot), 1000u) << shot;
    EXPECT_NE(server.log().find("/Services/CarTask.ashx?method=updateapplyno"), std::string::npos)
        << server.log();
    // Saved upright although taken with the phone turned.
    for (const char* turned : {"03-product-sheet-landscape.png", "05a-camera-landscape.png"}) {
        auto shot = graphics::PngCodec::decodeFile(home / "walkthrough" / turned);
        ASSERT_TRUE(shot) << turned;
        EXPECT_GT(shot->pixelWidth(), shot->pixelHeight()) << turned;
    }
    mivo::test::AppProcess::removeHome(home);
}
