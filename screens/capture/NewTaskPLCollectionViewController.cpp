#include "screens/capture/NewTaskPLCollectionViewController.h"

#include "platform/ui/NavigationController.h"

void NewTaskPLCollectionViewController::backToHome()
{
    auto navigation = navigationController();
    auto outer = navigation ? navigation->navigationController() : nullptr;
    if (outer && outer != navigation)
        outer->popToRootViewController(true);
}

void NewTaskPLCollectionViewController::backToHomeBySlider()
{
    applyReadyRule();
    LocalShotGridViewController::backToHomeBySlider();
}
