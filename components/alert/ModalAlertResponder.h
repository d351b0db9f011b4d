#pragma once

#include <memory>
#include <mutex>
#include <string>

class ModalAlertView;

// The handle a general show returns: changes the shown texts or closes the alert, which it keeps
// alive. Nothing is laid out again when a text changes.
class ModalAlertResponder final {
public:
    static std::shared_ptr<ModalAlertResponder> init(std::shared_ptr<ModalAlertView> alert);
    explicit ModalAlertResponder(std::shared_ptr<ModalAlertView> alert);

    std::shared_ptr<ModalAlertView> alertview() const;
    void setAlertview(std::shared_ptr<ModalAlertView> alert);

    void setTitletitle(const std::string& title);
    void setSubTitle(const std::string& subTitle);
    void close();

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<ModalAlertView> m_alertview;
};
