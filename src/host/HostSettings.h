// The host's choices for the rotation and the show, kept with the rotation.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/Rotation.h"

namespace cx {

inline constexpr int kMinCountdownSeconds = 3;
inline constexpr int kMaxCountdownSeconds = 600;
inline constexpr int kMinTickerSpeed = 10;  // pixels a second
inline constexpr int kMaxTickerSpeed = 400;
inline constexpr int kDefaultRequestsPort = 8080;
inline constexpr std::size_t kMaxRequestsAddressBytes = 64;

struct HostSettings {
    Placement placement = Placement::Fair;
    int countdownSeconds = 30;
    bool autoStart = false;  // start when the countdown ends, else on the host's key
    bool ticker = true;
    int tickerSpeed = 80;
    std::string breakMusic;  // a folder or a playlist; empty: none
    // Where the guests' request page listens: a port and an IPv4 address
    // ("0.0.0.0" every interface). Whether it is on is never stored.
    int requestsPort = kDefaultRequestsPort;
    std::string requestsAddress = "0.0.0.0";
};

// Stored as texts by name.
std::map<std::string, std::string> SettingsToTexts(const HostSettings& settings);
// Unknown names are ignored; a bad value keeps its default and is named in `notes`.
HostSettings SettingsFromTexts(const std::map<std::string, std::string>& texts,
                               std::vector<std::string>& notes);

}  // namespace cx
