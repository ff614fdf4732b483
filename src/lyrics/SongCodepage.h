// The one place that decides how a song's 8-bit texts (lyrics files, lyric
// blocks, tags) are read: the user's choice for the song when there is one,
// otherwise detection with the interface language's code page deciding.
#pragma once

#include <filesystem>

#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// The choice for a song whose own choice is `songCodepage` (a Windows code
// page number from its display block or the file beside it; 0 for none).
CodepageChoice SongCodepageChoice(int songCodepage, Codepage language);

// Where the choice is kept when the song itself cannot be written:
// "song.mp3" gives "song.mp3.codepage".
std::filesystem::path CodepageFilePath(const std::filesystem::path& media);

// The choice kept beside the song; 0 when there is none or it is not one we read.
int ReadCodepageFile(const std::filesystem::path& media);

// Keeps the choice beside the song (0 removes it), through a temporary file.
LyricsResult WriteCodepageFile(const std::filesystem::path& media, int songCodepage);

// Stores the song's display block in it, its 8-bit texts in the block's own
// code page choice or else `language`. A song that cannot be written keeps
// its code page choice beside it instead; the rest of the block is then
// written (and refused) only when it differs from `stored`, what the song
// holds now.
LyricsResult SaveSongDisplayBlock(const DisplayBlock& block, const DisplayBlock& stored,
                                  const std::filesystem::path& media, Codepage language);

}  // namespace cx
