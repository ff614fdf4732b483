#include "midi/MidiSettingsBlock.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/AtomicFile.h"

namespace cx {
namespace {

constexpr int kFieldsPerLine = 5;

struct BlockSpan {
    std::size_t start = std::string_view::npos;  // of the start marker
    std::size_t end = std::string_view::npos;    // just after the end marker
};

// The last complete block; an unterminated one does not count.
BlockSpan FindBlock(std::string_view b) {
    BlockSpan s;
    const std::size_t start = b.rfind(kMidiBlockStart);
    const std::size_t end = b.rfind(kMidiBlockEnd);
    if (start == std::string_view::npos || end == std::string_view::npos || end < start) return s;
    s.start = start;
    s.end = end + kMidiBlockEnd.size();
    return s;
}

std::string ChannelLine(int ch, const ChannelRecord& r, int transposition) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "ch%02d=%d,%d,%d,%d,%d\r\n", ch, r.Enabled ? 1 : 0,
                  transposition, r.Volume, r.Balance, r.Instrument);
    return buf;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> out;
    while (out.size() < kFieldsPerLine + 1) {
        const std::size_t comma = line.find(',');
        out.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
    return out;
}

int ToInt(std::string_view s, int fallback) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    int v = fallback;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : fallback;
}

}  // namespace

std::string_view StripSettingsBlock(std::string_view b) {
    const BlockSpan s = FindBlock(b);
    return s.start == std::string_view::npos ? b : b.substr(0, s.start);
}

std::string WithSettingsBlock(std::string_view b, const MidiSettings& settings) {
    const BlockSpan s = FindBlock(b);
    std::string out(s.start == std::string_view::npos ? b : b.substr(0, s.start));
    out += kMidiBlockStart;
    out += "\r\n";
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        out += ChannelLine(ch, settings.Channels[static_cast<std::size_t>(ch)],
                           settings.Transposition);
    }
    if (settings.TempoSteps != 0) {
        out += kMidiTempoKey;
        out += std::to_string(settings.TempoSteps) + "\r\n";
    }
    out += kMidiBlockEnd;
    if (s.start != std::string_view::npos) out += b.substr(s.end);
    return out;
}

bool ReadMidi(std::string_view b, MidiSettings& settings) {
    const BlockSpan s = FindBlock(b);
    if (s.start == std::string_view::npos) return false;
    // Only the block is searched, so that MIDI data cannot look like a channel line.
    const std::string_view block = b.substr(s.start, s.end - s.start);
    // Readers that know only the channel lines pass over the tempo line.
    if (const std::size_t t = block.find(kMidiTempoKey); t != std::string_view::npos) {
        std::string_view line = block.substr(t + kMidiTempoKey.size());
        settings.TempoSteps = ToInt(line.substr(0, line.find_first_of("\r\n")), 0);
    }
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        char key[8];
        std::snprintf(key, sizeof key, "ch%02d=", ch);
        const std::size_t at = block.find(key);
        if (at == std::string_view::npos) break;
        std::string_view line = block.substr(at + 5);
        line = line.substr(0, line.find_first_of("\r\n"));
        const auto f = SplitFields(line);
        if (f.size() < kFieldsPerLine) break;
        if (ch == 0) settings.Transposition = ToInt(f[1], 0);
        auto& r = settings.Channels[static_cast<std::size_t>(ch)];
        if (r.Locked) continue;
        r.Enabled = ToInt(f[0], 1) != 0;
        r.Volume = std::clamp(ToInt(f[2], r.Volume), 0, 127);
        r.Balance = std::clamp(ToInt(f[3], r.Balance), 0, 127);
        r.Instrument = std::clamp(ToInt(f[4], r.Instrument), 0, 127);
        // Saved defaults leave the song's own controllers in charge.
        r.VolumeSet = r.Volume != kDefaultChannelVolume;
        r.BalanceSet = r.Balance != kCenterBalance;
        r.InstrumentSet = r.Instrument != 0;
    }
    return true;
}

std::string SaveMidi(const std::filesystem::path& song, const MidiSettings& settings) {
    ReadResult read = ReadWholeFile(song);
    if (!read.bytes) return read.error;
    return WriteFileAtomically(song, WithSettingsBlock(*read.bytes, settings));
}

}  // namespace cx
