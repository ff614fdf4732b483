// The player's side of singing along: switches the microphone's pitch
// tracking and the lane on and off, finds the notes of each song, and turns
// every playback tick into the lane to draw. No widgets: the player shows
// what it returns.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "scoring/LaneState.h"
#include "scoring/Latency.h"
#include "scoring/LivePitch.h"
#include "scoring/Microphone.h"
#include "scoring/SingAlong.h"

namespace cx {

class PitchLaneDesk {
public:
    // `manualCapture`: no device; the caller pushes voice into Live().
    explicit PitchLaneDesk(bool manualCapture = false);
    ~PitchLaneDesk();

    // Starts listening (and shows the lane) or stops. False with `error`
    // when the lane cannot start: then it stays off.
    bool SetOn(bool on, std::string& error, const std::string& device = {});
    bool On() const { return m_on; }
    // Applies to the song being sung from now on, and to the next ones.
    void SetDifficulty(Difficulty d) {
        m_difficulty = d;
        m_sing.SetDifficulty(d);
    }
    // The measured offset of the calibration, beyond the devices' own delay.
    // A stored value out of range is held to it.
    void SetCalibration(double seconds) {
        m_latency.CalibrationSeconds =
            std::clamp(seconds, -kMaxVoiceLatencyMs / 1000.0, kMaxVoiceLatencyMs / 1000.0);
    }
    const Latency& Delay() const { return m_latency; }

    // A song was opened: its notes are found (none when it has no tune we can read).
    // `written`: the notes the song file itself gives (a sing-along song);
    // without them the tune is found under the words of a MIDI song.
    void OpenSong(const std::string& path, const SungNotes& written = {});
    bool HasNotes() const { return m_sing.Active(); }
    // One playback tick: the lane to show, or none when the lane is off.
    std::optional<LaneState> Tick(double position);
    // The score so far and per line, for the end of the song.
    // (Of the song just finished, until the next one opens.)
    int Total() const { return Finished() ? m_lastScore->Total : m_sing.Total(); }
    std::vector<LineScore> Lines() const {
        return Finished() ? m_lastScore->Lines : m_sing.Lines();
    }
    // The song is over (stopped, closed or followed by the next): its score
    // when it had notes and the singer was heard, and the scoring ends. The
    // last one is kept for whoever records the turn.
    std::optional<SongScore> FinishSong();
    const std::optional<SongScore>& LastScore() const { return m_lastScore; }
    // The total of the song now ending (or just finished), when it was heard.
    std::optional<int> TurnScore() const;

    // Texts of the verdicts and the total, by translation key.
    void SetTranslator(std::function<std::string(const std::string& key)> tr) {
        m_tr = std::move(tr);
    }

    LivePitch& Live() { return m_live; }

private:
    bool Finished() const { return m_finished && m_lastScore && !m_sing.Active(); }

    bool m_manual;
    bool m_on = false;
    Difficulty m_difficulty = Difficulty::Medium;
    Latency m_latency;
    std::string m_songPath;
    SungNotes m_written;  // the open song's own notes, when it has them
    LivePitch m_live{kMicrophoneRate};
    Microphone m_microphone{m_live};
    SingAlong m_sing;
    std::optional<SongScore> m_lastScore;
    bool m_finished = false;  // FinishSong ended the open song's scoring
    std::function<std::string(const std::string&)> m_tr;
};

}  // namespace cx
