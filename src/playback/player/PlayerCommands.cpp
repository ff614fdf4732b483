#include "playback/player/PlayerCommands.h"

namespace cx {

const std::vector<ButtonInfo>& TransportButtons() {
    static const std::vector<ButtonInfo> buttons = {
        {1, "Previous", Command::Previous},
        {2, "Play", Command::Play},
        {3, "Pause", Command::Pause},
        {4, "Stop", Command::Stop},
        {5, "Next", Command::Next},
        {6, "Mute", Command::Mute},
        {7, "Preferences", Command::Preferences},
        {8, "FileOpen", Command::FileOpen},
        {9, "Controls", Command::Controls},
        {10, "UserList", Command::UserList},
        {11, "Microphone", Command::SwitchMicrophone},
        {12, "Record", Command::Record},
        {13, "YourVoice", Command::YourVoice},
        {14, "Editor", Command::Editor},
        {15, "Fullscreen", Command::Fullscreen},
    };
    return buttons;
}

std::optional<Command> CommandForButton(int number) {
    for (const auto& b : TransportButtons()) {
        if (b.number == number) return b.command;
    }
    return std::nullopt;
}

bool BlockedWhileRecording(Command command) {
    switch (command) {
        case Command::Previous:
        case Command::Next:
        case Command::Mute:
        case Command::Preferences:
        case Command::Options:  // the same preferences window
        case Command::FileOpen:
        case Command::SwitchMicrophone:
        case Command::Editor:
            return true;
        default:
            return false;
    }
}

std::optional<Command> CommandForKey(int key, int modifiers) {
    const int mods = modifiers & (kModCtrl | kModAlt);
    if (mods == 0) {
        switch (key) {
            case 'Z':
                return Command::Previous;
            case 'X':
                return Command::Play;
            case 'C':
                return Command::Pause;
            case 'V':
                return Command::Stop;
            case 'B':
                return Command::Next;
            case 'K':
                return Command::Details;
            case 'M':
                return Command::SwitchMicrophone;
            case 'R':
                return Command::Record;
            case 'S':
                return Command::YourVoice;
            default:
                return std::nullopt;
        }
    }
    if (mods == kModCtrl) {
        switch (key) {
            case 'O':
                return Command::FileOpen;
            case 'P':
                return Command::Preferences;
            case 'E':
                return Command::Editor;
            case 'T':
                return Command::ToggleTimeMode;
            case 'L':
                return Command::Library;
            case 'H':
                return Command::Host;
            default:
                return std::nullopt;
        }
    }
    if (mods == kModAlt) {
        switch (key) {
            case '3':
                return Command::FileInfo;
            case 'L':
                return Command::UserList;
            case 'C':
                return Command::Controls;
            case 'V':
                return Command::VocalCut;
            case 'E':
                return Command::ExportVideo;
            case 'P':
                return Command::PitchLane;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

const std::vector<MenuItem>& PlayerMenuItems() {
    static const std::vector<MenuItem> items = {
        {Command::About, "About", ""},
        {Command::FileOpen, "FileOpen", "Ctrl+O"},
        {Command::FileInfo, "FileInfo", "Alt+3"},
        {Command::Details, "KaraokeDetails", "K"},
        {Command::UserList, "UserList", "Alt+L"},
        {Command::Controls, "Controls", "Alt+C"},
        {Command::Editor, "Editor", "Ctrl+E"},
        {Command::Library, "SongLibrary", "Ctrl+L"},
        {Command::Host, "HostWindow", "Ctrl+H"},
        {Command::ExportVideo, "ExportVideo", "Alt+E"},
        {Command::Mixer, "MixMenu", ""},
        {Command::SwitchMicrophone, "Microphone", "M"},
        {Command::Record, "Record", "R"},
        {Command::YourVoice, "YourVoice", "S"},
        {Command::VocalCut, "VocalRemover", "Alt+V"},
        {Command::PitchLane, "PitchLane", "Alt+P"},
        {Command::Options, "Options", ""},
        {Command::Preferences, "Preferences", "Ctrl+P"},
        {Command::TimeRemaining, "TimeRemaining", "Ctrl+T"},
        {Command::TimeElapsed, "TimeElapsed", "Ctrl+T"},
        {Command::OnTop, "OnTop", ""},
        {Command::Help, "MnuHelp", ""},
        {Command::Keyboard, "Keyboard", ""},
        {Command::Exit, "Exit", ""},
    };
    return items;
}

const std::vector<MenuItem>& PlaybackMenuItems() {
    static const std::vector<MenuItem> items = {
        {Command::Previous, "Previous", "Z"}, {Command::Play, "Play", "X"},
        {Command::Pause, "Pause", "C"},       {Command::Stop, "Stop", "V"},
        {Command::Next, "Next", "B"},
    };
    return items;
}

}  // namespace cx
