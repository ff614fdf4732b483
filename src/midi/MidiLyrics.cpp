#include "midi/MidiLyrics.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "lyrics/LyricsLoader.h"
#include "midi/MidiConverter.h"
#include "midi/MidiText.h"

namespace cx {
namespace {

bool IsLineMark(char c) {
    return c == '/' || c == '\\';
}

bool IsWordsName(const SmfEvent& ev) {
    if (!ev.IsMeta(kMetaTrackName)) return false;
    std::string_view name = TrimBlanks(ev.data);
    if (name.size() != 5) return false;
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "words";
}

bool HasWordsName(const SmfTrack& t) {
    return std::any_of(t.events.begin(), t.events.end(), IsWordsName);
}

int CountMeta(const SmfTrack& t, std::uint8_t type) {
    return static_cast<int>(std::count_if(t.events.begin(), t.events.end(),
                                          [type](const SmfEvent& e) { return e.IsMeta(type); }));
}

// The track that holds a KAR file's words, or null.
const SmfTrack* FindWordsTrack(const SmfFile& file) {
    for (const auto& t : file.tracks) {
        if (HasWordsName(t)) return &t;
    }
    for (const auto& t : file.tracks) {
        if (CountMeta(t, kMetaText) >= kMinWordsTrackTexts) return &t;
    }
    // Last resort for KAR files with few words and no named track; a file with
    // lyric events is better served by the reader of lyric events.
    for (const auto& t : file.tracks) {
        if (CountMeta(t, kMetaLyric) > 0) return nullptr;
    }
    return file.tracks.empty() ? nullptr : &file.tracks.back();
}

std::string WithoutControls(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
    return out;
}

// At most kMaxLyricTextBytes, cut on a UTF-8 character boundary.
std::string CapText(std::string text) {
    if (text.size() <= kMaxLyricTextBytes) return text;
    std::size_t cut = kMaxLyricTextBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

// Ends lines that run too long, then gives every piece its line's text.
void FinishLines(std::vector<LyricPiece>& pieces) {
    std::size_t count = 0, bytes = 0;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        ++count;
        bytes += pieces[i].PieceText.size();
        if (count >= kMaxLinePieces || bytes >= kMaxLineBytes) pieces[i].LineBreak = true;
        if (pieces[i].LineBreak) count = bytes = 0;
    }
    RebuildLineTexts(pieces);
}

double RoundMs(double seconds) {
    return std::round(seconds * 1000.0) / 1000.0;
}

// Lyric events of the track with the most of them; other tracks often repeat
// the same words for another voice.
const SmfTrack* FindLyricEventTrack(const SmfFile& file) {
    const SmfTrack* best = nullptr;
    int most = 0;
    for (const auto& t : file.tracks) {
        const int n = CountMeta(t, kMetaLyric);
        if (n > most) {
            most = n;
            best = &t;
        }
    }
    return best;
}

void MarkLineEnd(std::vector<MidiLyricEvent>& out) {
    if (!out.empty() && (out.back().Text.empty() || !IsLineMark(out.back().Text.back()))) {
        out.back().Text += '/';
    }
}

// A return alone ends the line of the syllable before it, or adds a blank piece
// that ends the line at the return's own time.
void AddReturn(std::vector<MidiLyricEvent>& out, double time) {
    if (out.empty() || time > out.back().Time) {
        out.push_back({" /", time});
    } else if (time == out.back().Time) {
        MarkLineEnd(out);
    } else {
        MarkLineEnd(out);
        out.back().Time = time;
    }
}

void AddLyricText(std::vector<MidiLyricEvent>& out, std::string text, double time) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    if (text == "\r" || text == "\n" || text == "\r\n") {
        AddReturn(out, time);
        return;
    }
    // Line marks at the start end the previous line; returns at the end end this one.
    std::size_t lead = 0;
    while (lead < text.size() &&
           (IsLineMark(text[lead]) || text[lead] == '\r' || text[lead] == '\n'))
        ++lead;
    if (lead > 0) {
        MarkLineEnd(out);
        text.erase(0, lead);
    }
    bool endsLine = false;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
        endsLine = true;
    }
    text = WithoutControls(text);
    if (endsLine && (text.empty() || !IsLineMark(text.back()))) text += '/';
    out.push_back({std::move(text), time});
}

