// The player's commands and how buttons, keys and menu items reach them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/DefaultCaptions.h"

namespace cx {

enum class Command {
    Previous,
    Play,
    Pause,
    Stop,
    Next,
    Mute,
    Preferences,
    FileOpen,
    Controls,  // the MIDI window
    UserList,  // the playlist window
    SwitchMicrophone,
    Record,
    YourVoice,
    Editor,
    Fullscreen,
    Details,  // the karaoke details of the open song
    FileInfo,
    ToggleTimeMode,
    TimeRemaining,
    TimeElapsed,
    Mixer,
    Options,
    OnTop,
    About,
    Help,
    Keyboard,
    VocalCut,  // the vocal remover of the open song
    Library,      // the song library window
    Host,         // the host's window: singers and the show
    ExportVideo,  // export the open song as a video
    PitchLane,    // the singer's pitch against the notes
    Exit,
};

// One transport button: its number, tooltip key and command.
struct ButtonInfo {
    int number;
    const char* tooltipKey;
    Command command;
};

// The fifteen buttons in their order on the panel.
const std::vector<ButtonInfo>& TransportButtons();
std::optional<Command> CommandForButton(int number);

// Commands that would disturb a running voice recording.
bool BlockedWhileRecording(Command command);

// Modifier bits as the key handler sees them.
inline constexpr int kModShift = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModAlt = 4;

// The command of a key (letters as upper-case ASCII); digits are not commands.
std::optional<Command> CommandForKey(int key, int modifiers);

// One item of the player's menu.
struct MenuItem {
    Command command;
    const char* captionKey;  // translation key
    const char* shortcut;    // shown after a tab; may be empty
};

const std::vector<MenuItem>& PlayerMenuItems();
const std::vector<MenuItem>& PlaybackMenuItems();

}  // namespace cx
