// A song's own look for the karaoke window: heading, colours, alignment,
// picture layout and a timeline of pictures, stored as the "#CBXGraphs"
// text block appended to the media file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace cx {

inline constexpr std::string_view kDisplayBegin = "#CBXGraphs";
inline constexpr std::string_view kDisplayEnd = "#End CBXGraphs";

inline constexpr int kColorUnset = -1;       // colours: use the setting
inline constexpr int kSettingUnset = 65535;  // alignment, layout, size mode: use the setting

// Only the first lines after the opening marker are read; twelve single items
// leave room for eight pictures.
inline constexpr int kMaxDisplayBlockLines = 20;

struct PictureEntry {
    std::string Path;          // full path
    int Time = 0;              // whole seconds from the start of the song
    std::string Effect;        // transition effect name; empty for none
    std::string EffectDetail;  // the effect's variant
    int Speed = 0;             // 1 to 10
};

struct ScheduleEntry {
    int Time = 0;   // seconds; 0 for pictures whose time is below 1
    int Index = 0;  // into Images (1-based)
};

// Images and Schedule keep a placeholder at element 0, like the lyrics model.
struct DisplayBlock {
    std::string Artist;
    std::string Title;
    std::string Picture;
    int ForeColor = kColorUnset;
    int HighlightColor = kColorUnset;
    int OutlineColor1 = kColorUnset;
    int OutlineColor2 = kColorUnset;
    int OutlineColor3 = kColorUnset;
    int OutlineColor4 = kColorUnset;
    int BackColor = kColorUnset;
    int Alignment = kSettingUnset;  // 0 centre, 1 top, 2 bottom
    int Layout = kSettingUnset;
    // The code page the song's 8-bit texts are read in, chosen by the user
    // (1250, 1252, 28592); 0: told from the text.
    int Codepage = 0;
    std::vector<PictureEntry> Images = std::vector<PictureEntry>(1);
    std::vector<ScheduleEntry> Schedule = std::vector<ScheduleEntry>(1);
    // Kept for the song details dialog.
    int PictureSizeMode = kSettingUnset;
    int PictureWidth = 320;
    int PictureHeight = 240;
    int PictureOffsetX = 0;
    int PictureOffsetY = 0;
};

void ResetDisplayBlock(DisplayBlock& block);

// Parses block text (UTF-8, from the opening marker on). Relative picture
// paths are resolved against `folder`. Unknown lines are skipped. Builds the
// schedule. The caller rebuilds the lyrics heading from Artist and Title.
void ParseDisplayBlock(std::string_view text, const std::string& folder, DisplayBlock& block);

// Finds the last block in a media file's bytes (it must end with its end
// marker and CR LF) and parses it; false and a reset block when there is none.
// The block's own code page choice, when it has one, wins over `cp`.
bool ReadDisplayBlock(std::string_view fileBytes, const std::string& folder, CodepageChoice cp,
                      DisplayBlock& block);

// Orders Images by time into Schedule; equal times keep their order.
void BuildSchedule(DisplayBlock& block);

// A picture path as stored: unchanged when absolute ("/..." or holding a
// drive colon), otherwise joined to `folder`.
std::string ResolvePicturePath(std::string_view value, const std::string& folder);

// The block text (UTF-8) from "#CBXGraphs" to "#End CBXGraphs", without a
// CR LF after the end marker. Missing values are not written.
std::string BuildDisplayBlockText(const DisplayBlock& block);

}  // namespace cx
