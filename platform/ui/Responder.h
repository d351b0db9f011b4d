#pragma once

#include "platform/ui/Forward.h"

#include <memory>
#include <string>

namespace ui {

// The edit menu's standard actions.
enum class EditAction { Cut, Copy, Paste, Select, SelectAll, Delete };

// Base of views and view controllers: the responder chain, the first responder (one for the
// process) and the hooks through which the hosts feed touches and keyboard input.
class Responder : public std::enable_shared_from_this<Responder> {
public:
    Responder() = default;
    virtual ~Responder();
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;

    // A view's next responder is its controller when it is a controller's root view, else its
    // superview; a controller's is its view's superview.
    virtual Responder* nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool canResignFirstResponder() const { return true; }
    // Overrides call the base first and act on its answer (a text field posts the keyboard's
    // notifications when it became first responder).
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    static std::shared_ptr<Responder> firstResponder();

    // Touches: the default passes them up the responder chain.
    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);

    // Keyboard input that the hosts send to the first responder.
    virtual bool hasText() const { return false; }
    virtual void insertText(const std::string& text) { (void)text; }
    virtual void deleteBackward() { }
    virtual void returnKey() { }

    // Edit actions: a responder answers for the ones it can do now; the default asks the next
    // responder, as does an action it does not take.
    virtual bool canPerformAction(EditAction action, const Responder* sender) const;
    virtual void copy(const Responder* sender);

    template<class T> std::shared_ptr<T> sharedAs()
    {
        return std::static_pointer_cast<T>(shared_from_this());
    }
    template<class T> std::shared_ptr<const T> sharedAs() const
    {
        return std::static_pointer_cast<const T>(shared_from_this());
    }

    // Tests: forgets the first responder without asking it.
    static void resetFirstResponder();
};

} // namespace ui
