#include "platform/foundation/JsonList.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace foundation {

namespace {

// Walking text already known to be JSON: each function takes the index of a token's first
// character and returns the index just past it.

size_t skipSpace(std::string_view text, size_t i)
{
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    return i;
}

size_t skipString(std::string_view text, size_t i)
{
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            return i + 1;
    }
    return text.size();
}

size_t skipValue(std::string_view text, size_t i)
{
    if (i >= text.size())
        return i;
    if (text[i] == '"')
        return skipString(text, i);
    if (text[i] != '[' && text[i] != '{') {
        while (i < text.size() && text[i] != ',' && text[i] != ']' && text[i] != '}' && text[i] != ' '
            && text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
            ++i;
        return i;
    }
    size_t depth = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '"') {
            i = skipString(text, i);
            continue;
        }
        if (c == '[' || c == '{') {
            ++depth;
        } else if ((c == ']' || c == '}') && --depth == 0) {
            return i + 1;
        }
        ++i;
    }
    return i;
}

// The whole text read as a Value, with the array under `key` moved out into a list.
std::optional<JsonSplit> readWhole(std::string_view json, std::string_view key)
{
    auto value = Value::fromJson(json);
    if (!value)
        return std::nullopt;
    JsonSplit split {std::move(*value), std::nullopt};
    std::string name(key);
    if (split.value[name].isArray()) {
        split.list = JsonList(split.value[name]);
        split.value.mutableMap().erase(name);
    }
    return split;
}

} // namespace

JsonList::JsonList(std::shared_ptr<const std::string> text, std::vector<Span> spans)
    : m_text(std::move(text))
    , m_spans(std::move(spans))
{ }

JsonList::JsonList(const Value& array)
{
    if (!array.isArray())
        return;
    if (auto list = splitArray(std::make_shared<const std::string>(array.toJson()), 0))
        *this = std::move(*list);
}

bool JsonList::isMapAt(size_t index) const
{
    return index < m_spans.size() && (*m_text)[m_spans[index].begin] == '{';
}

Value JsonList::at(size_t index) const
{
    if (index >= m_spans.size())
        return Value();
    const Span& span = m_spans[index];
    return Value::fromJson(std::string_view(*m_text).substr(span.begin, span.end - span.begin))
        .value_or(Value());
}

std::optional<JsonList> JsonList::splitArray(std::shared_ptr<const std::string> text, size_t begin)
{
    std::string_view json(*text);
    if (json.size() > std::numeric_limits<uint32_t>::max() || begin >= json.size() || json[begin] != '[')
        return std::nullopt;
    std::vector<Span> spans;
    size_t i = skipSpace(json, begin + 1);
    while (i < json.size() && json[i] != ']') {
        size_t end = skipValue(json, i);
        spans.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(end)});
        i = skipSpace(json, end);
        if (i < json.size() && json[i] == ',')
            i = skipSpace(json, i + 1);
    }
    return JsonList(std::move(text), std::move(spans));
}

std::optional<JsonSplit> JsonList::fromJsonTakingList(std::string json, std::string_view key)
{
    // Checked whole first, without building anything, so that a broken entry fails the reply as
    // it would when read at once.
    if (!nlohmann::json::accept(json))
        return std::nullopt;
    std::string_view text(json);
    size_t i = skipSpace(text, 0);
    if (text.size() > std::numeric_limits<uint32_t>::max() || text[i] != '{')
        return readWhole(text, key);
    // The members' values are skipped, not read; a key written with escapes, or twice, leaves the
    // choice of member to the full reader.
    size_t found = 0, begin = 0, end = 0;
    bool plainKeys = true;
    i = skipSpace(text, i + 1);
    while (i < text.size() && text[i] == '"') {
        size_t keyEnd = skipString(text, i);
        std::string_view name = text.substr(i + 1, keyEnd - i - 2);
        plainKeys = plainKeys && name.find('\\') == std::string_view::npos;
        size_t valueBegin = skipSpace(text, skipSpace(text, keyEnd) + 1);
        size_t valueEnd = skipValue(text, valueBegin);
        if (name == key) {
            ++found;
            begin = valueBegin;
            end = valueEnd;
        }
        i = skipSpace(text, valueEnd);
        if (i < text.size() && text[i] == ',')
            i = skipSpace(text, i + 1);
    }
    if (!plainKeys || found != 1 || text[begin] != '[')
        return readWhole(text, key);
    std::string rest;
    rest.reserve(text.size() - (end - begin) + 2);
    rest.append(text.substr(0, begin)).append("[]").append(text.substr(end));
    auto value = Value::fromJson(rest);
    if (!value)
        return std::nullopt;
    value->mutableMap().erase(std::string(key));
    auto list = splitArray(std::make_shared<const std::string>(std::move(json)), begin);
    return JsonSplit {std::move(*value), std::move(list)};
}

} // namespace foundation
