// A karaoke song shipped in a zip archive: an MP3+G pair, an audio file with
// LRS, LRC or KOK lyrics, or a MIDI/KAR song. Lists the members (libzip),
// picks the song by extension and base name (any case), and unpacks the song
// with its companions into a folder, where the ordinary media path opens it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cx {

// An archive with more members is not a song archive (and not read further).
inline constexpr std::size_t kMaxZipMembers = 10000;
// A member larger than this is not unpacked.
inline constexpr std::uint64_t kMaxZipMemberBytes = 1024ull * 1024 * 1024;

enum class ZipSongKind { None, CdgPair, AudioWithLyrics, Midi, AudioOnly };

struct ZipMember {
    std::string Name;  // as stored, folders included
    std::uint64_t Size = 0;
};

struct ZipListing {
    bool Ok = false;
    std::string Reason;  // why not, when !Ok
    std::vector<ZipMember> Members;
};

ZipListing ListZipBytes(const void* data, std::size_t size);
ZipListing ListZipFile(const std::filesystem::path& zipPath);

struct ZipSongPick {
    ZipSongKind Kind = ZipSongKind::None;
    std::size_t Song = 0;                 // index of the song member
    std::vector<std::size_t> Companions;  // .cdg, .lrs, .lrc, .kok of the same base name
    std::string Reason;                   // why none, when Kind is None
};

// The song of an archive: an audio file with a .cdg first, then an audio file
// with lyrics, then a MIDI/KAR file, then an audio file alone. Ties go to the
// name that sorts first, so the answer does not depend on the stored order.
ZipSongPick PickZipSong(const std::vector<std::string>& memberNames);

// True when the file is a readable zip archive holding a song.
bool ZipHoldsSong(const std::filesystem::path& zipPath);

struct ZipUnpacked {
    bool Ok = false;
    std::string Reason;
    ZipSongKind Kind = ZipSongKind::None;
    std::filesystem::path Song;  // the unpacked song, companions beside it
};

// Unpacks the song and its companions into `folder` (which must exist). The
// files are named after the song's base name with lower-case extensions, so
// the companions are found the way they are beside any song.
ZipUnpacked UnpackZipSong(const std::filesystem::path& zipPath,
                          const std::filesystem::path& folder);

}  // namespace cx
