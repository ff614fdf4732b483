// The synth's "output ports": General MIDI SoundFonts found on the system.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cx {

inline constexpr std::size_t kMaxSoundFonts = 256;
inline constexpr const char* kNoSoundFontMessage =
    "No SoundFont is installed, so MIDI songs show their lyrics but play no sound. "
    "Install a General MIDI SoundFont (such as the fluid-soundfont-gm package) or choose one in the settings.";

struct SoundFontPort {
    int Number = 0;  // from 1, in list order
    std::string Name;
    std::filesystem::path Path;
};

// Where SoundFonts are looked for: the system folders, then the user's own.
std::vector<std::filesystem::path> SoundFontFolders();

// The file chosen in the "soundfont" setting (when it exists) first, then the
// *.sf2/*.sf3 files of the folders (the small default General MIDI font first).
std::vector<SoundFontPort> ListSoundFonts(const std::filesystem::path& chosenFile,
                                          const std::vector<std::filesystem::path>& folders);

// The port for the stored `MidiDevice` number: a number below the first port's
// (or past the last) selects the first port. Null when the list is empty.
const SoundFontPort* SelectMidiDevice(const std::vector<SoundFontPort>& ports, int midiDevice);

}  // namespace cx
