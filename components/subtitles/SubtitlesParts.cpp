#include "components/subtitles/SubtitlesParts.h"

void SubtitlesParts::set(SubtitleCue cue)
{
    auto [it, inserted] = m_positions.try_emplace(cue.index, m_cues.size());
    if (inserted)
        m_cues.push_back(std::move(cue));
    else
        m_cues[it->second] = std::move(cue);
}

const SubtitleCue* SubtitlesParts::find(const std::string& index) const
{
    auto it = m_positions.find(index);
    return it != m_positions.end() ? &m_cues[it->second] : nullptr;
}

void SubtitlesParts::clear()
{
    m_cues.clear();
    m_positions.clear();
}

const SubtitleCue* SubtitlesParts::cueAt(double time) const
{
    const SubtitleCue* shown = nullptr;
    for (const auto& cue : m_cues) {
        if (time >= cue.start && time <= cue.end && (!shown || cue.start > shown->start))
            shown = &cue;
    }
    return shown;
}
