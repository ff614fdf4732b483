#include "archive/ZipSong.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

namespace cx {
namespace fs = std::filesystem;
namespace {

constexpr std::array<const char*, 5> kAudioExtensions = {"mp3", "ogg", "opus", "flac", "wav"};
constexpr std::array<const char*, 3> kMidiExtensions = {"kar", "mid", "midi"};
constexpr std::array<const char*, 3> kLyricsExtensions = {"lrs", "lrc", "kok"};
constexpr std::size_t kCopyChunk = 64 * 1024;

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The last part of a stored name; zips made on Windows may use backslashes.
std::string BaseName(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

struct NameParts {
    std::string stem;  // lower case
    std::string ext;   // lower case, no dot
};

std::optional<NameParts> Split(const std::string& name) {
    const std::string base = BaseName(name);
    // Folders, and the resource forks macOS adds as "__MACOSX/._name".
    if (base.empty() || base.rfind("._", 0) == 0 || name.rfind("__MACOSX/", 0) == 0) {
        return std::nullopt;
    }
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == base.size()) return std::nullopt;
    return NameParts{Lower(base.substr(0, dot)), Lower(base.substr(dot + 1))};
}

template <std::size_t N>
int RankIn(const std::string& ext, const std::array<const char*, N>& list) {
    for (std::size_t i = 0; i < N; ++i) {
        if (ext == list[i]) return static_cast<int>(i);
    }
    return -1;
}

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

ZipListing ListOpen(zip_t* z) {
    ZipListing out;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    if (count < 0) {
        out.Reason = "cannot read the archive's directory";
        return out;
    }
    if (static_cast<std::uint64_t>(count) > kMaxZipMembers) {
        out.Reason = "the archive holds more than " + std::to_string(kMaxZipMembers) + " files";
        return out;
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        ZipMember member;
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) == 0 &&
            (st.valid & ZIP_STAT_NAME) && st.name) {
            member.Name = st.name;
            if (st.valid & ZIP_STAT_SIZE) member.Size = st.size;
        }
        // Unreadable entries keep their place (empty name) so indices match.
        out.Members.push_back(std::move(member));
    }
    out.Ok = true;
    return out;
}

ZipHandle OpenFile(const fs::path& zipPath, std::string& reason) {
    int code = 0;
    zip_t* z = zip_open(zipPath.c_str(), ZIP_RDONLY, &code);
    if (!z) reason = "cannot open " + zipPath.string() + ": " + ZipErrorText(code);
    return ZipHandle(z);
}

std::vector<std::string> Names(const ZipListing& listing) {
    std::vector<std::string> names;
    names.reserve(listing.Members.size());
    for (const ZipMember& m : listing.Members) names.push_back(m.Name);
    return names;
}

// A member copied into `target` in chunks, never more than its stated size.
std::string CopyMember(zip_t* z, std::size_t index, const ZipMember& member,
                       const fs::path& target) {
    if (member.Size > kMaxZipMemberBytes) return member.Name + " is too large";
    zip_file_t* in = zip_fopen_index(z, index, 0);
    if (!in) return "cannot read " + member.Name + ": " + zip_strerror(z);
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (!out) {
        zip_fclose(in);
        return "cannot write " + target.string();
    }
    std::vector<char> buffer(kCopyChunk);
    std::uint64_t total = 0;
    std::string error;
    for (;;) {
        const zip_int64_t n = zip_fread(in, buffer.data(), buffer.size());
        if (n < 0) {
            error = "cannot unpack " + member.Name + ": " + zip_file_strerror(in);
            break;
        }
        if (n == 0) break;
        total += static_cast<std::uint64_t>(n);
        if (total > kMaxZipMemberBytes) {
            error = member.Name + " is too large";
            break;
        }
        if (std::fwrite(buffer.data(), 1, static_cast<std::size_t>(n), out) !=
            static_cast<std::size_t>(n)) {
            error = "cannot write " + target.string();
            break;
        }
    }
    zip_fclose(in);
    if (std::fclose(out) != 0 && error.empty()) error = "cannot write " + target.string();
    return error;
}

// A file name that stays inside the folder whatever the archive stored.
std::string SafeStem(const std::string& memberName) {
    std::string base = BaseName(memberName);
    const std::size_t dot = base.rfind('.');
    std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
    for (char& c : stem) {
        if (static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    if (stem.empty() || stem == "." || stem == "..") stem = "song";
    return stem;
}

}  // namespace

ZipListing ListZipBytes(const void* data, std::size_t size) {
    ZipListing out;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) {
        out.Reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        return out;
    }
    ZipHandle z(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!z) {
        out.Reason = std::string("not a zip archive: ") + zip_error_strerror(&error);
        zip_source_free(source);
        zip_error_fini(&error);
        return out;
    }
    zip_error_fini(&error);
    return ListOpen(z.get());
}

