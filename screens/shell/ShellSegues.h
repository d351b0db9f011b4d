#pragma once

// Scene and segue identifiers of the storyboard "Main".
struct ShellSegues {
    // Scenes.
    static constexpr const char* kLoginScene = "Login";
    static constexpr const char* kSlidingScene = "Sliding";
    static constexpr const char* kLeftMenuScene = "LeftMenu";
    static constexpr const char* kHomeNavigationScene = "HomeNavigation";
    static constexpr const char* kHomeScene = "Home";
    static constexpr const char* kNewTaskScene = "NewTask";
    static constexpr const char* kEditTaskScene = "EditTask";
    static constexpr const char* kPendingListScene = "PendingList";
    static constexpr const char* kUploadListScene = "UploadList";
    static constexpr const char* kFinishedListScene = "FinishedList";
    static constexpr const char* kRejectedListScene = "RejectedList";
    static constexpr const char* kNewTaskGridScene = "NewTaskPL";
    static constexpr const char* kPendingGridScene = "PendingPhotoList";
    static constexpr const char* kUploadGridScene = "ToUploadPhotoList";
    static constexpr const char* kRejectedGridScene = "RejectedPhotoList";
    static constexpr const char* kFinishedGridScene = "FinishPhotoList";
    static constexpr const char* kUploadMonitorScene = "UploadMonitor";

    // Segues the task screens and grids rely on.
    static constexpr const char* kLoginToMain = "loginToMainSegue";
    static constexpr const char* kSlidingToHome = "slidingToHome";
    static constexpr const char* kToNewTaskGrid = "toNewTaskPLSeg";
    static constexpr const char* kToPendingGrid = "toPendingPhotoListSeg";
    static constexpr const char* kToUploadGrid = "toUploadPhotoListSeg";
    static constexpr const char* kToRejectedGrid = "toRejectedPhotoListSeg";
    static constexpr const char* kToFinishedGrid = "toFinishPhotoListSeg";
    static constexpr const char* kToUploadMonitor = "toUploadMonitorSeg";

    // The shell's own: from the home dashboard and the side menu to the task screens.
    static constexpr const char* kToNewTask = "toNewTaskSeg";
    static constexpr const char* kToPendingList = "toPendingListSeg";
    static constexpr const char* kToUploadList = "toUploadListSeg";
    static constexpr const char* kToFinishedList = "toFinishedListSeg";
    static constexpr const char* kToRejectedList = "toRejectedListSeg";
    // From the local task lists to the edit-task screen, the task being the sender.
    static constexpr const char* kToEditTask = "toEditTaskSeg";
};
