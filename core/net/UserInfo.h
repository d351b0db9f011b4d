#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The logged-in user, filled from the login reply. One shared instance, used on the main thread.
class UserInfo final {
public:
    static std::shared_ptr<UserInfo> sharedInstance();

    int64_t userId() const { return m_userId; }
    void setUserId(int64_t value) { m_userId = value; }
    const std::string& name() const { return m_name; }
    void setName(std::string value) { m_name = std::move(value); }
    const std::string& loginName() const { return m_loginName; }
    void setLoginName(std::string value) { m_loginName = std::move(value); }
    // The company brand text: "Arvel", "Kestro" or another company.
    const std::string& companyName() const { return m_companyName; }
    void setCompanyName(std::string value) { m_companyName = std::move(value); }
    // Put before every application number sent to the server.
    const std::string& orderPrefix() const { return m_orderPrefix; }
    void setOrderPrefix(std::string value) { m_orderPrefix = std::move(value); }
    const std::string& logoUrl() const { return m_logoUrl; }
    void setLogoUrl(std::string value) { m_logoUrl = std::move(value); }
    const std::string& photoPlan() const { return m_photoPlan; }
    void setPhotoPlan(std::string value) { m_photoPlan = std::move(value); }
    const std::string& productType() const { return m_productType; }
    void setProductType(std::string value) { m_productType = std::move(value); }
    const std::string& simidState() const { return m_simidState; }
    void setSimidState(std::string value) { m_simidState = std::move(value); }
    const std::string& simid() const { return m_simid; }
    void setSimid(std::string value) { m_simid = std::move(value); }

private:
    int64_t m_userId {0};
    std::string m_name;
    std::string m_loginName;
    std::string m_companyName;
    std::string m_orderPrefix;
    std::string m_logoUrl;
    std::string m_photoPlan;
    std::string m_productType;
    std::string m_simidState;
    std::string m_simid;
};
