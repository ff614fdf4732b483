#include "loudness/Loudness.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "archive/ZipSong.h"
#include "loudness/LoudnessMeter.h"
#include "lyrics/LyricsModel.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiSynth.h"
#include "midi/SmfReader.h"
#include "midi/SoundFonts.h"
#include "platform/PrivateTemp.h"
#include "playback/FileDecoder.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlockFrames = 4096;
// A MIDI song that never ends (a broken length) is measured this far only.
constexpr double kMaxMidiSeconds = 3 * 3600.0;
// The audio a CD+G file goes with, in the order looked for.
constexpr std::array<const char*, 5> kCdgAudio = {".mp3", ".ogg", ".wav", ".flac", ".opus"};

std::string LowerExtension(const fs::path& p) {
    std::string e = p.extension().string();
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return e;
}

bool Stopped(const MeasureOptions& o) {
    return o.stop && o.stop->load();
}

bool StartsLikeMidi(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    return IsMidiFile(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

// Pulls float stereo blocks from `read` until it gives fewer than asked.
template <typename Read>
std::optional<LoudnessReading> MeasureFrames(int rate, std::int64_t maxFrames, Read read,
                                             const MeasureOptions& o, std::string& error) {
    if (!LoudnessMeter::Available()) {
        error = "the loudness library libebur128 is not installed";
        return std::nullopt;
    }
    LoudnessMeter meter(rate, 2);
    if (!meter.Ok()) {
        error = "unsupported sample rate " + std::to_string(rate) + " Hz";
        return std::nullopt;
    }
    std::vector<float> block(2 * kBlockFrames);
    for (std::int64_t done = 0; done < maxFrames;) {
        if (Stopped(o)) {
            error = "measuring stopped";
            return std::nullopt;
        }
        const std::size_t n = read(block.data(), kBlockFrames);
        meter.Add(block.data(), n);
        done += static_cast<std::int64_t>(n);
        if (n < kBlockFrames) break;
    }
    return meter.Reading();
}

std::optional<LoudnessReading> MeasureAudio(const std::string& path, const MeasureOptions& o,
                                            std::string& error) {
    std::unique_ptr<FileDecoder> decoder = FileDecoder::Open(path, error);
    if (!decoder) return std::nullopt;
    // Mono is heard from both speakers, so it is measured as the two
    // channels it is played as.
    return MeasureFrames(
        decoder->SampleRate(), INT64_MAX,
        [&](float* out, std::size_t frames) { return decoder->Read(out, frames); }, o, error);
}

std::optional<LoudnessReading> MeasureMidi(const std::string& path, const MeasureOptions& o,
                                           std::string& error) {
    std::string font = o.soundFont;
    if (font.empty()) {
        const auto ports = ListSoundFonts({}, SoundFontFolders());
        if (const SoundFontPort* port = SelectMidiDevice(ports, 1)) font = port->Path.string();
    }
    if (font.empty()) {
        error = kNoSoundFontMessage;
        return std::nullopt;
    }
    // The player's own route: the song's settings block (channel volumes and
    // switches) counts, as it does when the song plays.
    MidiPlayer player;
    LyricsModel model;
    const MidiOpenResult opened = player.OpenMusic(path, font, MidiLyricsOptions(), model);
    if (!opened.opened || !opened.playable || !player.Source()) {
        error = opened.message.empty() ? "the MIDI song cannot be played" : opened.message;
        return std::nullopt;
    }
    player.PlayMidi();
    MidiSynth& synth = *player.Source();
    const auto maxFrames = static_cast<std::int64_t>(kMaxMidiSeconds * synth.SampleRate());
    return MeasureFrames(
        synth.SampleRate(), maxFrames,
        [&](float* out, std::size_t frames) {
            return synth.Finished() ? std::size_t{0} : synth.Render(out, frames);
        },
        o, error);
}

std::optional<LoudnessReading> MeasureZip(const std::string& path, const MeasureOptions& o,
                                          std::string& error) {
    PrivateTemp temp;
    if (temp.Folder().empty()) {
        error = "no temporary folder to unpack the archive into";
        return std::nullopt;
    }
    const ZipUnpacked unpacked = UnpackZipSong(path, temp.Folder());
    if (!unpacked.Ok) {
        error = unpacked.Reason;
        return std::nullopt;
    }
    if (unpacked.Kind == ZipSongKind::Midi) return MeasureMidi(unpacked.Song.string(), o, error);
    return MeasureAudio(unpacked.Song.string(), o, error);
}

std::optional<LoudnessReading> MeasureCdg(const std::string& path, const MeasureOptions& o,
                                          std::string& error) {
    // The audio beside it may be named in any case, as the .cdg itself.
    const fs::path cdg(path);
    std::error_code ec;
    for (const char* ext : kCdgAudio) {
        for (const auto& entry : fs::directory_iterator(
                 cdg.parent_path().empty() ? fs::path(".") : cdg.parent_path(), ec)) {
            const fs::path& p = entry.path();
            if (p.stem() == cdg.stem() && LowerExtension(p) == ext && entry.is_regular_file(ec))
                return MeasureAudio(p.string(), o, error);
        }
    }
    error = "no audio file (MP3, OGG, WAV, FLAC) beside the CD+G file";
    return std::nullopt;
}

}  // namespace

std::optional<LoudnessReading> MeasureLoudness(const std::string& path, std::string& error) {
    return MeasureLoudness(path, MeasureOptions(), error);
}

std::optional<LoudnessReading> MeasureLoudness(const std::string& path,
                                               const MeasureOptions& options, std::string& error) {
    error.clear();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "not a readable file";
        return std::nullopt;
    }
    const std::string ext = LowerExtension(path);
    if (ext == ".zip") return MeasureZip(path, options, error);
    if (ext == ".cdg") return MeasureCdg(path, options, error);
    if (StartsLikeMidi(path)) return MeasureMidi(path, options, error);
    return MeasureAudio(path, options, error);
}

}  // namespace cx
