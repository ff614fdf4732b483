#include "scoring/SingAlong.h"

namespace cx {

void SingAlong::Begin(SungNotes notes, Difficulty difficulty) {
    m_sung.clear();
    m_voiced = 0;
    m_scorer.reset();
    m_lastLine.reset();
    if (!notes.Empty()) m_scorer.emplace(std::move(notes), difficulty);
}

void SingAlong::Tick(LivePitch& live, double position, double latency) {
    // A frame's age is how much voice has arrived since; the song moved on as much.
    const double captured = live.CapturedSeconds();
    PitchFrame f;
    while (live.PopFrame(f)) Add(position - (captured - f.Time) - latency, f);
    if (!m_scorer) return;
    m_scorer->CloseLinesBefore(position - latency);
    for (const LineScore& line : m_scorer->TakeClosedLines()) {
        m_lastLine = line;
        m_lastLineAt = position;
    }
}

void SingAlong::Add(double songTime, const PitchFrame& frame) {
    if (!m_scorer) return;
    m_scorer->Add(songTime, frame);
    if (frame.Voiced()) ++m_voiced;
    if (!m_sung.empty() && songTime < m_sung.back().Time) return;
    if (m_sung.size() < kMaxSungFrames) m_sung.push_back({songTime, frame.Pitch});
}

LaneState SingAlong::Lane(double position) const {
    if (!m_scorer) return {};
    LaneState lane = LaneAt(*m_scorer, m_sung, position);
    const auto& notes = m_scorer->Notes().Notes;
    if (!notes.empty() &&
        position > notes.back().StartTime + notes.back().Length + kChartAfterSeconds) {
        lane.Finished = true;
        lane.Total = m_scorer->Total(true);
        for (const LineScore& line : m_scorer->Lines()) lane.LineShares.push_back(line.Share);
        return lane;
    }
    if (m_lastLine && position >= m_lastLineAt && position - m_lastLineAt < kVerdictSeconds)
        lane.Verdict = VerdictKey(m_lastLine->Rating);
    return lane;
}

std::vector<LineScore> SingAlong::Lines() const {
    return m_scorer ? m_scorer->Lines() : std::vector<LineScore>{};
}

}  // namespace cx
