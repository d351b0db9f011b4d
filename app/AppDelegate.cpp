#include "app/AppDelegate.h"

#include "app/MainStoryboard.h"
#include "core/media/MediaCleanup.h"
#include "platform/foundation/BundleInfo.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

std::string AppDelegate::name() const
{
    return foundation::BundleInfo::bundleName();
}

void AppDelegate::didFinishLaunching(const std::shared_ptr<ui::Window>& window)
{
    // Before anything can be saved: what a kill or a power cut left half-saved goes.
    media::MediaCleanup::sweepAtLaunch();
    // What the platform does with a main storyboard before it hands over to the delegate.
    window->setRootViewController(MainStoryboard::storyboard()->instantiateInitialViewController());
    window->makeKeyAndVisible();
}
