#include "library/SongFacts.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "lyrics/Mp3Class.h"
#include "lyrics/SiblingFile.h"
#include "midi/MidiInfo.h"
#include "playlist/SongFiles.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kMidi = {"mid", "midi", "kar", "rmi"};

std::string LowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return ext;
}

template <std::size_t N>
bool OneOf(const std::string& ext, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), ext) != list.end();
}

}  // namespace

std::optional<LibrarySongKind> LibraryKindOf(const std::string& path, SiblingFinder* siblings) {
    const std::string ext = LowerExtension(path);
    if (!IsSongMediaFile(path)) return std::nullopt;
    if (OneOf(ext, kMidi)) return LibrarySongKind::Midi;
    if (ext == "zip") return LibrarySongKind::Cdg;
    if (siblings ? siblings->Find(path, "cdg") : FindSiblingFile(path, "cdg"))
        return LibrarySongKind::Cdg;
    return LibrarySongKind::Audio;
}

SongFacts ReadSongFacts(const std::string& path, LibrarySongKind kind, NamePattern pattern) {
    SongFacts facts;
    facts.Kind = kind;
    if (kind != LibrarySongKind::Cdg || LowerExtension(path) != "zip") {
        MP3Class tags(Codepage::Cp1252);
        tags.SetMidiInspector(MidiInspectorFor(Codepage::Cp1252));
        tags.SetFilename(path);
        if (tags.ReadFile()) {
            if (kind != LibrarySongKind::Midi) tags.ReadTag();
            facts.LengthMs = static_cast<std::int64_t>(tags.Info().Length * 1000.0 + 0.5);
            facts.Artist = tags.Info().Artist;
            facts.Title = tags.Info().Title;
            // A MIDI file without title lines reports its own name as title.
            if (facts.Artist.empty() && facts.Title == tags.Info().BaseName) facts.Title.clear();
        }
    }
    if (facts.Artist.empty() || facts.Title.empty()) {
        const NameParts parts = PartsFromName(fs::path(path).stem().string(), pattern);
        if (facts.Artist.empty()) facts.Artist = parts.Artist;
        if (facts.Title.empty()) facts.Title = parts.Title;
    }
    return facts;
}

std::string NameWords(const std::string& path) {
    const fs::path p(path);
    std::string words = p.parent_path().filename().string() + " " + p.stem().string();
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
}

}  // namespace cx
