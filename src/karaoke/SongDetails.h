// What the song details dialog edits: the song's look as a display block,
// colours stored only when they differ from the settings, and the checks of
// one timeline picture. Free of widgets so the rules can be tested alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "karaoke/KaraokeSettings.h"
#include "lyrics/DisplayBlock.h"

namespace cx {

// The seven colours of a song, in the dialog's order.
enum class SongColour { Normal, Highlight, Outline1, Outline2, Outline3, Outline4, Back };
inline constexpr int kSongColourCount = 7;

// The song's look as the block the dialog edits and the file stores; the
// timeline in time order.
DisplayBlock BlockFromLook(const SongLook& look);
// The block back as the display takes it; the title page's tag fallbacks and
// the media path are kept from `previous`.
SongLook LookFromBlock(const DisplayBlock& block, const SongLook& previous);

// The setting that stands in for a missing song colour.
std::uint32_t SettingColour(const KaraokeSettings& settings, SongColour which);
// The song's stored colour (-1 when missing).
int BlockColour(const DisplayBlock& block, SongColour which);
void SetBlockColour(DisplayBlock& block, SongColour which, int value);
// What a swatch shows: the song's colour, or the setting's when it has none.
std::uint32_t ShownColour(int stored, std::uint32_t setting);
// What a swatch stores: missing when it equals the setting, so later changes
// of the preferences still reach the song.
int StoredColour(std::uint32_t chosen, std::uint32_t setting);

// Why a timeline picture cannot be taken.
enum class PictureCheck { Ok, NotAssigned, Missing };
PictureCheck CheckTimelinePicture(const std::string& path);

// "mm:ss" of whole seconds ("00:00" for zero or less) and back; a text that
// is not a time reads as 0.
std::string FormatPictureTime(int seconds);
int ParsePictureTime(std::string_view text);

// How many timeline pictures the block can hold: the reader looks at the first
// lines only, and the single items written take some of them.
int TimelineCapacity(const DisplayBlock& block);

}  // namespace cx
