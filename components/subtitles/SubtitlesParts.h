#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// One cue of a subtitle file: its index line, its times in seconds and its text without tags.
struct SubtitleCue {
    std::string index;
    double start {0};
    double end {0};
    std::string text;

    bool operator==(const SubtitleCue&) const = default;
};

// The cues of a file keyed by their index text, in the order they were first read; a later cue
// with an index already present replaces the earlier one in its place.
class SubtitlesParts final {
public:
    void set(SubtitleCue cue);
    const SubtitleCue* find(const std::string& index) const;
    const std::vector<SubtitleCue>& values() const { return m_cues; }
    size_t size() const { return m_cues.size(); }
    bool empty() const { return m_cues.empty(); }
    void clear();

    // The cue shown at `time` (both ends included): of overlapping cues, the one that started
    // last (the first read of those when they start together). nullptr when none.
    const SubtitleCue* cueAt(double time) const;

private:
    std::vector<SubtitleCue> m_cues;
    std::map<std::string, size_t> m_positions;
};
