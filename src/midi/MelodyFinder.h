// Finds the tune of a MIDI or KAR song: the channel whose note starts fall on
// the lyric syllables, and the note each syllable is sung on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lyrics/LyricsModel.h"
#include "lyrics/SungNotes.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "platform/Codepage.h"

namespace cx {

// A note start this close to a syllable counts as the syllable's note.
inline constexpr double kMelodyMatchSeconds = 0.05;
// General MIDI's drum channel (10, 0-based 9) never carries the tune.
inline constexpr int kDrumChannel = 9;
// Channels whose hits are this close to the best are tied; register and
// density decide between them.
inline constexpr double kMelodyTieShare = 0.95;
// Where sung melodies lie (MIDI note numbers, C3 to A5).
inline constexpr int kVoiceLowNote = 48;
inline constexpr int kVoiceHighNote = 81;

// How well one channel follows the words.
struct ChannelFit {
    int Channel = 0;       // 0-based
    int Hits = 0;          // syllables with a note start of this channel near them
    int Notes = 0;         // notes of the channel in the song
    double MeanPitch = 0;  // over those notes
};

struct MelodyResult {
    int Channel = -1;  // 0-based; -1 when no channel follows the words
    SungNotes Notes;   // times are when the notes sound (no lyric lead)
    int Syllables = 0;
    std::vector<ChannelFit> Fits;  // every channel with notes, best first
    std::string Error;             // why there is no melody
};

// `pieces` is a lyrics model's array (element 0 a placeholder), shown
// `leadSeconds` before it is sung. Each syllable takes the pitch and length
// of its note on the chosen channel; notes that start later within the same
// syllable (a melisma) are kept as further notes of that piece.
MelodyResult FindMelody(const SmfFile& file, const TempoMap& map, const PieceArray& pieces,
                        double leadSeconds);

// The tune of a MIDI/KAR song's bytes (settings block already taken off),
// under the words it carries (read into `model`; lyrics saved beside the
// song are timed by hand and not used).
MelodyResult FindSongMelody(std::string_view smfBytes, Codepage codepage, LyricsModel& model);

}  // namespace cx
