#include "components/subtitles/Subtitles.h"

#include "components/subtitles/SubtitlesParser.h"
#include "components/subtitles/SubtitlesParts.h"
#include "platform/ui/MoviePlayerController.h"

#include <cctype>

namespace {

bool isSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// A forward scanner over the text that skips white space and line breaks before each item.
class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    { }

    bool isAtEnd()
    {
        skip();
        return m_at >= m_text.size();
    }

    std::string_view upToLineBreak()
    {
        skip();
        size_t start = m_at;
        while (m_at < m_text.size() && !isLineBreak(m_text[m_at]))
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    // Up to `marker`, but never past the end of the line: a line without the marker is read
    // whole, so the cues after it survive.
    std::string_view upToOnLine(std::string_view marker)
    {
        skip();
        size_t start = m_at;
        while (m_at < m_text.size() && !isLineBreak(m_text[m_at])
            && m_text.substr(m_at, marker.size()) != marker)
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    bool pass(std::string_view literal)
    {
        skip();
        if (m_text.substr(m_at, literal.size()) != literal)
            return false;
        m_at += literal.size();
        return true;
    }

    // The cue text: from the line after the times up to the next blank line, written with LF
    // or CR LF line ends (or the end of the text). A blank line right after the times is an
    // empty text and does not swallow the next cue.
    std::string_view textBlock()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t'))
            ++m_at;
        passLineBreak();
        const size_t start = m_at;
        if (atLineBreak())
            return {};
        while (m_at < m_text.size()) {
            if (m_text[m_at] == '\n') {
                size_t next = m_at + 1;
                if (next < m_text.size()
                    && (m_text[next] == '\n'
                        || (m_text[next] == '\r' && next + 1 < m_text.size() && m_text[next + 1] == '\n'))) {
                    size_t end = m_at > start && m_text[m_at - 1] == '\r' ? m_at - 1 : m_at;
                    return m_text.substr(start, end - start);
                }
            }
            ++m_at;
        }
        // The last cue's own line end is not part of its text.
        std::string_view rest = m_text.substr(start);
        while (!rest.empty() && isLineBreak(rest.back()))
            rest.remove_suffix(1);
        return rest;
    }

private:
    void skip()
    {
        while (m_at < m_text.size() && isSkipped(m_text[m_at]))
            ++m_at;
    }
    bool atLineBreak() const { return m_at < m_text.size() && isLineBreak(m_text[m_at]); }
    void passLineBreak()
    {
        if (m_text.substr(m_at, 2) == "\r\n")
            m_at += 2;
        else if (atLineBreak())
            ++m_at;
    }

    std::string_view m_text;
    size_t m_at {0};
};

std::string_view trimSpacesAndTabs(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool opensTag(char c)
{
    return c == '<' || c == '{' || c == '|';
}

bool closesTag(char c)
{
    return c == '>' || c == '}' || c == '|';
}

} // namespace

std::string subtitles::removeTags(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        if (!opensTag(text[at])) {
            out += text[at++];
            continue;
        }
        // The inside runs to the first '>', '|', '^' or '}'. Any opener within it reaches the
        // same stop, so when that stop is no closer (a '^' or the end), nothing before it is a
        // tag and the scan goes on from the stop itself.
        size_t stop = at + 1;
        while (stop < text.size() && !closesTag(text[stop]) && text[stop] != '^')
            ++stop;
        if (stop < text.size() && closesTag(text[stop])) {
            at = stop + 1;
        } else {
            out.append(text.substr(at, stop - at));
            at = stop;
        }
    }
    return out;
}

double Subtitles::timeFromString(std::string_view text)
{
    size_t at = 0;
    auto integer = [&]() -> long long {
        size_t i = at;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            negative = text[i++] == '-';
        size_t digits = i;
        long long value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && i - digits < 15)
            value = value * 10 + (text[i++] - '0');
        if (i == digits)
            return 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
        at = i;
        return negative ? -value : value;
    };
    auto separator = [&](char c) {
        size_t i = at;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i < text.size() && text[i] == c)
            at = i + 1;
    };
    const long long hours = integer();
    separator(':');
    const long long minutes = integer();
    separator(':');
    const long long seconds = integer();
    separator(',');
    const long long milliseconds = integer();
    return double(hours * 3600 + minutes * 60 + seconds) + double(milliseconds) / 1000.0;
}

void Subtitles::parseString(const Player& player, std::string_view text, const Parsed& parsed)
{
    auto parts = std::make_shared<SubtitlesParts>();
    player->setAssociatedObject(kSubtitlesPartsKey, parts);

    Scanner scanner(text);
    while (!scanner.isAtEnd()) {
        SubtitleCue cue;
        cue.index = std::string(scanner.upToLineBreak());
        std::string_view start = scanner.upToOnLine(" --> ");
        scanner.pass("-->");
        std::string_view end = scanner.upToLineBreak();
        cue.text = subtitles::removeTags(trimSpacesAndTabs(scanner.textBlock()));
        cue.start = timeFromString(start);
        cue.end = timeFromString(end);
        parts->set(std::move(cue));
    }
    if (parsed)
        parsed(true, std::nullopt);
}
