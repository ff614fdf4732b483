// Every command of the player (buttons, keys, menus, the tray, the karaoke
// and CD+G windows, MPRIS) reaches its action here. A window that another
// part of the program builds is plugged in with one Plug call; until then its
// commands are unavailable, and the controls that fire them are disabled
// with a tooltip saying why.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "playback/player/PlayerCommands.h"

namespace cx {

class CommandRouter {
public:
    using Action = std::function<void()>;

    // Every command there is, in the order of the enum.
    static const std::vector<Command>& AllCommands();
    // The transport, time-mode and mute commands: the player's own behaviour
    // runs them before anything is routed.
    static bool PlayerOwned(Command command);

    // The entry for every source: the player's behaviour first (it refuses
    // what recording or the editor forbid), which hands the rest to Act.
    void SetEntry(std::function<bool(Command)> entry) { m_entry = std::move(entry); }
    bool Run(Command command) const;

    // The action behind a command that the player's behaviour hands on.
    void Plug(Command command, Action action);
    // Runs the plugged action; an unplugged command tells the user why.
    bool Act(Command command) const;

    // Why a command cannot act just now (a take is being recorded, the song
    // is mono, no sound device...): a translation key, empty when it can.
    // Such a command is unavailable until the reason goes, its controls
    // disabled with the reason.
    void SetRefusal(std::function<std::string(Command)> refusal) { m_refusal = std::move(refusal); }

    bool Available(Command command) const;
    // The translation key of why the command cannot be used yet.
    std::string UnavailableKey(Command command) const;
    void SetUnavailableKey(Command command, std::string key);
    // Told when an unavailable command is asked for (a key press, say).
    void SetOnUnavailable(std::function<void(Command)> handler) {
        m_onUnavailable = std::move(handler);
    }

    // Where an action that fails unexpectedly is reported ("Player->Name at
    // Line N"); the program goes on.
    void SetErrorReport(std::function<void(const std::string&)> report) {
        m_report = std::move(report);
    }
    static const char* Name(Command command);

private:
    template <class F>
    bool Guarded(Command command, int line, F&& f) const;

    std::function<void(const std::string&)> m_report;
    std::function<bool(Command)> m_entry;
    std::map<Command, Action> m_actions;
    std::map<Command, std::string> m_unavailableKeys;
    std::function<void(Command)> m_onUnavailable;
    std::function<std::string(Command)> m_refusal;
};

}  // namespace cx
