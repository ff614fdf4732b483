// What one guest, and all guests together, may ask of the request page. The
// page faces anyone on the network, so every count and length is capped here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cx {

inline constexpr std::size_t kMaxGuestBodyBytes = 4096;
inline constexpr std::size_t kMaxGuestNameBytes = 60;
inline constexpr std::size_t kMaxGuestSearchBytes = 100;
inline constexpr std::size_t kMaxGuestResults = 25;
inline constexpr std::size_t kMaxPendingPerGuest = 3;
inline constexpr std::size_t kMaxPendingRequests = 300;
// Pending requests from one network address, whatever guest tokens it makes up.
inline constexpr std::size_t kMaxPendingPerAddress = 12;
// Requests kept for the guests' view (answered ones are forgotten oldest first).
inline constexpr std::size_t kMaxKeptRequests = 2000;
// Guest tokens the page makes: this many characters of [A-Za-z0-9_-].
inline constexpr std::size_t kMinGuestTokenLength = 16;
inline constexpr std::size_t kMaxGuestTokenLength = 64;
// Calls (searches, requests, status polls) per guest per minute; more get a
// 429 with the seconds to wait.
inline constexpr int kMaxGuestCallsPerMinute = 120;
// Guests remembered for the rate limit; the oldest are forgotten first.
inline constexpr std::size_t kMaxKnownGuests = 4096;
// Connections served at once, and how long one may sit idle or send slowly.
// When full, the connection idle longest (between calls, or silent since it
// opened) is closed to make room; with none idle, a new one is closed at once.
inline constexpr std::size_t kMaxGuestConnections = 256;
inline constexpr std::size_t kMaxGuestConnectionsPerAddress = 16;
inline constexpr int kGuestIdleSeconds = 5;
// Key change a guest may ask for, in semitones either way.
inline constexpr int kMaxGuestKeyShift = 6;
// Join codes: this many characters from an alphabet without look-alikes.
inline constexpr std::size_t kJoinCodeLength = 6;

}  // namespace cx
