#include "requests/RequestDesk.h"

#include <algorithm>

#include "requests/GuestLimits.h"
#include "requests/JoinCode.h"

namespace cx {

namespace {

constexpr std::int64_t kCallWindowMs = 60'000;

}  // namespace

RequestDesk::RequestDesk() : m_code(MakeJoinCode()) {}

std::string RequestDesk::JoinCode() const {
    std::lock_guard lock(m_mutex);
    return m_code;
}

void RequestDesk::NewJoinCode() {
    std::string code = MakeJoinCode();
    std::lock_guard lock(m_mutex);
    m_code = std::move(code);
}

void RequestDesk::SetAutoAccept(bool on) {
    std::lock_guard lock(m_mutex);
    m_autoAccept = on;
}

bool RequestDesk::AutoAccept() const {
    std::lock_guard lock(m_mutex);
    return m_autoAccept;
}

std::vector<SongRequest> RequestDesk::Pending() const {
    std::lock_guard lock(m_mutex);
    std::vector<SongRequest> pending;
    for (const SongRequest& request : m_requests)
        if (request.state == RequestState::Pending) pending.push_back(request);
    return pending;
}

std::vector<SongRequest> RequestDesk::All() const {
    std::lock_guard lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

void RequestDesk::MarkAccepted(std::int64_t requestId) {
    std::lock_guard lock(m_mutex);
    for (SongRequest& request : m_requests)
        if (request.id == requestId && request.state == RequestState::Pending)
            request.state = RequestState::Accepted;
}

void RequestDesk::MarkRejected(std::int64_t requestId) {
    std::lock_guard lock(m_mutex);
    for (SongRequest& request : m_requests)
        if (request.id == requestId && request.state == RequestState::Pending)
            request.state = RequestState::Rejected;
}

void RequestDesk::PublishStandings(std::vector<RequestStanding> standings) {
    std::map<std::int64_t, RequestStanding> byId;
    for (const RequestStanding& standing : standings) byId[standing.requestId] = standing;
    std::lock_guard lock(m_mutex);
    m_standings.clear();
    // Only requests still kept: the ones forgotten over the cap stay forgotten.
    for (SongRequest& request : m_requests) {
        const auto found = byId.find(request.id);
        if (found == byId.end()) continue;
        if (found->second.sung) request.state = RequestState::Sung;
        m_standings.emplace(request.id, found->second);
    }
}

void RequestDesk::SetOnRequest(std::function<void()> onRequest) {
    std::lock_guard lock(m_mutex);
    m_onRequest = std::move(onRequest);
}

bool RequestDesk::CodeMatches(std::string_view code) const {
    std::lock_guard lock(m_mutex);
    return SameCodeConstantTime(code, m_code);
}

int RequestDesk::CountCall(const std::string& guestKey, std::int64_t nowMs) {
    std::lock_guard lock(m_mutex);
    auto found = m_calls.find(guestKey);
    if (found == m_calls.end()) {
        if (m_calls.size() >= kMaxKnownGuests) ForgetOldGuests(nowMs);
        found = m_calls.emplace(guestKey, CallWindow{nowMs, 0}).first;
    }
    CallWindow& window = found->second;
    if (nowMs - window.startMs >= kCallWindowMs || nowMs < window.startMs) window = {nowMs, 0};
    if (window.calls >= kMaxGuestCallsPerMinute) {
        const std::int64_t waitMs = window.startMs + kCallWindowMs - nowMs;
        return static_cast<int>(std::max<std::int64_t>(1, (waitMs + 999) / 1000));
    }
    ++window.calls;
    return 0;
}

// Guests whose minute is over are forgotten first; when every one is still
// within its minute, the one whose minute started earliest.
void RequestDesk::ForgetOldGuests(std::int64_t nowMs) {
    std::erase_if(m_calls,
                  [&](const auto& entry) { return nowMs - entry.second.startMs >= kCallWindowMs; });
    if (m_calls.size() < kMaxKnownGuests) return;
    const auto oldest = std::min_element(
        m_calls.begin(), m_calls.end(),
        [](const auto& a, const auto& b) { return a.second.startMs < b.second.startMs; });
    m_calls.erase(oldest);
}

GuestRefusal RequestDesk::AddRequest(SongRequest request, std::int64_t* id) {
    std::function<void()> onRequest;
    {
        std::lock_guard lock(m_mutex);
        std::size_t total = 0, byGuest = 0, byPeer = 0;
        for (const SongRequest& kept : m_requests) {
            if (kept.state != RequestState::Pending) continue;
            ++total;
            byGuest += kept.guest == request.guest ? 1 : 0;
            byPeer += kept.peer == request.peer ? 1 : 0;
        }
        if (byGuest >= kMaxPendingPerGuest || byPeer >= kMaxPendingPerAddress)
            return GuestRefusal::TooMany;
        if (total >= kMaxPendingRequests) return GuestRefusal::Busy;
        request.id = m_nextId++;
        request.state = RequestState::Pending;
        if (id) *id = request.id;
        m_requests.push_back(std::move(request));
        ForgetAnsweredOverCap();
        onRequest = m_onRequest;
    }
    if (onRequest) onRequest();
    return GuestRefusal::None;
}

void RequestDesk::ForgetAnsweredOverCap() {
    for (auto it = m_requests.begin();
         m_requests.size() > kMaxKeptRequests && it != m_requests.end();) {
        if (it->state == RequestState::Pending) {
            ++it;
            continue;
        }
        m_standings.erase(it->id);
        it = m_requests.erase(it);
    }
}

std::vector<std::pair<SongRequest, RequestStanding>> RequestDesk::GuestView(
    const std::string& guest) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<SongRequest, RequestStanding>> view;
    for (auto it = m_requests.rbegin(); it != m_requests.rend(); ++it) {
        if (it->guest != guest) continue;
        const auto found = m_standings.find(it->id);
        RequestStanding standing;
        standing.requestId = it->id;
        if (found != m_standings.end()) standing = found->second;
        standing.sung = standing.sung || it->state == RequestState::Sung;
        view.emplace_back(*it, standing);
    }
    return view;
}

}  // namespace cx
