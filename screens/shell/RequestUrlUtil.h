#pragma once

#include "core/net/HttpManager.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

// How the screens address the server and read its reply envelope.
class RequestUrlUtil final {
public:
    static constexpr const char* kNetworkFailureMessage = "网络超时,请重新尝试!";

    // The base URL, the endpoint path and the request time stamp ("%@%@%lld").
    static std::string urlFor(const std::string& path);
    // The envelope's "Success".
    static bool succeeded(const foundation::Value& reply);
    // The envelope's "Msg", or `fallback` when the reply has none.
    static std::string message(const foundation::Value& reply, const std::string& fallback);
    // The user default "userName": the owner of the tasks the lists show.
    static std::string currentUserName();

    // Posts `fields` to the endpoint `path` and hands the reply or the error to the screen, which
    // the request holds weakly: a screen that has gone hears nothing.
    template<class Screen>
    static void post(const std::shared_ptr<Screen>& screen, const std::string& path, foundation::Value fields,
        const std::string& tag, void (Screen::*finished)(const foundation::Value&),
        void (Screen::*failed)(const HttpError&))
    {
        auto manager = HttpManager::create();
        manager->postRequestWithBaseUrl(urlFor(path), fields, tag);
        std::weak_ptr<Screen> weakScreen = screen;
        manager->setRequestFinishBlock(
            [weakScreen, finished](const std::string&, const foundation::Value& reply) {
                if (auto strong = weakScreen.lock())
                    (strong.get()->*finished)(reply);
            });
        setFailure(*manager, weakScreen, failed);
    }

    // The same for a list reply: its "Data" array comes apart from the rest, read entry by entry.
    template<class Screen>
    static void postList(const std::shared_ptr<Screen>& screen, const std::string& path,
        foundation::Value fields, const std::string& tag,
        void (Screen::*finished)(foundation::Value, std::optional<foundation::JsonList>),
        void (Screen::*failed)(const HttpError&))
    {
        auto manager = HttpManager::create();
        manager->postListRequestWithBaseUrl(urlFor(path), fields, kListKey, tag);
        std::weak_ptr<Screen> weakScreen = screen;
        manager->setRequestListFinishBlock([weakScreen, finished](const std::string&, foundation::Value reply,
                                               std::optional<foundation::JsonList> list) {
            if (auto strong = weakScreen.lock())
                (strong.get()->*finished)(std::move(reply), std::move(list));
        });
        setFailure(*manager, weakScreen, failed);
    }

private:
    static constexpr const char* kListKey = "Data";

    template<class Screen>
    static void setFailure(HttpManager& manager, const std::weak_ptr<Screen>& weakScreen,
        void (Screen::*failed)(const HttpError&))
    {
        manager.setRequestFailiedBlock([weakScreen, failed](const std::string&, const HttpError& error) {
            if (auto strong = weakScreen.lock())
                (strong.get()->*failed)(error);
        });
    }
};
