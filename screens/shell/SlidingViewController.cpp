#include "screens/shell/SlidingViewController.h"

#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

std::shared_ptr<SlidingViewController> SlidingViewController::create()
{
    return std::make_shared<SlidingViewController>();
}

std::shared_ptr<SlidingViewController> SlidingViewController::containing(const ui::ViewController& controller)
{
    for (auto parent = controller.parentViewController(); parent; parent = parent->parentViewController()) {
        if (auto sliding = std::dynamic_pointer_cast<SlidingViewController>(parent))
            return sliding;
    }
    return nullptr;
}

void SlidingViewController::loadView()
{
    auto view = ui::View::create(ui::Screen::mainScreen().bounds());
    view->setBackgroundColor(graphics::Color::black());
    setView(view);
}

void SlidingViewController::setUnderLeftViewController(std::shared_ptr<ui::ViewController> controller)
{
    if (m_underLeft) {
        m_underLeft->willMoveToParentViewController(nullptr);
        m_underLeft->view()->removeFromSuperview();
        m_underLeft->removeFromParentViewController();
    }
    m_underLeft = std::move(controller);
    if (m_underLeft)
        install(m_underLeft, false);
}

void SlidingViewController::setTopViewController(std::shared_ptr<ui::ViewController> controller)
{
    if (m_top) {
        m_top->willMoveToParentViewController(nullptr);
        m_top->view()->removeFromSuperview();
        m_top->removeFromParentViewController();
    }
    m_top = std::move(controller);
    m_menuOpen = false;
    if (m_top)
        install(m_top, true);
}

void SlidingViewController::install(const std::shared_ptr<ui::ViewController>& controller, bool onTop)
{
    addChildViewController(controller);
    auto childView = controller->view();
    childView->setFrame(view()->bounds());
    childView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    if (onTop)
        view()->addSubview(childView);
    else
        view()->insertSubview(childView, 0);
    controller->didMoveToParentViewController(this);
    if (onTop)
        placeTopView();
}

void SlidingViewController::placeTopView()
{
    if (!m_top)
        return;
    auto frame = view()->bounds();
    frame.origin.x = m_menuOpen ? kRevealWidth : 0;
    m_top->view()->setFrame(frame);
    // While the menu shows, a tap on the uncovered strip of the top screen closes it.
    if (m_menuOpen && !m_coverButton) {
        m_coverButton = ui::View::create(m_top->view()->bounds());
        m_coverButton->setBackgroundColor(graphics::Color::clear());
        m_coverButton->setAccessibilityLabel("关闭菜单");
        std::weak_ptr<SlidingViewController> weakSelf = sharedAs<SlidingViewController>();
        auto tap = ui::TapGestureRecognizer::create([weakSelf](ui::GestureRecognizer&) {
            if (auto self = weakSelf.lock())
                self->resetTopView(true);
        });
        m_coverButton->addGestureRecognizer(tap);
        m_top->view()->addSubview(m_coverButton);
    } else if (!m_menuOpen && m_coverButton) {
        m_coverButton->removeFromSuperview();
        m_coverButton.reset();
    }
}

void SlidingViewController::anchorTopViewToRight(bool animated)
{
    m_menuOpen = true;
    if (!isViewLoaded() || !m_top)
        return;
    if (animated)
        ui::View::animate(kSlideDuration, [this] { placeTopView(); });
    else
        placeTopView();
}

void SlidingViewController::resetTopView(bool animated)
{
    m_menuOpen = false;
    if (!isViewLoaded() || !m_top)
        return;
    if (animated)
        ui::View::animate(kSlideDuration, [this] { placeTopView(); });
    else
        placeTopView();
}

void SlidingViewController::viewDidLayoutSubviews()
{
    ui::ViewController::viewDidLayoutSubviews();
    if (m_underLeft)
        m_underLeft->view()->setFrame(view()->bounds());
}
