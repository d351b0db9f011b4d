#pragma once

#include <string>
#include <string_view>

namespace subtitles {

// The cue text without markup such as italics tags and brace codes: every run that opens with
// '<', '{' or '|', holds none of '>', '|', '^' and '}', and closes with '>', '|' or '}' is
// dropped, leftmost first, as the regular expression "[<|\{][^>|\^}]*[>|\}]" would replace it.
// One pass without recursion, so a long text without a closer costs its length, not its square.
std::string removeTags(std::string_view text);

} // namespace subtitles
