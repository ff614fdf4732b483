#include "midi/SoundFonts.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace cx {
namespace {

// Small and complete: the quickest General MIDI font to load, preferred when present.
constexpr const char* kPreferredFonts[] = {"TimGM6mb.sf2", "default-GM.sf2"};

int Rank(const std::filesystem::path& p) {
    const std::string name = p.filename().string();
    for (int i = 0; i < 2; ++i) {
        if (name == kPreferredFonts[i]) return i;
    }
    return 2;
}

bool IsSoundFontName(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sf2" || ext == ".sf3";
}

}  // namespace

std::vector<std::filesystem::path> SoundFontFolders() {
    std::vector<std::filesystem::path> folders{"/usr/share/sounds/sf2", "/usr/share/soundfonts",
                                               "/usr/share/sounds/sf3"};
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        folders.emplace_back(std::filesystem::path(data) / "soundfonts");
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folders.emplace_back(std::filesystem::path(home) / ".local/share/soundfonts");
    }
    return folders;
}

std::vector<SoundFontPort> ListSoundFonts(const std::filesystem::path& chosenFile,
                                          const std::vector<std::filesystem::path>& folders) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    if (!chosenFile.empty() && std::filesystem::is_regular_file(chosenFile, ec)) found.push_back(chosenFile);
    for (const auto& folder : folders) {
        std::vector<std::filesystem::path> here;
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator() && here.size() < kMaxSoundFonts; it.increment(ec)) {
            if (IsSoundFontName(it->path()) && std::filesystem::is_regular_file(it->path(), ec)) {
                here.push_back(it->path());
            }
        }
        ec.clear();
        std::sort(here.begin(), here.end(), [](const auto& a, const auto& b) {
            return Rank(a) != Rank(b) ? Rank(a) < Rank(b) : a.filename() < b.filename();
        });
        found.insert(found.end(), here.begin(), here.end());
    }
    std::vector<SoundFontPort> ports;
    std::set<std::filesystem::path> seen;
    for (const auto& p : found) {
        const auto canonical = std::filesystem::weakly_canonical(p, ec);
        if (!seen.insert(ec ? p : canonical).second || ports.size() >= kMaxSoundFonts) continue;
        ports.push_back({static_cast<int>(ports.size()) + 1, p.stem().string(), p});
    }
    return ports;
}

const SoundFontPort* SelectMidiDevice(const std::vector<SoundFontPort>& ports, int midiDevice) {
    if (ports.empty()) return nullptr;
    if (midiDevice < ports.front().Number || midiDevice > ports.back().Number) return &ports.front();
    return &ports[static_cast<std::size_t>(midiDevice - ports.front().Number)];
}

}  // namespace cx
