#include "components/alert/ModalAlertResponder.h"

#include "components/alert/ModalAlertView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextView.h"

std::shared_ptr<ModalAlertResponder> ModalAlertResponder::init(std::shared_ptr<ModalAlertView> alert)
{
    return std::make_shared<ModalAlertResponder>(std::move(alert));
}

ModalAlertResponder::ModalAlertResponder(std::shared_ptr<ModalAlertView> alert)
    : m_alertview(std::move(alert))
{ }

std::shared_ptr<ModalAlertView> ModalAlertResponder::alertview() const
{
    std::lock_guard lock(m_mutex);
    return m_alertview;
}

void ModalAlertResponder::setAlertview(std::shared_ptr<ModalAlertView> alert)
{
    std::lock_guard lock(m_mutex);
    m_alertview = std::move(alert);
}

void ModalAlertResponder::setTitletitle(const std::string& title)
{
    if (auto alert = alertview())
        alert->setTitleText(title);
}

void ModalAlertResponder::setSubTitle(const std::string& subTitle)
{
    if (auto alert = alertview())
        alert->viewText()->setText(subTitle);
}

void ModalAlertResponder::close()
{
    if (auto alert = alertview())
        alert->hideView();
}
