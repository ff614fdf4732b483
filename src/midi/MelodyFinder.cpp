#include "midi/MelodyFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "midi/MidiLyrics.h"

namespace cx {
namespace {

constexpr int kChannels = 16;
// Notes starting this close together are one chord; its top note is the tune.
constexpr double kChordSeconds = 0.01;

struct PlayedNote {
    double Start = 0;
    double End = 0;
    int Pitch = 0;
};

using ChannelNotes = std::array<std::vector<PlayedNote>, kChannels>;

struct Syllable {
    double Time = 0;
    int Piece = 0;
    int Line = 0;
};

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '/' || c == '\\' || c == '\r' || c == '\n';
    });
}

void CollectTrack(const SmfTrack& track, const TempoMap& map, ChannelNotes& notes) {
    // Open notes per channel and key, as indices into that channel's list.
    std::array<std::array<std::vector<std::size_t>, 128>, kChannels> open;
    for (const SmfEvent& e : track.events) {
        if (!e.IsChannel()) continue;
        const int ch = e.Channel();
        const int key = e.data1 & 0x7F;
        auto& list = notes[static_cast<std::size_t>(ch)];
        auto& stack = open[static_cast<std::size_t>(ch)][static_cast<std::size_t>(key)];
        const double t = map.TickToSeconds(e.tick);
        if (e.Kind() == 0x90 && e.data2 > 0) {
            if (list.size() >= kMaxSmfEvents) continue;
            stack.push_back(list.size());
            list.push_back({t, t, key});
        } else if ((e.Kind() == 0x80 || e.Kind() == 0x90) && !stack.empty()) {
            list[stack.front()].End = t;  // first on, first off
            stack.erase(stack.begin());
        }
    }
    // Notes never released end with their track.
    const double end = map.TickToSeconds(track.endTick);
    for (std::size_t ch = 0; ch < kChannels; ++ch)
        for (auto& stack : open[ch])
            for (std::size_t i : stack) notes[ch][i].End = std::max(notes[ch][i].Start, end);
}

ChannelNotes CollectNotes(const SmfFile& file, const TempoMap& map) {
    ChannelNotes notes;
    for (const SmfTrack& track : file.tracks) CollectTrack(track, map, notes);
    for (auto& list : notes)
        std::stable_sort(list.begin(), list.end(), [](const PlayedNote& a, const PlayedNote& b) {
            return a.Start < b.Start;
        });
    return notes;
}

std::vector<Syllable> CollectSyllables(const PieceArray& pieces, double leadSeconds) {
    std::vector<Syllable> out;
    int line = 0;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const LyricPiece& p = pieces[i];
        if (!IsBlank(p.PieceText))
            out.push_back({p.StartTime + leadSeconds, static_cast<int>(i), line});
        if (p.LineBreak) ++line;
    }
    return out;
}

// First note starting at or after `t`.
std::size_t FirstFrom(const std::vector<PlayedNote>& list, double t) {
    return static_cast<std::size_t>(
        std::lower_bound(list.begin(), list.end(), t,
                         [](const PlayedNote& n, double v) { return n.Start < v; }) -
        list.begin());
}

ChannelFit Fit(int ch, const std::vector<PlayedNote>& list, const std::vector<Syllable>& syl) {
    ChannelFit fit{ch, 0, static_cast<int>(list.size()), 0};
    for (const auto& n : list) fit.MeanPitch += n.Pitch;
    if (!list.empty()) fit.MeanPitch /= static_cast<double>(list.size());
    for (const Syllable& s : syl) {
        const std::size_t i = FirstFrom(list, s.Time - kMelodyMatchSeconds);
        if (i < list.size() && list[i].Start <= s.Time + kMelodyMatchSeconds) ++fit.Hits;
    }
    return fit;
}

bool InVoiceRange(const ChannelFit& f) {
    return f.MeanPitch >= kVoiceLowNote && f.MeanPitch <= kVoiceHighNote;
}

// Of channels that follow the words about as well: one in a singer's range,
// then one with about a note per syllable, then the higher one.
bool Better(const ChannelFit& a, const ChannelFit& b, int syllables) {
    if (InVoiceRange(a) != InVoiceRange(b)) return InVoiceRange(a);
    const double da = std::abs(a.Notes - syllables) / static_cast<double>(std::max(1, syllables));
    const double db = std::abs(b.Notes - syllables) / static_cast<double>(std::max(1, syllables));
    if (std::abs(da - db) > 0.05) return da < db;
    return a.MeanPitch > b.MeanPitch;
}

