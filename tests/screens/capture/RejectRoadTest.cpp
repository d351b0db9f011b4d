#include "tests/screens/capture/UploadFixture.h"

#include "core/media/CommonUtil.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/ImageDecoding.h"
#include "screens/capture/RejectedCollectionViewController.h"
#include "screens/shell/ShellSegues.h"
#include "screens/tasks/RejectedTaskListViewController.h"

namespace {

using mivo::test::UploadFixture;

class RejectRoadTest : public UploadFixture { };

// Upload a task, have the server reject it, shoot two of its slots again from the rejected list's
// grid and upload them in reject mode: the task is finished, and the store agrees with the server.
TEST_F(RejectRoadTest, AReShotRejectedTaskIsUploadedAgainAndFinished)
{
    makeTask("R100", 13, true);
    auto first = open("R100");
    ASSERT_TRUE(waitForAlert("数据全部上传成功!")) << alertText(*first);
    ASSERT_TRUE(settle());
    std::string carId = task("R100")->carID();
    ASSERT_FALSE(carId.empty());
    first->dismissViewBtnClick();
    foundation::RunLoop::main().runFor(1);
    auto firstUrls = serverFiles("R100");
    ASSERT_TRUE(s_server->reject(carId, "车头照片模糊"));

    auto stack = homeStack(m_sliding);
    stack->popToRootViewController(false);
    stack->topViewController()->performSegueWithIdentifier(ShellSegues::kToRejectedList);
    foundation::RunLoop::main().runFor(0.5);
    auto list = std::dynamic_pointer_cast<RejectedTaskListViewController>(stack->topViewController());
    ASSERT_TRUE(list);
    ASSERT_TRUE(runUntil([&] { return !list->isRequestRunning(); }));
    ASSERT_EQ(list->tasks().size(), 1u) << alertText(*list);
    EXPECT_EQ(task("R100")->taskStatus(), "REJECTED");
    list->selectTask(0);
    foundation::RunLoop::main().runFor(0.5);
    auto grid = std::dynamic_pointer_cast<RejectedCollectionViewController>(stack->topViewController());
    ASSERT_TRUE(grid);

    // Shoot slots 1 and 2 again, as the rejected grid does with the camera's photo.
    auto image = graphics::decodeImageFile(foundation::Paths::resource("camera/sample-photo-2.jpg"));
    ASSERT_TRUE(image);
    for (const char* position : {"1", "2"}) {
        auto slot = records(data::Predicate::withFormat("carID=%@ and taskPosition=%@ and resourceType=%@",
            carId, std::string(position), std::string("image")));
        ASSERT_EQ(slot.size(), 1u) << position;
        CommonUtil::imagePickerControllerForSyn(
            nullptr, {ui::ImagePickerInfo::kMediaTypeImage, image, {}}, {0, 0}, slot.front(), grid);
    }
    ASSERT_TRUE(runUntil([&] { return countStatus("R100", "PENDING") == 2; }));

    grid->toUploadTask();
    foundation::RunLoop::main().runFor(0.6);
    m_screen = std::dynamic_pointer_cast<UploadTaskViewController>(presentedFrom(grid));
    ASSERT_TRUE(m_screen);
    EXPECT_EQ(m_screen->uploadModel(), "RejectModel");
    ASSERT_TRUE(waitForAlert("数据全部上传成功!")) << alertText(*m_screen);
    ASSERT_TRUE(settle());
    EXPECT_EQ(m_screen->uploadTotalCount(), 2);
    EXPECT_EQ(task("R100")->taskStatus(), "FINISHED");
    EXPECT_EQ(countStatus("R100", "PENDING"), 0u);
    expectStoreMatchesServer("R100");
    EXPECT_EQ(serverFiles("R100"), firstUrls) << "the re-shot files replace their slots";
}

} // namespace
