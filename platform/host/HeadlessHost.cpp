#include "platform/host/HeadlessHost.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/Host.h"
#include "platform/ui/Window.h"

#include <fstream>
#include <iostream>

namespace host {

HeadlessHost::HeadlessHost(HostOptions options)
    : m_options(std::move(options))
{ }

int HeadlessHost::run(App& app)
{
    auto& loop = foundation::RunLoop::main();
    bool commands = m_options.automation || m_options.script;
    // Commands step time themselves ("advance"), so runs are repeatable.
    if (commands)
        loop.setClock(std::make_shared<foundation::ManualClock>(0));
    auto window = launch(app, m_options);
    loop.runOnce();

    if (m_options.automation) {
        runCommands(std::cin, std::cout);
        return 0;
    }
    if (m_options.script) {
        std::ifstream file(*m_options.script);
        if (!file) {
            std::cerr << "cannot read " << m_options.script->string() << '\n';
            return 2;
        }
        return runCommands(file, std::cout) == 0 ? 0 : 1;
    }
    loop.runFor(m_options.runFor);
    if (m_options.screenshot) {
        Automation automation;
        std::string answer = automation.handle(foundation::Value(
            foundation::Map {{"cmd", "screenshot"}, {"path", m_options.screenshot->string()}})
                                                   .toJson());
        std::cout << answer << '\n';
        return answer.find("\"ok\":true") == std::string::npos ? 1 : 0;
    }
    return 0;
}

} // namespace host
