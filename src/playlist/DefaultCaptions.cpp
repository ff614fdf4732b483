#include "playlist/DefaultCaptions.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace cx {

std::string DefaultCaption(std::string_view key) {
    static const std::pair<const char*, const char*> texts[] = {
        {"Previous", "Previous"},
        {"Play", "Play"},
        {"Pause", "Pause"},
        {"Stop", "Stop"},
        {"Next", "Next"},
        {"Mute", "Mute"},
        {"Preferences", "Preferences"},
        {"FileOpen", "Open file..."},
        {"Controls", "MIDI controls"},
        {"UserList", "Playlist"},
        {"SwitchMicrophone", "Switch microphone"},
        {"Microphone", "Microphone"},
        {"VocalRemover", "Vocal remover"},
        {"KaraokeDetails", "Karaoke details"},
        {"NotAvailableYet", "Not available in this version yet."},
        {"CannotOpen", "Cannot open %1"},
        {"TrayTip", "Double-click to show the window"},
        {"Volume", "Volume"},
        {"AboutText", "Cantabilex, a karaoke player."},
        {"Record", "Record"},
        {"YourVoice", "Your voice"},
        {"Editor", "Lyrics editor"},
        {"Fullscreen", "Full screen"},
        {"About", "About"},
        {"FileInfo", "File information"},
        {"Details", "Karaoke details"},
        {"MixMenu", "Mixer"},
        {"Options", "Options"},
        {"TimeRemaining", "Time remaining"},
        {"TimeElapsed", "Time elapsed"},
        {"OnTop", "Always on top"},
        {"Playback", "Playback"},
        {"MnuHelp", "Help"},
        {"Keyboard", "Keyboard"},
        {"Exit", "Exit"},
        {"Restore", "Restore"},
        {"DetailsNoMedia", "First you must open media file\nto set or change graphics settings."},
        {"DialogAddFiles", "Add files"},
        {"DialogAddFolder", "Add folder"},
        {"FilterOpenAudio", "Songs and lyrics"},
        {"LoadPlaylist", "Load playlist"},
        {"SavePlaylist", "Save playlist"},
        {"FilterPlaylist", "Playlists"},
        {"Remove", "Remove"},
        {"RemoveAll", "Remove all"},
        {"SelectAll", "Select all"},
        {"SelectReverse", "Reverse selection"},
        {"SelectNone", "Select none"},
        {"SortAsc", "Sort ascending"},
        {"SortDesc", "Sort descending"},
        {"SortRandom", "Shuffle"},
        {"PlaylistDisplay", "Display..."},
        {"Close", "Close"},
        {"ListOptionCaption", "Playlist display"},
        {"ListFontName", "Font"},
        {"ListFontSize", "Size"},
        {"ListColors", "Colours"},
        {"ListNormal", "Normal"},
        {"ListHighlighted", "Highlighted"},
        {"ListPlaying", "Playing"},
        {"ListBorder", "Border"},
        {"PlaylistNotFound", "%1 not found"},
        {"StopRcording", "Stop recording first."},
        {"CloseEditorFirst", "Close the lyrics editor first."},
        {"VocalCutNeedsStereo", "The vocal remover needs an open stereo song."},
        {"OpenNotFound", "The file was not found."},
        {"OpenNoPermission", "You have no permission to read this file."},
        {"OpenNotASong", "It is not a song this player plays."},
        {"OpenSongAudioMissing", "The audio file named in the song file is not there."},
    };
    const auto* it = std::find_if(std::begin(texts), std::end(texts),
                                  [&](const auto& t) { return key == t.first; });
    return it == std::end(texts) ? std::string(key) : std::string(it->second);
}

std::string Caption(const TranslateFn& translate, std::string_view key) {
    if (translate) {
        std::string text = translate(key);
        if (!text.empty()) return text;
    }
    return DefaultCaption(key);
}

std::string SetMenu(std::string_view caption, std::string_view shortcut) {
    std::string out(caption);
    if (!shortcut.empty()) {
        out += '\t';
        out += shortcut;
    }
    return out;
}

}  // namespace cx
