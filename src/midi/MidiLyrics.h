// The lyric routes of MIDI and KAR songs: the song's words track, an external
// converter's KAR output, and the reader of lyric events. All times follow the
// file's whole tempo map and are moved kLyricLeadSeconds early.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/LyricsModel.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "platform/Codepage.h"

namespace cx {

inline constexpr double kLyricLeadSeconds = 0.15;
// A track with this many text events holds the words even when it is not named "Words".
inline constexpr int kMinWordsTrackTexts = 50;

// Bounds on what one song can make of its texts: every piece carries its whole
// line, so long lines would cost memory by the square of their length.
inline constexpr std::size_t kMaxMidiPieces = 50000;
inline constexpr std::size_t kMaxLyricTextBytes = 256;
inline constexpr std::size_t kMaxLinePieces = 128;
inline constexpr std::size_t kMaxLineBytes = 512;

// The lyrics a user saved (LRS block, .lrs, .lrc, .kok), then the song's own routes.
enum class MidiLyricSource { None, Words, Converter, Smf, Lrs, LrsFile, Lrc, Kok };

// "midi-words", "midi-converter", "midi-smf", "none", or the saved source's
// name ("lrs", "lrs-file", "lrc", "kok").
const char* LyricSourceName(MidiLyricSource source);

// One lyric event of the reader of lyric events: text and microseconds from the start.
struct MidiLyricEvent {
    std::string Text;
    double Time = 0;
};

// Words-track route: reads the KAR words track (text events, "/" and "\" line
// marks at the start, "@" information texts hidden). Returns pieces 1..N in
// `out` (element 0 placeholder); false when there are none.
bool GetWords(const SmfFile& file, const TempoMap& map, Codepage codepage,
              std::vector<LyricPiece>& out);

// Reader of lyric events (type 05, or texts of a "Words" track): the events
// in time order, with line ends marked by a trailing "/".
std::vector<MidiLyricEvent> ExtractLyricEvents(const SmfFile& file, const TempoMap& map,
                                               Codepage codepage, MidiLyricSource& found);
// Turns events into pieces (element 0 placeholder).
std::vector<LyricPiece> BuildLyricPieces(const std::vector<MidiLyricEvent>& events);
bool ExtractLyrics(const SmfFile& file, const TempoMap& map, Codepage codepage,
                   std::vector<LyricPiece>& out);

// The converter's output read as a KAR words track, line marks trimmed.
bool ReadConvertedWords(std::string_view converted, Codepage codepage,
                        std::vector<LyricPiece>& out);

// Every piece loses its trailing "/" and "\" characters.
void TrimLineMarks(std::vector<LyricPiece>& pieces);

struct MidiLyricsOptions {
    Codepage codepage = Codepage::Cp1252;
    std::string converterCommand;      // the "midi converter" setting; empty = no converter
    std::filesystem::path tempFolder;  // private folder for the converter's output
    int converterTimeoutMs = 20000;
    // Lyrics the user saved for the song come before the words it carries.
    bool savedLyrics = true;
    // The caller runs the converter (off the window's thread); the result
    // says when it is wanted.
    bool deferConverter = false;
    // For the player: a wanted converter runs on a thread of its own and this
    // is called on that thread when it is done.
    std::function<void()> converterFinished;
};

struct MidiLyricsResult {
    MidiLyricSource source = MidiLyricSource::None;
    std::string error;             // why there are no lyrics
    bool converterWanted = false;  // deferred, and the converter may give the words
};

// Fills the model (reset first, left empty on failure) from the lyrics the
// user saved for the song at `songPath`, in the order audio songs use them
// (its LRS block, then the .lrs, .lrc and .kok beside it), else from the
// song's three routes in order. `songPath` is also what the converter reads.
MidiLyricsResult LoadMidiLyrics(std::string_view songBytes, const std::filesystem::path& songPath,
                                const MidiLyricsOptions& options, LyricsModel& model);

}  // namespace cx
