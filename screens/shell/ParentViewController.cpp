#include "screens/shell/ParentViewController.h"

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/View.h"
#include "screens/shell/BrandStyle.h"

void ParentViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    setUpBackground();
    auto brand = BrandStyle::current();
    if (title().empty())
        setTitle(brand.title);
    auto logo = ui::BarButtonItem::create(brand.logo());
    logo->setTitle(brand.brandName);
    navigationItem().setRightBarButtonItem(logo);
}

void ParentViewController::viewWillAppear(bool animated)
{
    ui::ViewController::viewWillAppear(animated);
    if (auto navigation = navigationController())
        navigation->navigationBar()->setBarTintColor(BrandStyle::current().color);
}

void ParentViewController::setUpBackground()
{
    view()->setBackgroundColor(graphics::Color::white(0.96));
}
