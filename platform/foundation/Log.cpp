#include "platform/foundation/Log.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/Format.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace foundation {

namespace {

std::mutex& logMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<LogCapture*>& captures()
{
    static std::vector<LogCapture*> list;
    return list;
}

} // namespace

void log(std::string_view line)
{
    std::lock_guard lock(logMutex());
    bool echo = true;
    for (LogCapture* capture : captures()) {
        capture->append(line);
        if (capture->m_echo == LogCapture::Echo::No)
            echo = false;
    }
    if (!echo)
        return;
    std::string stamped = Date::now().formatLocal("yyyy-MM-dd HH:mm:ss.SSS");
    std::fprintf(stderr, "%s MivoInspector[%d] %.*s\n", stamped.c_str(), static_cast<int>(getpid()),
        static_cast<int>(line.size()), line.data());
}

void logf(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string line = formatV(fmt, args);
    va_end(args);
    log(line);
}

LogCapture::LogCapture(Echo echo)
    : m_echo(echo)
{
    std::lock_guard lock(logMutex());
    captures().push_back(this);
}

LogCapture::~LogCapture()
{
    std::lock_guard lock(logMutex());
    auto& list = captures();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::vector<std::string> LogCapture::lines() const
{
    std::lock_guard lock(logMutex());
    return m_lines;
}

bool LogCapture::contains(std::string_view text) const
{
    std::lock_guard lock(logMutex());
    return std::any_of(m_lines.begin(), m_lines.end(),
        [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

void LogCapture::clear()
{
    std::lock_guard lock(logMutex());
    m_lines.clear();
}

void LogCapture::append(std::string_view line)
{
    m_lines.emplace_back(line);
}

} // namespace foundation