MidiLyricSource SavedSource(LyricsSource source) {
    switch (source) {
        case LyricsSource::Lrs:
            return MidiLyricSource::Lrs;
        case LyricsSource::LrsFile:
            return MidiLyricSource::LrsFile;
        case LyricsSource::Lrc:
            return MidiLyricSource::Lrc;
        case LyricsSource::Kok:
            return MidiLyricSource::Kok;
        case LyricsSource::Lyrics3:  // an MP3's blocks and tags; not looked for in a MIDI file
        case LyricsSource::Id3Sylt:
        case LyricsSource::Id3Uslt:
        case LyricsSource::UltraStar:  // a sing-along song plays audio, never MIDI
        case LyricsSource::None:
            break;
    }
    return MidiLyricSource::None;
}

// What the user saved for the song; the model is left empty when nothing.
MidiLyricSource LoadSavedLyrics(const std::filesystem::path& songPath, Codepage codepage,
                                LyricsModel& model) {
    const MidiLyricSource found = SavedSource(LoadLyrics(songPath, model, {}, codepage).source);
    if (found == MidiLyricSource::None) {
        ResetLyricsModel(model);
        model.KokTiming = false;
    }
    return found;
}

}  // namespace

const char* LyricSourceName(MidiLyricSource source) {
    switch (source) {
        case MidiLyricSource::Words:
            return "midi-words";
        case MidiLyricSource::Converter:
            return "midi-converter";
        case MidiLyricSource::Smf:
            return "midi-smf";
        case MidiLyricSource::Lrs:
            return LyricsSourceName(LyricsSource::Lrs);
        case MidiLyricSource::LrsFile:
            return LyricsSourceName(LyricsSource::LrsFile);
        case MidiLyricSource::Lrc:
            return LyricsSourceName(LyricsSource::Lrc);
        case MidiLyricSource::Kok:
            return LyricsSourceName(LyricsSource::Kok);
        case MidiLyricSource::None:
            break;
    }
    return "none";
}

bool GetWords(const SmfFile& file, const TempoMap& map, Codepage codepage,
              std::vector<LyricPiece>& out) {
    out.assign(1, LyricPiece());
    const SmfTrack* track = FindWordsTrack(file);
    if (!track) return false;
    for (const auto& ev : track->events) {
        if (!ev.IsMeta(kMetaText)) continue;
        const std::string raw = CapText(WithoutControls(DecodeMidiText(ev.data, codepage)));
        std::string_view text = raw;
        const std::string_view trimmed = TrimBlanks(text);
        if (!trimmed.empty() && trimmed.front() == '@') continue;  // KAR information line
        if (!trimmed.empty() && IsLineMark(trimmed.front())) {
            if (out.size() > 1) out.back().LineBreak = true;
            text.remove_prefix(text.find(trimmed.front()) + 1);
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
                text.remove_prefix(1);
        }
        // Keep the blanks at the end: they separate the words of a line.
        if (TrimBlanks(text).empty()) continue;
        const double seconds = RoundMs(map.TickToSeconds(ev.tick));
        if (!(seconds > 0)) continue;  // tick 0 holds information texts
        if (out.size() > kMaxMidiPieces) break;
        LyricPiece p;
        p.PieceText = std::string(text);
        p.StartTime = seconds - kLyricLeadSeconds;
        out.push_back(std::move(p));
    }
    FinishLines(out);
    return out.size() > 1;
}

std::vector<MidiLyricEvent> ExtractLyricEvents(const SmfFile& file, const TempoMap& map,
                                               Codepage codepage, MidiLyricSource& found) {
    std::vector<MidiLyricEvent> events;
    found = MidiLyricSource::None;
    const SmfTrack* lyricTrack = FindLyricEventTrack(file);
    const SmfTrack* words = nullptr;
    if (!lyricTrack) {
        for (const auto& t : file.tracks) {
            if (HasWordsName(t)) {
                words = &t;
                break;
            }
        }
    }
    const SmfTrack* track = lyricTrack ? lyricTrack : words;
    if (!track) return events;
    for (const auto& ev : track->events) {
        const bool take =
            lyricTrack ? ev.IsMeta(kMetaLyric)
                       : (ev.IsMeta(kMetaText) && ev.delta > 0 && ev.data.compare(0, 1, "@") != 0);
        if (!take) continue;
        if (events.size() > kMaxMidiPieces) break;
        std::string text = CapText(DecodeMidiText(ev.data, codepage));
        if (!lyricTrack && text.empty()) text = " ";
        AddLyricText(events, std::move(text), map.TickToSeconds(ev.tick) * 1e6);
    }
    if (!events.empty()) found = MidiLyricSource::Smf;
    return events;
}

