// Lyrics kept in an MP3's ID3v2 tag: synchronised lyrics (SYLT), timed piece
// by piece or line by line, and plain words (USLT).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace cx {

// A tag larger than this is not read (pictures make tags big, words do not).
inline constexpr std::size_t kMaxId3v2TagBytes = 16u * 1024u * 1024u;
// Read after the tag to find the first audio frame (for frame time stamps).
inline constexpr std::size_t kAudioProbeBytes = 4096;
// Entries of one synchronised lyrics frame that are read.
inline constexpr std::size_t kMaxSyltEntries = 100000;

struct Id3v2Lyrics {
    PieceArray Timed = PieceArray(1);  // SYLT: in time order, line texts rebuilt
    std::string Untimed;               // USLT, UTF-8, line ends as LF
    std::string reason;                // why there is neither
};

// Length of the ID3v2 tag at the start of `head` (header, frames and footer),
// 0 when there is none.
std::size_t Id3v2TagLength(std::string_view head);

// The start of a song: its ID3v2 tag and a little audio after it, or the
// first bytes when there is no tag.
ReadResult ReadSongHead(const std::filesystem::path& path);

// Reads the lyrics frames of the tag at the start of `head`. Time stamps in
// MPEG frames are turned into seconds with the first audio frame after the
// tag. Text stored as Latin-1 is read as our other 8-bit text.
Id3v2Lyrics ReadId3v2Lyrics(std::string_view head, CodepageChoice cp);

// Untimed words as pieces for the editor to time: one piece per word (its
// following space kept), a line break at each line end, all at time 0.
PieceArray SplitUntimedText(std::string_view text);

}  // namespace cx
