#include "platform/ui/Responder.h"

namespace ui {

namespace {
std::weak_ptr<Responder> g_firstResponder;
} // namespace

Responder::~Responder() = default;

std::shared_ptr<Responder> Responder::firstResponder()
{
    return g_firstResponder.lock();
}

void Responder::resetFirstResponder()
{
    g_firstResponder.reset();
}

bool Responder::isFirstResponder() const
{
    return g_firstResponder.lock().get() == this;
}

bool Responder::becomeFirstResponder()
{
    if (!canBecomeFirstResponder())
        return false;
    auto current = firstResponder();
    if (current.get() == this)
        return true;
    if (current && !current->resignFirstResponder())
        return false;
    g_firstResponder = weak_from_this();
    return true;
}

bool Responder::resignFirstResponder()
{
    if (!canResignFirstResponder())
        return false;
    if (isFirstResponder())
        g_firstResponder.reset();
    return true;
}

void Responder::touchesBegan(const TouchSet& touches, const Event* event)
{
    if (auto next = nextResponder())
        next->touchesBegan(touches, event);
}

void Responder::touchesMoved(const TouchSet& touches, const Event* event)
{
    if (auto next = nextResponder())
        next->touchesMoved(touches, event);
}

void Responder::touchesEnded(const TouchSet& touches, const Event* event)
{
    if (auto next = nextResponder())
        next->touchesEnded(touches, event);
}

void Responder::touchesCancelled(const TouchSet& touches, const Event* event)
{
    if (auto next = nextResponder())
        next->touchesCancelled(touches, event);
}

bool Responder::canPerformAction(EditAction action, const Responder* sender) const
{
    auto* next = nextResponder();
    return next && next->canPerformAction(action, sender);
}

void Responder::copy(const Responder* sender)
{
    if (auto* next = nextResponder())
        next->copy(sender);
}

} // namespace ui
