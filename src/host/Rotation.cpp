#include "host/Rotation.h"

#include <algorithm>

namespace cx {
namespace {

// Reasons are translation keys: the window and cbx say them in the user's language.
constexpr const char* kNoSuchSinger = "HostNoSuchSinger";
constexpr const char* kNoSuchEntry = "HostNoSuchEntry";

bool Blank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

void ClampKeyAndTempo(QueueEntry& entry) {
    entry.keyShift = std::clamp(entry.keyShift, -kMaxKeyShift, kMaxKeyShift);
    entry.tempoPercent = std::clamp(entry.tempoPercent, -kMaxTempoPercent, kMaxTempoPercent);
}

const Singer* Rotation::Find(std::int64_t singerId) const {
    auto it = std::find_if(m_singers.begin(), m_singers.end(),
                           [&](const Singer& s) { return s.id == singerId; });
    return it == m_singers.end() ? nullptr : &*it;
}

Singer* Rotation::Mutable(std::int64_t singerId) {
    return const_cast<Singer*>(Find(singerId));
}

std::size_t Rotation::CursorIndex() const {
    for (std::size_t i = 0; i < m_singers.size(); ++i)
        if (m_singers[i].id == m_cursor) return i;
    return 0;
}

std::vector<std::size_t> Rotation::TurnOrder() const {
    std::vector<std::size_t> order;
    const std::size_t n = m_singers.size();
    const std::size_t start = CursorIndex();
    for (std::size_t k = 0; k < n; ++k) order.push_back((start + k) % n);
    return order;
}

void Rotation::PassTurn(std::size_t index) {
    m_cursor = m_singers[(index + 1) % m_singers.size()].id;
}

std::string Rotation::AddSinger(const std::string& name, Placement placement, std::int64_t* id) {
    if (Blank(name)) return "HostNameEmpty";
    if (name.size() > kMaxSingerNameBytes) return "HostNameTooLong";
    if (m_singers.size() >= kMaxSingers) return "HostTooManySingers";
    Singer singer;
    singer.id = m_nextId++;
    singer.name = name;
    // Fair: just before the cursor, so everyone already waiting keeps their
    // turn; at the top of a round that is the end of the list.
    const std::size_t cursor = CursorIndex();
    const std::size_t at = placement == Placement::Fair && cursor > 0 ? cursor : m_singers.size();
    if (m_cursor == 0 && !m_singers.empty()) m_cursor = m_singers.front().id;
    m_singers.insert(m_singers.begin() + static_cast<std::ptrdiff_t>(at), std::move(singer));
    if (id) *id = m_singers[at].id;
    return {};
}

std::string Rotation::RemoveSinger(std::int64_t singerId) {
    const Singer* s = Find(singerId);
    if (!s) return kNoSuchSinger;
    const auto index = static_cast<std::size_t>(s - m_singers.data());
    if (m_cursor == singerId) {
        m_cursor = m_singers.size() > 1 ? m_singers[(index + 1) % m_singers.size()].id : 0;
    }
    m_singers.erase(m_singers.begin() + static_cast<std::ptrdiff_t>(index));
    return {};
}

std::string Rotation::MoveSinger(std::int64_t singerId, std::size_t to) {
    const Singer* s = Find(singerId);
    if (!s) return kNoSuchSinger;
    const auto from = static_cast<std::size_t>(s - m_singers.data());
    to = std::min(to, m_singers.size() - 1);
    Singer moved = std::move(m_singers[from]);
    m_singers.erase(m_singers.begin() + static_cast<std::ptrdiff_t>(from));
    // Dragged into the place of the singer who is up next: now they are.
    if (moved.id != m_cursor && (m_singers.empty() || to == CursorIndex())) m_cursor = moved.id;
    m_singers.insert(m_singers.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    return {};
}

std::string Rotation::SetAway(std::int64_t singerId, bool away) {
    Singer* s = Mutable(singerId);
    if (!s) return kNoSuchSinger;
    s->away = away;
    return {};
}

std::string Rotation::AddEntry(std::int64_t singerId, QueueEntry entry, std::int64_t* id) {
    Singer* s = Mutable(singerId);
    if (!s) return kNoSuchSinger;
    if (Blank(entry.path)) return "HostSongPathEmpty";
    if (s->queue.size() >= kMaxEntriesPerSinger) return "HostQueueFull";
    entry.id = m_nextId++;
    entry.lengthMs = std::max<std::int64_t>(0, entry.lengthMs);
    ClampKeyAndTempo(entry);
    s->queue.push_back(std::move(entry));
    if (id) *id = s->queue.back().id;
    return {};
}

std::string Rotation::RemoveEntry(std::int64_t singerId, std::int64_t entryId) {
    Singer* s = Mutable(singerId);
    if (!s) return kNoSuchSinger;
    auto it = std::find_if(s->queue.begin(), s->queue.end(),
                           [&](const QueueEntry& e) { return e.id == entryId; });
    if (it == s->queue.end()) return kNoSuchEntry;
    s->queue.erase(it);
    return {};
}

std::string Rotation::MoveEntry(std::int64_t singerId, std::int64_t entryId, std::size_t to) {
    Singer* s = Mutable(singerId);
    if (!s) return kNoSuchSinger;
    auto it = std::find_if(s->queue.begin(), s->queue.end(),
                           [&](const QueueEntry& e) { return e.id == entryId; });
    if (it == s->queue.end()) return kNoSuchEntry;
    QueueEntry moved = std::move(*it);
    s->queue.erase(it);
    to = std::min(to, s->queue.size());
    s->queue.insert(s->queue.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    return {};
}

std::string Rotation::SetEntryKey(std::int64_t singerId, std::int64_t entryId, int keyShift,
                                  int tempoPercent) {
    Singer* s = Mutable(singerId);
    if (!s) return kNoSuchSinger;
    for (QueueEntry& e : s->queue) {
        if (e.id != entryId) continue;
        e.keyShift = keyShift;
        e.tempoPercent = tempoPercent;
        ClampKeyAndTempo(e);
        return {};
    }
    return kNoSuchEntry;
}

const Singer* Rotation::UpNext() const {
    const auto coming = ComingUp(1);
    return coming.empty() ? nullptr : coming.front();
}

std::vector<const Singer*> Rotation::ComingUp(std::size_t count) const {
    std::vector<const Singer*> out;
    for (std::size_t i : TurnOrder()) {
        if (out.size() >= count) break;
        const Singer& s = m_singers[i];
        if (!s.away && !s.queue.empty()) out.push_back(&s);
    }
    return out;
}

std::optional<QueueEntry> Rotation::TakeTurn(std::int64_t singerId) {
    Singer* s = Mutable(singerId);
    if (!s || s->queue.empty()) return std::nullopt;
    QueueEntry sung = std::move(s->queue.front());
    s->queue.erase(s->queue.begin());
    PassTurn(static_cast<std::size_t>(s - m_singers.data()));
    return sung;
}

std::string Rotation::Skip(std::int64_t singerId) {
    const Singer* s = Find(singerId);
    if (!s) return kNoSuchSinger;
    PassTurn(static_cast<std::size_t>(s - m_singers.data()));
    return {};
}

std::vector<Standing> Rotation::Standings(std::int64_t remainingMs) const {
    std::vector<Standing> out(m_singers.size());
    std::int64_t wait = remainingMs > 0 ? remainingMs + kChangeoverMs : 0;
    int position = 0;
    for (std::size_t i : TurnOrder()) {
        const Singer& s = m_singers[i];
        out[i].singerId = s.id;
        if (s.away || s.queue.empty()) continue;
        out[i].position = ++position;
        out[i].waitMs = wait;
        wait += s.queue.front().lengthMs + kChangeoverMs;
    }
    return out;
}

Rotation Rotation::From(std::vector<Singer> singers, std::int64_t cursor) {
    Rotation r;
    if (singers.size() > kMaxSingers) singers.resize(kMaxSingers);
    for (Singer& s : singers) {
        if (s.queue.size() > kMaxEntriesPerSinger) s.queue.resize(kMaxEntriesPerSinger);
        r.m_nextId = std::max(r.m_nextId, s.id + 1);
        for (QueueEntry& e : s.queue) {
            ClampKeyAndTempo(e);
            r.m_nextId = std::max(r.m_nextId, e.id + 1);
        }
    }
    r.m_singers = std::move(singers);
    r.m_cursor = r.Find(cursor) ? cursor : 0;
    return r;
}

}  // namespace cx
