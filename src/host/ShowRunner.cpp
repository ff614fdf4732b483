#include "host/ShowRunner.h"

#include <algorithm>

namespace cx {

std::string ShowRunner::SongEnded(std::int64_t nowMs) {
    if (std::string reason = m_session.Open(); !reason.empty()) return reason;
    // A score that cannot be kept is said, and the show goes on.
    std::string failures;
    if (const auto score = m_phase == ShowPhase::Singing ? m_stage.TurnScore() : std::nullopt)
        failures = m_session.RecordScore(*score);
    m_phase = ShowPhase::Idle;
    m_singer = 0;
    m_stage.BreakMusic(true);
    // A song that cannot be opened passes its singer's turn; the song stays
    // queued and the host is told why.
    const std::size_t tries = m_session.Current().Singers().size();
    for (std::size_t i = 0; i < tries; ++i) {
        const Singer* next = m_session.Current().UpNext();
        if (!next) break;
        const QueueEntry entry = next->queue.front();
        const std::int64_t id = next->id;
        const std::string name = next->name;
        if (std::string reason = m_stage.Load(entry); !reason.empty()) {
            failures += (failures.empty() ? "" : "\n") + name + ": " + reason;
            if (std::string skip = m_session.Skip(id); !skip.empty()) return skip;
            continue;
        }
        m_phase = ShowPhase::Announcing;
        m_singer = id;
        m_title = entry.title.empty() ? entry.path : entry.title;
        m_deadlineMs = nowMs + m_session.Settings().countdownSeconds * std::int64_t(1000);
        return failures;
    }
    return failures.empty() ? "HostNobodyUpNext" : failures;
}

std::string ShowRunner::StartNow() {
    if (std::string reason = TakeAnnouncedTurn(); !reason.empty()) return reason;
    m_stage.Start();
    return {};
}

std::string ShowRunner::PlayerStarted() {
    return m_phase == ShowPhase::Announcing ? TakeAnnouncedTurn() : std::string();
}

std::string ShowRunner::TakeAnnouncedTurn() {
    if (m_phase != ShowPhase::Announcing) return "HostNobodyAnnounced";
    if (std::string reason = m_session.TakeTurn(m_singer); !reason.empty()) return reason;
    m_phase = ShowPhase::Singing;
    m_stage.BreakMusic(false);
    return {};
}

std::string ShowRunner::SkipAnnounced(std::int64_t nowMs) {
    if (m_phase != ShowPhase::Announcing) return "HostNobodyAnnounced";
    if (std::string reason = m_session.Skip(m_singer); !reason.empty()) return reason;
    return SongEnded(nowMs);
}

void ShowRunner::Tick(std::int64_t nowMs) {
    if (m_phase == ShowPhase::Announcing && m_session.Settings().autoStart &&
        nowMs >= m_deadlineMs) {
        StartNow();
    }
}

void ShowRunner::Stop() {
    m_phase = ShowPhase::Idle;
    m_singer = 0;
    m_stage.BreakMusic(false);
}

ShowView ShowRunner::View(std::int64_t nowMs) const {
    ShowView v;
    const HostSettings& settings = m_session.Settings();
    const Singer* announced = m_session.Current().Find(m_singer);
    if (m_phase == ShowPhase::Announcing && announced) {
        v.card = true;
        v.singer = announced->name;
        v.title = m_title;
        v.secondsLeft =
            static_cast<int>(std::max<std::int64_t>(0, m_deadlineMs - nowMs + 999) / 1000);
        v.autoStart = settings.autoStart;
    }
    if (settings.ticker && m_phase != ShowPhase::Idle) {
        for (const Singer* s : m_session.Current().ComingUp(kTickerSingers))
            if (!(v.card && s->id == m_singer)) v.comingUp.push_back(s->name);
        v.tickerSpeed = settings.tickerSpeed;
    }
    return v;
}

}  // namespace cx
