#include "app/MainStoryboard.h"

#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/StoryboardSegue.h"
#include "screens/capture/FinishedCollectionViewController.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/capture/PendingCollectionViewController.h"
#include "screens/capture/RejectedCollectionViewController.h"
#include "screens/capture/ToUploadCollectionViewController.h"
#include "screens/capture/UploadTaskViewController.h"
#include "screens/shell/HomeViewController.h"
#include "screens/shell/LeftMenuViewController.h"
#include "screens/shell/LoginViewController.h"
#include "screens/shell/ShellSegues.h"
#include "screens/shell/SlidingViewController.h"
#include "screens/tasks/EditTaskViewController.h"
#include "screens/tasks/FinishedTaskListViewController.h"
#include "screens/tasks/NewTaskViewController.h"
#include "screens/tasks/PendingTaskListViewController.h"
#include "screens/tasks/RejectedTaskListViewController.h"
#include "screens/tasks/UploadTaskListViewController.h"

using S = ShellSegues;
using ui::SegueKind;
using ui::Storyboard;

namespace {

// "slidingToHome": a fresh home dashboard becomes the sliding container's top screen.
void slideToHome(ui::StoryboardSegue& segue)
{
    if (auto sliding = SlidingViewController::containing(*segue.sourceViewController()))
        sliding->setTopViewController(segue.destinationViewController());
}

// A side-menu entry: the screen goes onto the home stack (emptied first) and the menu closes.
void pushFromMenu(ui::StoryboardSegue& segue)
{
    auto sliding = SlidingViewController::containing(*segue.sourceViewController());
    if (!sliding)
        return;
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(sliding->topViewController());
    if (navigation) {
        navigation->popToRootViewController(false);
        navigation->pushViewController(segue.destinationViewController(), false);
    }
    sliding->resetTopView(true);
}

} // namespace

std::shared_ptr<Storyboard> MainStoryboard::storyboard()
{
    auto storyboard = Storyboard::storyboardWithName(kName);
    if (!storyboard->segue(S::kLoginScene, S::kLoginToMain))
        registerScenes(storyboard);
    return storyboard;
}

void MainStoryboard::registerScenes(const std::shared_ptr<Storyboard>& storyboard)
{
    std::weak_ptr<Storyboard> weakBoard = storyboard;
    auto scene = [&](const char* identifier, Storyboard::Factory factory) {
        storyboard->registerViewController(identifier, std::move(factory));
    };
    scene(S::kLoginScene, [] { return LoginViewController::create(); });
    scene(S::kSlidingScene, [weakBoard] {
        auto sliding = SlidingViewController::create();
        if (auto board = weakBoard.lock()) {
            sliding->setUnderLeftViewController(
                board->instantiateViewControllerWithIdentifier(S::kLeftMenuScene));
            sliding->setTopViewController(
                board->instantiateViewControllerWithIdentifier(S::kHomeNavigationScene));
        }
        return sliding;
    });
    scene(S::kLeftMenuScene, [] { return LeftMenuViewController::create(); });
    scene(S::kHomeNavigationScene, [weakBoard]() -> std::shared_ptr<ui::ViewController> {
        auto board = weakBoard.lock();
        return ui::NavigationController::create(board
                ? board->instantiateViewControllerWithIdentifier(S::kHomeScene)
                : HomeViewController::create());
    });
    scene(S::kHomeScene, [] { return HomeViewController::create(); });
    scene(S::kNewTaskScene, [] { return NewTaskViewController::create(); });
    scene(S::kEditTaskScene, [] { return EditTaskViewController::create(); });
    scene(S::kPendingListScene, [] { return PendingTaskListViewController::create(); });
    scene(S::kUploadListScene, [] { return UploadTaskListViewController::create(); });
    scene(S::kFinishedListScene, [] { return FinishedTaskListViewController::create(); });
    scene(S::kRejectedListScene, [] { return RejectedTaskListViewController::create(); });
    scene(S::kNewTaskGridScene, [] { return NewTaskPLCollectionViewController::create(); });
    scene(S::kPendingGridScene, [] { return PendingCollectionViewController::create(); });
    scene(S::kUploadGridScene, [] { return ToUploadCollectionViewController::create(); });
    scene(S::kRejectedGridScene, [] { return RejectedCollectionViewController::create(); });
    scene(S::kFinishedGridScene, [] { return FinishedCollectionViewController::create(); });
    scene(S::kUploadMonitorScene, [] { return UploadTaskViewController::create(); });
    storyboard->setInitialViewControllerIdentifier(S::kLoginScene);

    auto segue = [&](const char* source, const char* identifier, SegueKind kind, const char* destination,
                     ui::StoryboardSegue::Performer custom = {}) {
        storyboard->registerSegue(source, identifier, {kind, destination, std::move(custom)});
    };
    segue(S::kLoginScene, S::kLoginToMain, SegueKind::Modal, S::kSlidingScene);
    segue(S::kLeftMenuScene, S::kSlidingToHome, SegueKind::Custom, S::kHomeNavigationScene, slideToHome);

    const std::pair<const char*, const char*> taskScreens[] = {
        {S::kToNewTask, S::kNewTaskScene},
        {S::kToPendingList, S::kPendingListScene},
        {S::kToUploadList, S::kUploadListScene},
        {S::kToFinishedList, S::kFinishedListScene},
        {S::kToRejectedList, S::kRejectedListScene},
    };
    for (const auto& [identifier, destination] : taskScreens) {
        segue(S::kHomeScene, identifier, SegueKind::Push, destination);
        segue(S::kLeftMenuScene, identifier, SegueKind::Custom, destination, pushFromMenu);
    }

    segue(S::kNewTaskScene, S::kToNewTaskGrid, SegueKind::Push, S::kNewTaskGridScene);
    segue(S::kEditTaskScene, S::kToNewTaskGrid, SegueKind::Push, S::kNewTaskGridScene);
    segue(S::kPendingListScene, S::kToEditTask, SegueKind::Push, S::kEditTaskScene);
    segue(S::kUploadListScene, S::kToEditTask, SegueKind::Push, S::kEditTaskScene);
    segue(S::kPendingListScene, S::kToPendingGrid, SegueKind::Push, S::kPendingGridScene);
    segue(S::kUploadListScene, S::kToUploadGrid, SegueKind::Push, S::kUploadGridScene);
    segue(S::kRejectedListScene, S::kToRejectedGrid, SegueKind::Push, S::kRejectedGridScene);
    segue(S::kFinishedListScene, S::kToFinishedGrid, SegueKind::Push, S::kFinishedGridScene);
    segue(S::kUploadGridScene, S::kToUploadMonitor, SegueKind::Modal, S::kUploadMonitorScene);
    segue(S::kRejectedGridScene, S::kToUploadMonitor, SegueKind::Modal, S::kUploadMonitorScene);
}
