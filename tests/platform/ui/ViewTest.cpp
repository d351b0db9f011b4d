#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiTest.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using ui::View;

void expectRectNear(const Rect& a, const Rect& b)
{
    for (auto [x, y] : {std::pair {a.origin.x, b.origin.x}, {a.origin.y, b.origin.y},
             {a.size.width, b.size.width}, {a.size.height, b.size.height}})
        EXPECT_NEAR(x, y, 1e-9);
}

// Records its hooks and layout passes.
class HookView final : public View {
public:
    using View::View;
    std::vector<std::string>* log = nullptr;
    int layouts = 0;
    void willMoveToSuperview(View* s) override
    {
        log->push_back(s ? "willMoveTo superview" : "willMoveTo nil");
    }
    void didMoveToSuperview() override { log->push_back("didMoveToSuperview"); }
    void willMoveToWindow(ui::Window* w) override
    {
        log->push_back(w ? "willMoveTo window" : "willMoveTo no window");
    }
    void didMoveToWindow() override { log->push_back(window() ? "didMoveTo window" : "didMoveTo no window"); }
    void layoutSubviews() override { ++layouts; }
};

class ViewTest : public mivo::test::UiTest { };

TEST_F(ViewTest, FrameIsTheTransformedBoundingBox)
{
    auto view = View::create({10, 20, 100, 50});
    view->setTransform(AffineTransform::makeScale(2, 2));
    EXPECT_EQ(view->frame(), (Rect {-40, -5, 200, 100}));
    EXPECT_EQ(view->bounds(), (Rect {0, 0, 100, 50}));
    EXPECT_EQ(view->center(), (Point {60, 45}));

    view->setTransform(AffineTransform::makeRotation(std::numbers::pi / 2));
    expectRectNear(view->frame(), {35, -5, 50, 100});

    view->setTransform(AffineTransform::makeTranslation(5, 0).scaled(0.5, 0.5));
    // Setting the frame under a scale sizes the bounds so that the box matches.
    view->setFrame({0, 0, 40, 40});
    EXPECT_EQ(view->bounds().size, (Size {80, 80}));
    expectRectNear(view->frame(), {0, 0, 40, 40});
}

TEST_F(ViewTest, PointsAndRectsConvertThroughBoundsAndTransforms)
{
    auto window = ui::Window::create({0, 0, 320, 568});
    auto outer = View::create({20, 30, 200, 200});
    outer->setBounds({10, 0, 200, 200}); // scrolled by 10
    auto inner = View::create({50, 50, 100, 100});
    inner->setTransform(AffineTransform::makeScale(0.5, 0.5));
    window->addSubview(outer);
    outer->addSubview(inner);

    // inner's bounds map to a 50 x 50 box centred on (100, 100) of outer, which is shifted by 10.
    EXPECT_EQ(inner->convertPointToView({0, 0}, outer.get()), (Point {75, 75}));
    EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr), (Point {85, 105}));
    EXPECT_EQ(inner->convertRectToView({0, 0, 100, 100}, window.get()), (Rect {85, 105, 50, 50}));
    EXPECT_EQ(inner->convertPointFromView({85, 105}, nullptr), (Point {0, 0}));
    EXPECT_EQ(outer->convertRectFromView({0, 0, 100, 100}, inner.get()), (Rect {75, 75, 50, 50}));

    // Views in different windows meet on the screen.
    auto other = ui::Window::create({0, 100, 320, 468});
    auto target = View::create({0, 0, 10, 10});
    other->addSubview(target);
    EXPECT_EQ(inner->convertPointToView({0, 0}, target.get()), (Point {85, 5}));
}

TEST_F(ViewTest, HitTestingSkipsHiddenTransparentAndInertViews)
{
    auto root = View::create({0, 0, 300, 300});
    auto back = View::create({0, 0, 100, 100});
    auto front = View::create({50, 50, 100, 100});
    root->addSubview(back);
    root->addSubview(front);
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), front);
    EXPECT_EQ(root->hitTest({20, 20}, nullptr), back);
    EXPECT_EQ(root->hitTest({400, 20}, nullptr), nullptr);

    front->setHidden(true);
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), back);
    front->setHidden(false);
    front->setAlpha(0.009);
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), back);
    front->setAlpha(0.01);
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), front);
    front->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest({60, 60}, nullptr), back);

    // A subview sticking out of its superview is not hit outside the superview.
    auto sticking = View::create({90, 0, 50, 50});
    back->addSubview(sticking);
    EXPECT_EQ(root->hitTest({95, 10}, nullptr), sticking);
    EXPECT_EQ(root->hitTest({120, 10}, nullptr), root);

    // Transformed views are hit where they are shown (model values).
    auto scaled = View::create({200, 200, 40, 40});
    scaled->setTransform(AffineTransform::makeScale(2, 2));
    root->addSubview(scaled);
    EXPECT_EQ(root->hitTest({185, 185}, nullptr), scaled);
    // Scaled to nothing (as views shrink away), a view covers no point.
    auto shrunk = View::create(root->bounds());
    root->addSubview(shrunk);
    shrunk->setTransform(AffineTransform::makeScale(0, 0));
    EXPECT_EQ(root->hitTest({150, 150}, nullptr), root);
    EXPECT_EQ(root->hitTest({30, 30}, nullptr), back);
}

