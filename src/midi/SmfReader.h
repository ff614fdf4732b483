// Standard MIDI File reader: bytes in, a list of tracks of timed events out.
// Tolerates the damage found in real karaoke files (wrong track lengths,
// truncation, junk after the data, running status, missing End-of-Track,
// absurd delta-times) and reports what it repaired in `warnings`; fails with
// a reason only when nothing can be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

inline constexpr std::size_t kMaxSmfBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxSmfTracks = 1024;
inline constexpr std::size_t kMaxSmfEvents = 1'000'000;  // real songs hold far fewer
inline constexpr std::size_t kMaxSmfWarnings = 32;
inline constexpr int kMaxVlqBytes = 4;
// A silence longer than this inside a song comes from a damaged delta-time,
// not from the music: it is shortened to this length.
inline constexpr double kMaxSilentGapSeconds = 30.0;
// A damaged track's last events are junk when one of them follows such a gap.
inline constexpr std::size_t kJunkTailEvents = 8;
// Printable bytes in a row, holding a word of this many letters, that end a
// track as text; a shorter run counts when it is all that is left.
inline constexpr std::size_t kMinTextRunBytes = 24;
inline constexpr std::size_t kMinTextTailBytes = 8;
inline constexpr int kMinTextWordLetters = 4;

inline constexpr std::uint8_t kMetaText = 0x01;
inline constexpr std::uint8_t kMetaTrackName = 0x03;
inline constexpr std::uint8_t kMetaLyric = 0x05;
inline constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
inline constexpr std::uint8_t kMetaTempo = 0x51;

// What the user is told when a file cannot be read as MIDI.
inline constexpr std::string_view kNotMidiFileMessage = "The given file is not a valid MIDI file";
inline constexpr std::string_view kTrackExpectedMessage =
    "ModMidi->Error in MIDI file. 'MTrk' expected";

struct SmfEvent {
    std::uint64_t tick = 0;   // absolute, from the start of the track
    std::uint32_t delta = 0;  // as stored before this event
    std::uint8_t status = 0;  // 0x80..0xEF channel message, 0xFF meta, 0xF0/0xF7 sysex
    std::uint8_t data1 = 0;   // channel messages; the meta type for meta events
    std::uint8_t data2 = 0;
    std::string data;  // payload of meta events (sysex payloads are not kept)

    bool IsMeta(std::uint8_t type) const { return status == 0xFF && data1 == type; }
    bool IsChannel() const { return status >= 0x80 && status < 0xF0; }
    int Channel() const { return status & 0x0F; }
    int Kind() const { return status & 0xF0; }
};

struct SmfTrack {
    std::vector<SmfEvent> events;
    std::uint64_t endTick = 0;  // tick of End-of-Track, or of the last event
    bool damaged = false;       // cut short, or stopped at bytes that cannot be events
};

// Timing from the header: ticks per quarter note, or SMPTE frames.
struct SmfDivision {
    std::int16_t raw = 0;
    bool smpte = false;
    int ticksPerQuarter = 0;      // metrical timing
    double ticksPerSecond = 0.0;  // SMPTE timing (frames per second x ticks per frame)
};

struct SmfFile {
    int format = 0;
    int declaredTracks = 0;  // what the header promises
    SmfDivision division;
    std::vector<SmfTrack> tracks;
    std::size_t smfBytes = 0;           // bytes used by header and chunks
    std::vector<std::string> warnings;  // damage that was repaired or skipped
};

struct SmfResult {
    std::optional<SmfFile> file;
    std::string error;  // why, when file is empty
};

// Reads an SMF (also inside a RIFF "RMID" wrapper). A track stops at the
// first bytes that cannot be an event there, printable text included; it is
// read past its stated length only up to an End-of-Track followed by a chunk
// boundary. Chunks after the header's track count are ignored (unless it
// counts none); silences longer than kMaxSilentGapSeconds are shortened to
// it. Never throws.
SmfResult ParseSmf(std::string_view bytes);

// True when the bytes start like a MIDI file ("MThd", or RIFF with "RMID").
bool IsMidiFile(std::string_view bytes);

}  // namespace cx
