#include "scoring/PitchLaneDesk.h"

#include "midi/MelodyFinder.h"
#include "midi/MidiSettingsBlock.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace {

// A translated text with the number in place of its "%1".
std::string WithNumber(std::string text, int number) {
    const auto at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}

}  // namespace

PitchLaneDesk::PitchLaneDesk(bool manualCapture) : m_manual(manualCapture) {}

PitchLaneDesk::~PitchLaneDesk() {
    m_microphone.Close();
    m_live.Stop();
}

bool PitchLaneDesk::SetOn(bool on, std::string& error, const std::string& device) {
    if (on == m_on) return true;
    if (!on) {
        m_microphone.Close();
        m_live.Stop();
        m_on = false;
        return true;
    }
    if (!m_live.Start()) {
        error = m_live.Error();
        return false;
    }
    if (!m_manual && !m_microphone.Open(device, error)) {
        m_live.Stop();
        return false;
    }
    // The tick's song position is what is heard: the output's delay is in it already.
    m_latency.CaptureSeconds = m_manual ? 0 : m_microphone.BufferSeconds();
    m_on = true;
    OpenSong(m_songPath, m_written);
    return true;
}

void PitchLaneDesk::OpenSong(const std::string& path, const SungNotes& written) {
    m_songPath = path;
    m_written = written;
    m_finished = false;
    m_sing.End();
    if (!m_on || path.empty()) return;
    if (!written.Empty()) return m_sing.Begin(written, m_difficulty);
    ReadResult read = ReadWholeFile(path, kMaxSmfBytes);
    if (!read.bytes || !IsMidiFile(*read.bytes)) return;
    LyricsModel words;
    MelodyResult melody = FindSongMelody(StripSettingsBlock(*read.bytes), Codepage::Cp1252, words);
    m_sing.Begin(std::move(melody.Notes), m_difficulty);
}

std::optional<SongScore> PitchLaneDesk::FinishSong() {
    if (!m_sing.Active() || !m_sing.Heard()) return std::nullopt;
    SongScore score{m_sing.TotalAtEnd(), m_sing.Lines(), {}};
    if (m_tr) score.TotalText = WithNumber(m_tr("ScoreChartTotal"), score.Total);
    m_sing.End();
    m_lastScore = score;
    m_finished = true;
    return score;
}

std::optional<int> PitchLaneDesk::TurnScore() const {
    if (m_sing.Active() && m_sing.Heard()) return m_sing.TotalAtEnd();
    if (Finished()) return m_lastScore->Total;
    return std::nullopt;
}

std::optional<LaneState> PitchLaneDesk::Tick(double position) {
    if (!m_on) return std::nullopt;
    m_sing.Tick(m_live, position, m_latency.Total());
    LaneState lane = m_sing.Lane(position);
    // A song without a tune to sing against says so rather than "0"; one
    // just finished keeps its total.
    if (!m_sing.Active() && !Finished()) {
        lane.TotalText = m_tr ? m_tr("ScoreNoNotes") : std::string("ScoreNoNotes");
        return lane;
    }
    if (!m_sing.Active()) lane.Total = m_lastScore->Total;
    if (m_tr) {
        if (!lane.Verdict.empty()) lane.Verdict = m_tr(lane.Verdict);
        lane.TotalText = WithNumber(m_tr("ScoreTotal"), lane.Total);
    }
    return lane;
}

}  // namespace cx
