#include "host/HostSettings.h"

#include <charconv>

namespace cx {
namespace {

bool ReadInt(const std::string& text, int low, int high, int& out) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

std::map<std::string, std::string> SettingsToTexts(const HostSettings& s) {
    return {{"placement", s.placement == Placement::Fair ? "fair" : "end"},
            {"countdown", std::to_string(s.countdownSeconds)},
            {"auto start", s.autoStart ? "1" : "0"},
            {"ticker", s.ticker ? "1" : "0"},
            {"ticker speed", std::to_string(s.tickerSpeed)},
            {"break music", s.breakMusic},
            {"requests port", std::to_string(s.requestsPort)},
            {"requests address", s.requestsAddress}};
}

HostSettings SettingsFromTexts(const std::map<std::string, std::string>& texts,
                               std::vector<std::string>& notes) {
    HostSettings s;
    for (const auto& [name, value] : texts) {
        bool ok = true;
        int flag = 0;
        if (name == "placement") {
            ok = value == "fair" || value == "end";
            if (ok) s.placement = value == "fair" ? Placement::Fair : Placement::End;
        } else if (name == "countdown") {
            ok = ReadInt(value, kMinCountdownSeconds, kMaxCountdownSeconds, s.countdownSeconds);
        } else if (name == "auto start" || name == "ticker") {
            ok = ReadInt(value, 0, 1, flag);
            if (ok) (name == "ticker" ? s.ticker : s.autoStart) = flag == 1;
        } else if (name == "ticker speed") {
            ok = ReadInt(value, kMinTickerSpeed, kMaxTickerSpeed, s.tickerSpeed);
        } else if (name == "break music") {
            s.breakMusic = value;
        } else if (name == "requests port") {
            ok = ReadInt(value, 1, 65535, s.requestsPort);
        } else if (name == "requests address") {
            ok = !value.empty() && value.size() <= kMaxRequestsAddressBytes;
            if (ok) s.requestsAddress = value;
        }
        if (!ok) notes.push_back(name + " = \"" + value + "\"");
    }
    return s;
}

}  // namespace cx
