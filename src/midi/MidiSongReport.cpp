#include "midi/MidiSongReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "midi/MidiSettingsBlock.h"

namespace cx {
namespace {

constexpr int kNoteOn = 0x90;
constexpr int kProgramChange = 0xC0;

std::string Bpm(std::uint32_t microsPerQuarter) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f bpm",
                  microsPerQuarter ? 60000000.0 / microsPerQuarter : 0.0);
    return buf;
}

std::string FormatText(int format) {
    switch (format) {
        case 0:
            return "0 (one track)";
        case 1:
            return "1 (tracks played together)";
        case 2:
            return "2 (separate patterns)";
        default:
            return std::to_string(format);
    }
}

std::string DivisionText(const SmfDivision& d) {
    if (!d.smpte) return std::to_string(d.ticksPerQuarter) + " ticks per quarter note";
    char buf[64];
    std::snprintf(buf, sizeof buf, "SMPTE, %.0f ticks per second", d.ticksPerSecond);
    return buf;
}

std::string TempoMapText(const std::vector<TempoChange>& changes) {
    std::string out;
    for (std::size_t i = 0; i < changes.size() && i < kMaxListedTempoChanges; ++i) {
        if (!out.empty()) out += "; ";
        out += MinutesSeconds(changes[i].startSeconds) + " " + Bpm(changes[i].microsPerQuarter);
    }
    if (changes.size() > kMaxListedTempoChanges) {
        out += "; and " + std::to_string(changes.size() - kMaxListedTempoChanges) + " more";
    }
    return out;
}

std::string LyricSourceText(MidiLyricSource source) {
    switch (source) {
        case MidiLyricSource::Words:
            return "words track";
        case MidiLyricSource::Smf:
            return "lyric events";
        case MidiLyricSource::Converter:
            return "converter";
        case MidiLyricSource::Lrs:
        case MidiLyricSource::LrsFile:
        case MidiLyricSource::Lrc:
        case MidiLyricSource::Kok:
            return "saved lyrics";
        case MidiLyricSource::None:
            break;
    }
    return "none";
}

}  // namespace

ChannelUses ChannelsInUse(const SmfFile& file) {
    ChannelUses uses{};
    for (const auto& track : file.tracks) {
        for (const auto& ev : track.events) {
            if (!ev.IsChannel()) continue;
            ChannelUse& u = uses[static_cast<std::size_t>(ev.Channel())];
            if (ev.Kind() == kNoteOn && ev.data2 > 0) ++u.Notes;
            if (ev.Kind() == kProgramChange && !u.HasProgram) {
                u.HasProgram = true;
                u.FirstProgram = ev.data1 & 0x7F;
            }
        }
    }
    return uses;
}

MidiSongReportResult DescribeMidiSong(std::string_view bytes, Codepage codepage, bool wordsLoaded) {
    MidiSongReportResult r;
    const SmfResult parsed = ParseSmf(StripSettingsBlock(bytes));
    if (!parsed.file) {
        r.error = parsed.error;
        return r;
    }
    MidiSongReport report;
    report.Info = DescribeMidi(*parsed.file, codepage);
    report.Channels = ChannelsInUse(*parsed.file);
    // The routes in the player's order: a file's own words win over the converter.
    const TempoMap map = TempoMap::FromSmf(*parsed.file);
    std::vector<LyricPiece> pieces;
    MidiLyricSource found = MidiLyricSource::None;
    if (GetWords(*parsed.file, map, codepage, pieces)) {
        report.LyricSource = MidiLyricSource::Words;
    } else if (!ExtractLyricEvents(*parsed.file, map, codepage, found).empty()) {
        report.LyricSource = found == MidiLyricSource::None ? MidiLyricSource::Smf : found;
    } else if (wordsLoaded) {
        report.LyricSource = MidiLyricSource::Converter;
    }
    r.report = std::move(report);
    return r;
}

ReportRows ReportRowsOf(const MidiSongReport& report) {
    const MidiFileInfo& i = report.Info;
    ReportRows rows;
    rows.emplace_back("Format", FormatText(i.Format));
    rows.emplace_back("Tracks", i.DeclaredTracks != i.Tracks
                                    ? std::to_string(i.Tracks) + " (the header says " +
                                          std::to_string(i.DeclaredTracks) + ")"
                                    : std::to_string(i.Tracks));
    rows.emplace_back("Division", DivisionText(i.Division));
    rows.emplace_back("Tempo map", TempoMapText(i.TempoMap));
    rows.emplace_back("Length", MinutesSeconds(i.LengthSeconds));
    rows.emplace_back("Title", i.Title);
    rows.emplace_back("Artist", i.Artist);
    rows.emplace_back("Lyrics", LyricSourceText(report.LyricSource));
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        const ChannelUse& u = report.Channels[static_cast<std::size_t>(ch)];
        if (u.Notes == 0) continue;
        std::string what = ch == kPercussionChannel
                               ? std::string("percussion")
                               : GeneralMidiName(u.FirstProgram) + " (program " +
                                     std::to_string(u.FirstProgram + 1) + ")";
        what += ", " + std::to_string(u.Notes) + (u.Notes == 1 ? " note" : " notes");
        rows.emplace_back("Channel " + std::to_string(ch + 1), what);
    }
    for (const std::string& w : i.Warnings) rows.emplace_back("Repaired", w);
    return rows;
}

std::string MinutesSeconds(double seconds) {
    const long total = std::lround(std::max(0.0, seconds));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld:%02ld", total / 60, total % 60);
    return buf;
}

}  // namespace cx
