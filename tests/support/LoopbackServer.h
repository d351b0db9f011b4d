#pragma once

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <thread>

namespace mivo::test {

// An HTTP server on 127.0.0.1 on a thread of its own, for tests: add the handlers, start(), and
// it answers at base() until stop() or its end. One request per connection, so that stopping
// never waits for an idle keep-alive. Tests using it link PkgConfig::HTTPLIB.
class LoopbackServer : public httplib::Server {
public:
    LoopbackServer() { set_keep_alive_max_count(1); }
    ~LoopbackServer() { stopListening(); }

    // Takes a port (base() is known from here on) without answering yet. Handlers added before
    // start() are seen by the server's threads without further locking, as the race checker
    // requires. False when no port could be bound.
    bool bind()
    {
        if (m_port <= 0) {
            m_port = bind_to_any_port("127.0.0.1");
            // cpp-httplib listens with a backlog of 5: a burst of connections (a task's files sent
            // at once) overflows it, and the dropped ones come back a second later, or not at all.
            if (m_port > 0)
                ::listen(svr_sock_, 128);
        }
        return m_port > 0;
    }
    // Binds when not done yet and answers from here on; false when no port could be bound.
    bool start()
    {
        if (!bind())
            return false;
        if (m_thread.joinable())
            return true;
        m_thread = std::thread([this] { listen_after_bind(); });
        while (!is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    void stopListening()
    {
        stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    std::thread m_thread;
    int m_port {0};
};

} // namespace mivo::test
