#include "platform/ui/MenuController.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace ui {

using graphics::Color;
using graphics::Rect;

namespace {

constexpr double kItemPadding = 12;
constexpr double kGap = 8; // between the bubble and the target
constexpr double kTopLimit = 20; // the status bar
constexpr double kFontSize = 14;
constexpr EditAction kStandardActions[] = {EditAction::Cut, EditAction::Copy, EditAction::Paste,
    EditAction::Select, EditAction::SelectAll, EditAction::Delete};

} // namespace

MenuController& MenuController::sharedMenuController()
{
    static MenuController controller;
    return controller;
}

const char* MenuController::title(EditAction action)
{
    switch (action) {
    case EditAction::Cut:
        return "剪切";
    case EditAction::Copy:
        return "拷贝";
    case EditAction::Paste:
        return "粘贴";
    case EditAction::Select:
        return "选择";
    case EditAction::SelectAll:
        return "全选";
    case EditAction::Delete:
        return "删除";
    }
    return "";
}

void MenuController::setTargetRect(Rect rect, const View* view)
{
    m_target = view ? view->convertRectToView(rect, nullptr) : rect;
    m_targetView = view ? view->sharedAs<View>() : nullptr;
}

std::vector<MenuController::Entry> MenuController::entries() const
{
    std::shared_ptr<Responder> responder = Responder::firstResponder();
    if (!responder)
        responder = std::const_pointer_cast<View>(m_targetView.lock());
    std::vector<Entry> entries;
    if (responder) {
        std::weak_ptr<Responder> weak = responder;
        for (EditAction action : kStandardActions) {
            if (!responder->canPerformAction(action, nullptr))
                continue;
            entries.push_back({title(action), [weak, action] {
                                   auto target = weak.lock();
                                   if (target && action == EditAction::Copy)
                                       target->copy(nullptr);
                               }});
        }
    }
    for (auto& item : m_items)
        entries.push_back({item.title, item.action});
    return entries;
}

void MenuController::setMenuVisible(bool visible, bool animated)
{
    if (!visible) {
        hide(animated);
        return;
    }
    auto shown = entries();
    if (shown.empty())
        return;
    build(shown);
    m_visible = true;
    m_window->setHidden(false);
    if (animated) {
        m_bubble->setAlpha(0);
        View::animate(kFadeDuration, [bubble = m_bubble] { bubble->setAlpha(1); });
    }
}

void MenuController::build(const std::vector<Entry>& entries)
{
    Rect screen = Screen::mainScreen().bounds();
    if (!m_window) {
        m_window = Window::create(screen);
        m_window->setWindowLevel(Window::kLevelAlert + 10);
        // A tap beside the bubble only closes the menu.
        auto catcher = Button::create(ButtonType::Custom);
        catcher->setFrame(screen);
        catcher->addAction(ControlEvents::TouchDown, [](Control&) { sharedMenuController().hide(true); });
        m_window->addSubview(catcher);
    }
    m_window->setFrame(screen);
    if (m_bubble)
        m_bubble->removeFromSuperview();
    m_bubble = View::create();
    m_bubble->setBackgroundColor(Color::rgba(0.1, 0.1, 0.1, 0.92));
    m_bubble->layer().setCornerRadius(6);
    m_bubble->setClipsToBounds(true);
    m_titles.clear();
    double x = 0;
    auto font = graphics::Font::systemFont(kFontSize);
    for (size_t index = 0; index < entries.size(); ++index) {
        auto button = Button::create(ButtonType::Custom);
        button->setTitle(entries[index].title, ControlState::Normal);
        button->setTitleColor(Color::white(), ControlState::Normal);
        button->setTitleColor(Color::rgba(0.6, 0.6, 0.6), ControlState::Highlighted);
        button->titleLabel()->setFont(font);
        double width
            = std::ceil(button->titleLabel()->sizeThatFits({1000, kBubbleHeight}).width) + 2 * kItemPadding;
        button->setFrame({x, 0, width, kBubbleHeight});
        auto perform = entries[index].perform;
        button->addAction(ControlEvents::TouchUpInside, [perform](Control&) {
            sharedMenuController().hide(false);
            if (perform)
                perform();
        });
        if (index > 0) {
            auto divider = View::create({x, 0, 0.5, kBubbleHeight});
            divider->setBackgroundColor(Color::rgba(1, 1, 1, 0.3));
            m_bubble->addSubview(divider);
        }
        m_bubble->addSubview(button);
        m_titles.push_back(entries[index].title);
        x += width;
    }
    // Centred on the target, above it when there is room, else below; always on screen.
    double width = std::min(x, screen.width() - 2 * kGap);
    double left = std::clamp(m_target.midX() - width / 2, kGap, screen.width() - kGap - width);
    double top = m_target.minY() - kGap - kBubbleHeight;
    if (top < kTopLimit)
        top = std::min(m_target.maxY() + kGap, screen.height() - kBubbleHeight);
    m_bubble->setFrame({left, top, width, kBubbleHeight});
    m_window->addSubview(m_bubble);
}

void MenuController::hide(bool animated)
{
    if (!m_visible)
        return;
    m_visible = false;
    auto window = m_window;
    if (!animated || !m_bubble) {
        window->setHidden(true);
        return;
    }
    View::animate(
        kFadeDuration, [bubble = m_bubble] { bubble->setAlpha(0); },
        [window](bool) {
            if (!sharedMenuController().m_visible)
                window->setHidden(true);
        });
}

Rect MenuController::menuFrame() const
{
    return m_visible && m_bubble ? m_bubble->frame() : Rect {};
}

void MenuController::resetForTesting()
{
    m_items.clear();
    m_visible = false;
    m_titles.clear();
    m_bubble.reset();
    m_window.reset();
    m_target = {};
    m_targetView.reset();
}

} // namespace ui