std::vector<LyricPiece> BuildLyricPieces(const std::vector<MidiLyricEvent>& events) {
    std::vector<LyricPiece> pieces(1);
    for (const auto& ev : events) {
        if (pieces.size() > kMaxMidiPieces) break;
        LyricPiece p;
        p.StartTime = ev.Time / 1e6 - kLyricLeadSeconds;
        p.PieceText = ev.Text;
        if (!p.PieceText.empty() && IsLineMark(p.PieceText.back())) {
            p.LineBreak = true;
            p.PieceText.pop_back();
        }
        pieces.push_back(std::move(p));
    }
    FinishLines(pieces);
    return pieces;
}

bool ExtractLyrics(const SmfFile& file, const TempoMap& map, Codepage codepage,
                   std::vector<LyricPiece>& out) {
    MidiLyricSource found = MidiLyricSource::None;
    const auto events = ExtractLyricEvents(file, map, codepage, found);
    out = BuildLyricPieces(events);
    return out.size() > 1;
}

void TrimLineMarks(std::vector<LyricPiece>& pieces) {
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        // Marks go, the blank that separates the next word stays.
        auto& t = pieces[i].PieceText;
        std::size_t end = t.size();
        while (end > 0 && (t[end - 1] == ' ' || t[end - 1] == '\t')) --end;
        std::size_t cut = end;
        while (cut > 0 && IsLineMark(t[cut - 1])) --cut;
        t.erase(cut, end - cut);
    }
    FinishLines(pieces);
}

bool ReadConvertedWords(std::string_view converted, Codepage codepage,
                        std::vector<LyricPiece>& out) {
    SmfResult smf = ParseSmf(converted);
    if (!smf.file || !GetWords(*smf.file, TempoMap::FromSmf(*smf.file), codepage, out))
        return false;
    TrimLineMarks(out);
    return true;
}

MidiLyricsResult LoadMidiLyrics(std::string_view songBytes, const std::filesystem::path& songPath,
                                const MidiLyricsOptions& options, LyricsModel& model) {
    MidiLyricsResult r;
    ResetLyricsModel(model);
    if (options.savedLyrics && !songPath.empty()) {
        r.source = LoadSavedLyrics(songPath, options.codepage, model);
        if (r.source != MidiLyricSource::None) return r;
    }
    SmfResult smf = ParseSmf(songBytes);
    if (!smf.file) {
        r.error = smf.error;
        return r;
    }
    const TempoMap map = TempoMap::FromSmf(*smf.file);
    std::vector<LyricPiece> pieces;
    const bool converter = !options.converterCommand.empty() && !songPath.empty();
    if (GetWords(*smf.file, map, options.codepage, pieces)) {
        r.source = MidiLyricSource::Words;
    } else if (converter && options.deferConverter) {
        r.converterWanted = true;
    } else if (converter) {
        const auto converted = RunMidiConverter(options.converterCommand, songPath,
                                                options.tempFolder, options.converterTimeoutMs);
        if (converted && ReadConvertedWords(*converted, options.codepage, pieces)) {
            model.Lyrics = std::move(pieces);
            r.source = MidiLyricSource::Converter;
            return r;
        }
    }
    if (r.source == MidiLyricSource::None &&
        ExtractLyrics(*smf.file, map, options.codepage, pieces)) {
        r.source = MidiLyricSource::Smf;
    }
    if (r.source == MidiLyricSource::None) {
        r.error = "the MIDI file holds no lyrics";
        return r;
    }
    TrimLineMarks(pieces);
    model.Lyrics = std::move(pieces);
    return r;
}

}  // namespace cx
