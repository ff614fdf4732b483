#include "app/CommandRouter.h"

#include <exception>

namespace cx {

const char* CommandRouter::Name(Command command) {
    static const char* const names[] = {"Previous",
                                        "Play",
                                        "Pause",
                                        "Stop",
                                        "Next",
                                        "Mute",
                                        "Preferences",
                                        "FileOpen",
                                        "Controls",
                                        "UserList",
                                        "SwitchMicrophone",
                                        "Record",
                                        "YourVoice",
                                        "Editor",
                                        "Fullscreen",
                                        "Details",
                                        "FileInfo",
                                        "ToggleTimeMode",
                                        "TimeRemaining",
                                        "TimeElapsed",
                                        "Mixer",
                                        "Options",
                                        "OnTop",
                                        "About",
                                        "Help",
                                        "Keyboard",
                                        "VocalCut",
                                        "Library",
                                        "Host",
                                        "ExportVideo",
                                        "PitchLane",
                                        "Exit"};
    static_assert(std::size(names) == static_cast<std::size_t>(Command::Exit) + 1,
                  "one name per command");
    const auto i = static_cast<std::size_t>(command);
    return i < std::size(names) ? names[i] : "Command";
}

template <class F>
bool CommandRouter::Guarded(Command command, int line, F&& f) const {
    try {
        return f();
    } catch (const std::exception&) {
        if (m_report)
            m_report(std::string("Player->") + Name(command) + " at Line " + std::to_string(line));
        return false;
    }
}

const std::vector<Command>& CommandRouter::AllCommands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> v;
        for (int c = static_cast<int>(Command::Previous); c <= static_cast<int>(Command::Exit); ++c)
            v.push_back(static_cast<Command>(c));
        return v;
    }();
    return all;
}

bool CommandRouter::PlayerOwned(Command command) {
    switch (command) {
        case Command::Previous:
        case Command::Play:
        case Command::Pause:
        case Command::Stop:
        case Command::Next:
        case Command::ToggleTimeMode:
        case Command::TimeRemaining:
        case Command::TimeElapsed:
            return true;
        default:
            return false;
    }
}

bool CommandRouter::Run(Command command) const {
    if (!Available(command)) {
        if (m_onUnavailable) m_onUnavailable(command);
        return false;
    }
    if (m_entry) return Guarded(command, __LINE__, [&] { return m_entry(command); });
    return Act(command);
}

void CommandRouter::Plug(Command command, Action action) {
    m_actions[command] = std::move(action);
}

bool CommandRouter::Act(Command command) const {
    const auto it = m_actions.find(command);
    if (it == m_actions.end() || !it->second) {
        if (m_onUnavailable) m_onUnavailable(command);
        return false;
    }
    return Guarded(command, __LINE__, [&] {
        it->second();
        return true;
    });
}

bool CommandRouter::Available(Command command) const {
    if (m_refusal && !m_refusal(command).empty()) return false;
    if (PlayerOwned(command)) return true;
    const auto it = m_actions.find(command);
    return it != m_actions.end() && it->second;
}

std::string CommandRouter::UnavailableKey(Command command) const {
    if (Available(command)) return {};
    if (m_refusal) {
        if (std::string why = m_refusal(command); !why.empty()) return why;
    }
    const auto it = m_unavailableKeys.find(command);
    return it == m_unavailableKeys.end() ? std::string("NotAvailableYet") : it->second;
}

void CommandRouter::SetUnavailableKey(Command command, std::string key) {
    m_unavailableKeys[command] = std::move(key);
}

}  // namespace cx