int Choose(std::vector<ChannelFit>& fits, int syllables) {
    std::sort(fits.begin(), fits.end(),
              [](const ChannelFit& a, const ChannelFit& b) { return a.Hits > b.Hits; });
    if (fits.empty() || fits.front().Hits == 0) return -1;
    const double floor = kMelodyTieShare * fits.front().Hits;
    const auto tied = std::partition_point(fits.begin(), fits.end(),
                                           [&](const ChannelFit& f) { return f.Hits >= floor; });
    std::stable_sort(fits.begin(), tied, [&](const ChannelFit& a, const ChannelFit& b) {
        return Better(a, b, syllables);
    });
    return fits.front().Channel;
}

void AddNotes(const std::vector<PlayedNote>& list, const Syllable& s, double next, SungNotes& out) {
    const double from = s.Time - kMelodyMatchSeconds;
    const double until = next - kMelodyMatchSeconds;
    std::size_t i = FirstFrom(list, from);
    bool any = false;
    while (i < list.size() && list[i].Start < until && out.Notes.size() < kMaxSungNotes) {
        PlayedNote top = list[i];
        for (++i; i < list.size() && list[i].Start - top.Start < kChordSeconds; ++i)
            if (list[i].Pitch > top.Pitch) top = list[i];
        out.Notes.push_back(
            {top.Start, top.End - top.Start, top.Pitch, NoteKind::Normal, s.Line, s.Piece, 0});
        any = true;
    }
    if (any) return;
    // A syllable sung on a note that is already sounding (tied over).
    for (std::size_t j = FirstFrom(list, from); j-- > 0;) {
        if (list[j].End > s.Time) {
            out.Notes.push_back({s.Time, list[j].End - s.Time, list[j].Pitch, NoteKind::Normal,
                                 s.Line, s.Piece, 0});
            return;
        }
        if (s.Time - list[j].Start > 10.0) return;  // long past: nothing holds over
    }
}

// A note ends where the next begins, so the singer is never asked for two.
void ClipOverlaps(SungNotes& notes) {
    for (std::size_t i = 0; i + 1 < notes.Notes.size(); ++i) {
        SungNote& n = notes.Notes[i];
        const double gap = notes.Notes[i + 1].StartTime - n.StartTime;
        n.Length = std::max(0.0, std::min(n.Length, gap));
    }
}

}  // namespace

MelodyResult FindMelody(const SmfFile& file, const TempoMap& map, const PieceArray& pieces,
                        double leadSeconds) {
    MelodyResult result;
    const std::vector<Syllable> syllables = CollectSyllables(pieces, leadSeconds);
    result.Syllables = static_cast<int>(syllables.size());
    if (syllables.empty()) {
        result.Error = "the song has no words to find its tune under";
        return result;
    }
    const ChannelNotes notes = CollectNotes(file, map);
    for (int ch = 0; ch < kChannels; ++ch) {
        if (ch == kDrumChannel || notes[static_cast<std::size_t>(ch)].empty()) continue;
        result.Fits.push_back(Fit(ch, notes[static_cast<std::size_t>(ch)], syllables));
    }
    result.Channel = Choose(result.Fits, result.Syllables);
    if (result.Channel < 0) {
        result.Error = "no channel plays notes under the words";
        return result;
    }
    const auto& list = notes[static_cast<std::size_t>(result.Channel)];
    for (std::size_t i = 0; i < syllables.size(); ++i) {
        const double next = i + 1 < syllables.size() ? syllables[i + 1].Time
                                                     : std::numeric_limits<double>::infinity();
        AddNotes(list, syllables[i], next, result.Notes);
    }
    ClipOverlaps(result.Notes);
    result.Notes.LineCount = syllables.back().Line + 1;
    return result;
}

MelodyResult FindSongMelody(std::string_view smfBytes, Codepage codepage, LyricsModel& model) {
    MelodyResult result;
    SmfResult parsed = ParseSmf(smfBytes);
    if (!parsed.file) {
        result.Error = parsed.error;
        return result;
    }
    MidiLyricsOptions options;
    options.codepage = codepage;
    options.savedLyrics = false;
    const MidiLyricsResult lyrics = LoadMidiLyrics(smfBytes, {}, options, model);
    if (lyrics.source == MidiLyricSource::None) {
        result.Error = lyrics.error.empty() ? "the song has no words" : lyrics.error;
        return result;
    }
    return FindMelody(*parsed.file, TempoMap::FromSmf(*parsed.file), model.Lyrics,
                      kLyricLeadSeconds);
}

}  // namespace cx
