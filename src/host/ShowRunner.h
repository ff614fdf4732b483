// The show between songs: when a singer's song ends, the next singer's song
// is loaded but not started and announced with a countdown; break music
// plays meanwhile. The song starts on the host's key, or by itself when the
// countdown ends (a setting). Driven by the host window's timer and keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/HostSession.h"

namespace cx {

// What the show asks of the player.
class ShowStage {
public:
    virtual ~ShowStage() = default;
    // Opens the song without starting it, at the entry's key and tempo;
    // why not, empty when loaded.
    virtual std::string Load(const QueueEntry& entry) = 0;
    virtual void Start() = 0;
    // Break music on (fades in) or off (fades out).
    virtual void BreakMusic(bool on) = 0;
    // The score of the song just sung, when it was sung along and heard.
    virtual std::optional<int> TurnScore() { return std::nullopt; }
};

enum class ShowPhase { Idle, Announcing, Singing };

// What the karaoke window shows of the show.
struct ShowView {
    bool card = false;  // "Next: NAME" with the title and the countdown
    std::string singer;
    std::string title;
    int secondsLeft = 0;
    bool autoStart = false;
    std::vector<std::string> comingUp;  // the ticker's names; empty: no ticker
    int tickerSpeed = 0;                // pixels a second
};

// Singers named on the ticker.
inline constexpr std::size_t kTickerSingers = 8;

class ShowRunner {
public:
    ShowRunner(HostSession& session, ShowStage& stage) : m_session(session), m_stage(stage) {}

    ShowPhase Phase() const { return m_phase; }
    std::int64_t AnnouncedSinger() const { return m_singer; }

    // The song ended (or the host starts the show): its score goes to the
    // history, the next singer is loaded and announced. Why nobody could
    // be, empty when announced.
    std::string SongEnded(std::int64_t nowMs);
    // The host's key: the announced singer sings now.
    std::string StartNow();
    // The player's own Play started the announced song: the turn is taken
    // as if the host had pressed start. Nothing when nobody is announced.
    std::string PlayerStarted();
    // The announced singer does not come up: the next one is announced.
    std::string SkipAnnounced(std::int64_t nowMs);
    // The countdown: starts the song when it ran out and auto start is on.
    void Tick(std::int64_t nowMs);
    // The host stopped the show: nothing announced, break music off.
    void Stop();

    ShowView View(std::int64_t nowMs) const;

private:
    std::string TakeAnnouncedTurn();

    HostSession& m_session;
    ShowStage& m_stage;
    ShowPhase m_phase = ShowPhase::Idle;
    std::int64_t m_singer = 0;
    std::string m_title;
    std::int64_t m_deadlineMs = 0;
};

}  // namespace cx