ZipListing ListZipFile(const fs::path& zipPath) {
    ZipListing out;
    ZipHandle z = OpenFile(zipPath, out.Reason);
    if (!z) return out;
    return ListOpen(z.get());
}

ZipSongPick PickZipSong(const std::vector<std::string>& memberNames) {
    ZipSongPick pick;
    if (memberNames.size() > kMaxZipMembers) {
        pick.Reason = "too many files in the archive";
        return pick;
    }
    std::vector<std::optional<NameParts>> parts;
    parts.reserve(memberNames.size());
    for (const std::string& name : memberNames) parts.push_back(Split(name));

    // Stems with graphics or lyrics beside them, gathered once (archives can be large).
    std::set<std::string> withCdg;
    std::set<std::string> withLyrics;
    for (const auto& p : parts) {
        if (!p) continue;
        if (p->ext == "cdg") withCdg.insert(p->stem);
        if (RankIn(p->ext, kLyricsExtensions) >= 0) withLyrics.insert(p->stem);
    }
    // (kind order, extension rank, name) decides; lower is better.
    struct Candidate {
        int kind;
        int rank;
        std::size_t index;
    };
    std::optional<Candidate> best;
    auto better = [&](const Candidate& c) {
        if (!best) return true;
        if (c.kind != best->kind) return c.kind < best->kind;
        if (c.rank != best->rank) return c.rank < best->rank;
        return memberNames[c.index] < memberNames[best->index];
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!parts[i]) continue;
        const NameParts& p = *parts[i];
        Candidate c{0, 0, i};
        if (const int audio = RankIn(p.ext, kAudioExtensions); audio >= 0) {
            c.rank = audio;
            if (withCdg.count(p.stem)) {
                c.kind = 0;
            } else if (withLyrics.count(p.stem)) {
                c.kind = 1;
            } else {
                c.kind = 3;
            }
        } else if (const int midi = RankIn(p.ext, kMidiExtensions); midi >= 0) {
            c.kind = 2;
            c.rank = midi;
        } else {
            continue;
        }
        if (better(c)) best = c;
    }
    if (!best) {
        pick.Reason = "the archive holds no song (audio, MIDI or KAR file)";
        return pick;
    }
    static constexpr ZipSongKind kKinds[] = {ZipSongKind::CdgPair, ZipSongKind::AudioWithLyrics,
                                             ZipSongKind::Midi, ZipSongKind::AudioOnly};
    pick.Kind = kKinds[best->kind];
    pick.Song = best->index;
    // One companion of each kind, the first name in sort order, so two
    // "song.LRC" and "song.lrc" members cannot both claim the same file.
    const std::string& stem = parts[best->index]->stem;
    std::vector<std::size_t> byName;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] && parts[i]->stem == stem &&
            (parts[i]->ext == "cdg" || RankIn(parts[i]->ext, kLyricsExtensions) >= 0)) {
            byName.push_back(i);
        }
    }
    std::sort(byName.begin(), byName.end(),
              [&](std::size_t a, std::size_t b) { return memberNames[a] < memberNames[b]; });
    std::vector<std::string> taken;
    for (std::size_t i : byName) {
        if (std::find(taken.begin(), taken.end(), parts[i]->ext) != taken.end()) continue;
        taken.push_back(parts[i]->ext);
        pick.Companions.push_back(i);
    }
    return pick;
}

bool ZipHoldsSong(const fs::path& zipPath) {
    const ZipListing listing = ListZipFile(zipPath);
    return listing.Ok && PickZipSong(Names(listing)).Kind != ZipSongKind::None;
}

ZipUnpacked UnpackZipSong(const fs::path& zipPath, const fs::path& folder) {
    ZipUnpacked out;
    ZipHandle z = OpenFile(zipPath, out.Reason);
    if (!z) return out;
    const ZipListing listing = ListOpen(z.get());
    if (!listing.Ok) {
        out.Reason = listing.Reason;
        return out;
    }
    const ZipSongPick pick = PickZipSong(Names(listing));
    if (pick.Kind == ZipSongKind::None) {
        out.Reason = zipPath.filename().string() + ": " + pick.Reason;
        return out;
    }
    const std::string stem = SafeStem(listing.Members[pick.Song].Name);
    auto targetFor = [&](std::size_t index) {
        return folder / (stem + "." + Split(listing.Members[index].Name)->ext);
    };
    out.Song = targetFor(pick.Song);
    if (std::string error = CopyMember(z.get(), pick.Song, listing.Members[pick.Song], out.Song);
        !error.empty()) {
        out.Reason = error;
        return out;
    }
    for (std::size_t index : pick.Companions) {
        // A companion that cannot be read costs its graphics or lyrics, not the song.
        const fs::path target = targetFor(index);
        if (!CopyMember(z.get(), index, listing.Members[index], target).empty()) {
            std::error_code ec;
            fs::remove(target, ec);
        }
    }
    out.Kind = pick.Kind;
    out.Ok = true;
    return out;
}

}  // namespace cx
