// Loading a song for the karaoke display outside the player: its lyrics and
// its own look, found the way the player finds them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "karaoke/KaraokeSettings.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsModel.h"
#include "lyrics/SungNotes.h"
#include "platform/Codepage.h"

namespace cx {

struct KaraokeSong {
    std::string MediaPath;  // the media file, after a lyrics file was mapped to it
    LyricsModel Model;
    SongLook Look;
    std::string Source;  // where the lyrics came from
    // Lyrics files or blocks that were there but could not be used, one
    // "file: why" each, for the user to hear about.
    std::vector<std::string> Problems;
    // Words without times (the tag's plain lyrics) when there were no timed lyrics.
    std::string Untimed;
    // The notes to sing, when the song's file writes them (sing-along songs).
    SungNotes Notes;
};

// The display block as the karaoke display takes it: the schedule in time order.
SongLook SongLookFrom(const DisplayBlock& block);

// A loader for song kinds the karaoke library does not read itself (MIDI):
// nullopt when the file is not of its kind, else whether it loaded.
using SongLyricsLoader = std::function<std::optional<bool>(const std::string& path,
                                                           LyricsModel& model, std::string& error)>;

// Bytes of a media file are read up to this size; larger files are refused.
inline constexpr std::uintmax_t kMaxSongFileBytes = 1u << 30;

// Loads MEDIA (or the media file a lyrics file belongs to): its display block,
// tags and lyrics, from the sources the player tries. 8-bit text is read in
// the song's own code page choice (its display block, else the file beside
// it), else as `codepage` says (a fixed choice wins over the song's). False
// with a reason when the file cannot be read or holds no lyrics anywhere.
bool LoadKaraokeSong(const std::string& path, const KaraokeSettings& settings,
                     CodepageChoice codepage, const SongLyricsLoader& other, KaraokeSong& song,
                     std::string& error);

// What the title page of a song without timed lyrics shows below the
// heading: its untimed words, else `noLyricsText`. Songs with lyrics show none.
void SetTitlePageText(KaraokeSong& song, const std::string& noLyricsText);

// The problems with the song's lyrics as one line ("a.lrc: why; a.kok: why");
// empty when there were none.
std::string LyricsProblemLine(const KaraokeSong& song);

// Turns the song's untimed words into pieces at time 0 for the editor to
// time; false when it has timed lyrics or no untimed words.
bool TakeUntimedWords(KaraokeSong& song);

}  // namespace cx
