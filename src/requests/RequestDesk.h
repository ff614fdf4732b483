// Guests' song requests between the server's threads and the host's window.
// Guests' calls come from any thread; the host's from the window's thread.
// Every member locks one mutex briefly and never calls out while holding it,
// so nothing a guest sends can hold the window up.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "requests/GuestCatalog.h"

namespace cx {

enum class RequestState { Pending, Accepted, Rejected, Sung };

struct SongRequest {
    std::int64_t id = 0;
    std::string guest;  // the guest's token (random, from the page)
    std::string peer;   // the network address it came from
    std::string name;   // the singer's name as typed (raw: escape where shown)
    GuestSong song;
    int keyShift = 0;
    RequestState state = RequestState::Pending;
    std::int64_t receivedMs = 0;
};

// Where an accepted request stands in the rotation, as the host publishes it.
struct RequestStanding {
    std::int64_t requestId = 0;
    int position = 0;          // 1 = up next; 0 = not coming up
    std::int64_t waitMs = -1;  // -1 when not coming up
    bool sung = false;
};

// Why a guest's call was refused; None when accepted.
enum class GuestRefusal { None, BadCode, TooMany, Busy, BadInput, NoSong };

class RequestDesk {
public:
    RequestDesk();

    // Host side.
    std::string JoinCode() const;
    void NewJoinCode();  // the old code stops working at once
    void SetAutoAccept(bool on);
    bool AutoAccept() const;
    std::vector<SongRequest> Pending() const;
    void MarkAccepted(std::int64_t requestId);
    void MarkRejected(std::int64_t requestId);
    void PublishStandings(std::vector<RequestStanding> standings);
    // Called (on a server thread) after a request arrives; the window queues
    // it to its own thread.
    void SetOnRequest(std::function<void()> onRequest);

    // Guest side.
    bool CodeMatches(std::string_view code) const;  // constant time
    // Counts a call for the rate limit; the seconds to wait when over it.
    int CountCall(const std::string& guestKey, std::int64_t nowMs);
    GuestRefusal AddRequest(SongRequest request, std::int64_t* id);
    // The guest's requests with their standings, newest first.
    std::vector<std::pair<SongRequest, RequestStanding>> GuestView(const std::string& guest) const;

    // Every request kept, oldest first (host side, for tests and the window).
    std::vector<SongRequest> All() const;

private:
    struct CallWindow {
        std::int64_t startMs = 0;
        int calls = 0;
    };
    void ForgetAnsweredOverCap();
    void ForgetOldGuests(std::int64_t nowMs);

    mutable std::mutex m_mutex;
    std::string m_code;
    bool m_autoAccept = false;
    std::int64_t m_nextId = 1;
    std::deque<SongRequest> m_requests;
    std::map<std::int64_t, RequestStanding> m_standings;
    std::function<void()> m_onRequest;
    std::unordered_map<std::string, CallWindow> m_calls;
};

}  // namespace cx