TEST_F(ViewTest, SubviewOrderOperationsAndTags)
{
    auto root = View::create();
    auto a = View::create(), b = View::create(), c = View::create(), d = View::create();
    root->addSubview(a);
    root->addSubview(b);
    root->insertSubview(c, 0);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<View>> {c, a, b}));
    root->insertSubviewAbove(d, c);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<View>> {c, d, a, b}));
    root->insertSubviewBelow(b, d);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<View>> {c, b, d, a}));
    root->bringSubviewToFront(c);
    root->sendSubviewToBack(a);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<View>> {a, b, d, c}));
    d->removeFromSuperview();
    EXPECT_EQ(d->superview(), nullptr);
    EXPECT_EQ(root->subviews().size(), 3u);
    // Moving a view to another superview takes it out of the first.
    auto other = View::create();
    other->addSubview(a);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<View>> {b, c}));
    EXPECT_EQ(a->superview(), other);
    // A view cannot become its own ancestor's subview.
    a->addSubview(other);
    EXPECT_EQ(other->superview(), nullptr);

    // Tags are found depth first: d under b, before c.
    c->setTag(7);
    d->setTag(7);
    b->addSubview(d);
    EXPECT_EQ(root->viewWithTag(7), d);
    EXPECT_EQ(root->viewWithTag(8), nullptr);
    EXPECT_EQ(root->viewWithTag(0), root);
}

TEST_F(ViewTest, AutoresizingSpreadsTheChangeOverFlexibleParts)
{
    auto parent = View::create({0, 0, 300, 200});
    auto fill = View::create({10, 10, 280, 180});
    fill->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    auto centred = View::create({100, 0, 100, 50});
    centred->setAutoresizingMask(
        ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleRightMargin);
    auto pinned = View::create({250, 150, 50, 50});
    pinned->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleTopMargin);
    auto fixed = View::create({5, 5, 10, 10});
    for (auto v : {fill, centred, pinned, fixed})
        parent->addSubview(v);

    parent->setFrame({0, 0, 400, 300});
    EXPECT_EQ(fill->frame(), (Rect {10, 10, 380, 280}));
    EXPECT_EQ(centred->frame(), (Rect {150, 0, 100, 50}));
    EXPECT_EQ(pinned->frame(), (Rect {350, 250, 50, 50}));
    EXPECT_EQ(fixed->frame(), (Rect {5, 5, 10, 10}));

    parent->setAutoresizesSubviews(false);
    parent->setFrame({0, 0, 100, 100});
    EXPECT_EQ(fill->frame(), (Rect {10, 10, 380, 280}));
}

TEST_F(ViewTest, LayoutRunsOncePerTurnOrAtOnceWhenAsked)
{
    std::vector<std::string> log;
    auto window = ui::Window::create({0, 0, 320, 568});
    window->makeKeyAndVisible();
    auto view = std::make_shared<HookView>(Rect {0, 0, 10, 10});
    view->log = &log;
    window->addSubview(view);
    turn();
    EXPECT_EQ(view->layouts, 1);
    view->setNeedsLayout();
    view->setNeedsLayout();
    EXPECT_EQ(view->layouts, 1);
    turn();
    EXPECT_EQ(view->layouts, 2);
    view->setNeedsLayout();
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 3);
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 3);
    // A size change lays out again; a move does not.
    view->setCenter({50, 50});
    turn();
    EXPECT_EQ(view->layouts, 3);
    view->setBounds({0, 0, 20, 20});
    turn();
    EXPECT_EQ(view->layouts, 4);
}

TEST_F(ViewTest, MoveHooksRunInOrder)
{
    std::vector<std::string> log;
    auto window = ui::Window::create({0, 0, 320, 568});
    auto holder = View::create();
    window->addSubview(holder);
    auto view = std::make_shared<HookView>();
    view->log = &log;
    holder->addSubview(view);
    EXPECT_EQ(log,
        (Strings {"willMoveTo superview", "willMoveTo window", "didMoveTo window", "didMoveToSuperview"}));
    log.clear();
    view->removeFromSuperview();
    EXPECT_EQ(log,
        (Strings {"willMoveTo nil", "willMoveTo no window", "didMoveTo no window", "didMoveToSuperview"}));
    EXPECT_EQ(view->window(), nullptr);
}

TEST_F(ViewTest, SizeToFitUsesSizeThatFits)
{
    class Fitting final : public View {
    public:
        using View::View;
        Size sizeThatFits(Size) const override { return {42, 17}; }
    };
    auto view = std::make_shared<Fitting>(Rect {5, 6, 1, 1});
    view->sizeToFit();
    EXPECT_EQ(view->frame(), (Rect {5, 6, 42, 17}));
}

TEST_F(ViewTest, LayoutRequestedDuringALayoutPassRunsAtTheNextTurn)
{
    std::vector<std::string> log;
    auto window = ui::Window::create({0, 0, 320, 568});
    window->makeKeyAndVisible();
    auto first = std::make_shared<HookView>(Rect {0, 0, 10, 10});
    first->log = &log;
    // Lays out after `first` in the pass and then marks it again.
    class Marking final : public View {
    public:
        using View::View;
        std::shared_ptr<View> other;
        bool once = true;
        void layoutSubviews() override
        {
            if (once)
                other->setNeedsLayout();
            once = false;
        }
    };
    auto second = std::make_shared<Marking>(Rect {0, 0, 10, 10});
    second->other = first;
    window->addSubview(first);
    window->addSubview(second);
    turn();
    EXPECT_EQ(first->layouts, 1);
    runFor(0.1);
    EXPECT_EQ(first->layouts, 2);

    // A view that resizes itself as it lays out settles.
    class Growing final : public View {
    public:
        using View::View;
        int layouts = 0;
        void layoutSubviews() override
        {
            ++layouts;
            setBounds({0, 0, 10.0 + layouts, 10});
        }
    };
    auto growing = std::make_shared<Growing>(Rect {0, 0, 10, 10});
    window->addSubview(growing);
    runFor(0.1);
    EXPECT_EQ(growing->layouts, 1);
}

} // namespace
