#include "midi/MidiInfo.h"

#include "midi/MidiSettingsBlock.h"
#include "platform/AtomicFile.h"

#include <cmath>
#include <cstdio>

#include "midi/MidiText.h"

namespace cx {
namespace {

constexpr int kKarTitleSlots = 3;  // "@T" texts looked at: title, artist, one more

}  // namespace

KarTitle MidiRead(const SmfFile& file, Codepage codepage) {
    std::vector<std::string> slots;
    for (const auto& track : file.tracks) {
        for (const auto& ev : track.events) {
            if (slots.size() >= kKarTitleSlots) break;
            if (!ev.IsMeta(kMetaText) || ev.data.size() < 2 || ev.data.compare(0, 2, "@T") != 0)
                continue;
            slots.push_back(ProperCase(
                TrimBlanks(DecodeMidiText(std::string_view(ev.data).substr(2), codepage))));
        }
    }
    KarTitle t;
    if (!slots.empty() && !slots[0].empty()) {
        t.Title = slots[0];
        if (slots.size() > 1) t.Artist = slots[1];
    }
    return t;
}

MidiFileInfo DescribeMidi(const SmfFile& file, Codepage codepage) {
    MidiFileInfo info;
    const TempoMap map = TempoMap::FromSmf(file);
    info.Format = file.format;
    info.Tracks = static_cast<int>(file.tracks.size());
    info.DeclaredTracks = file.declaredTracks;
    info.Division = file.division;
    info.TempoMap = map.Changes();
    info.LengthSeconds = SongLengthSeconds(file, map);
    info.BeatsPerMinute = map.FirstBeatsPerMinute();
    const KarTitle kar = MidiRead(file, codepage);
    info.Title = kar.Title;
    info.Artist = kar.Artist;
    info.Warnings = file.warnings;
    return info;
}

MidiInfoResult ReadMidiFileInfo(std::string_view bytes, Codepage codepage) {
    MidiInfoResult r;
    SmfResult smf = ParseSmf(bytes);
    if (!smf.file) {
        r.error = smf.error;
        return r;
    }
    r.info = DescribeMidi(*smf.file, codepage);
    return r;
}

std::string TempoLabel(double beatsPerMinute) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "Tempo: %05.2f", std::round(beatsPerMinute * 100) / 100);
    return buf;
}

MidiInspector MidiInspectorFor(Codepage codepage) {
    return [codepage](const std::string& path, MidiFacts& facts) {
        ReadResult read = ReadWholeFile(path, kMaxSmfBytes);
        if (!read.bytes) return false;
        const MidiInfoResult midi = ReadMidiFileInfo(StripSettingsBlock(*read.bytes), codepage);
        if (!midi.info) return false;
        facts.Title = midi.info->Title;
        facts.Artist = midi.info->Artist;
        facts.LengthSeconds = midi.info->LengthSeconds;
        return true;
    };
}

}  // namespace cx
