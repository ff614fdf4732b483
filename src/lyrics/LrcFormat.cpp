#include "lyrics/LrcFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"

namespace cx {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Digits(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// Checks `tag` against a pattern where '#' stands for one digit.
bool Matches(std::string_view tag, std::string_view pattern) {
    if (tag.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < tag.size(); ++i) {
        if (pattern[i] == '#' ? !IsDigit(tag[i]) : tag[i] != pattern[i]) return false;
    }
    return true;
}

// The leading time tags of a line and where its text starts.
struct LineTags {
    std::vector<double> times;
    std::size_t textStart = 0;
};

// The first tag may stand anywhere before the text (field headers of MP3
// lyrics blocks precede it); further tags must follow directly, so that a
// bracket later in the sung text does not swallow the words before it.
LineTags ReadLineTags(std::string_view line) {
    LineTags out;
    std::size_t pos = 0;
    std::optional<std::size_t> lastClose;
    while (pos < line.size()) {
        const std::size_t open = line.find('[', pos);
        if (open == std::string_view::npos) break;
        if (!out.times.empty() && open != pos) break;
        const std::size_t close = line.find(']', open + 1);
        if (close == std::string_view::npos) break;
        lastClose = close;
        const std::string_view tag = line.substr(open + 1, close - open - 1);
        if (!IsLrcTimeTag(tag)) break;
        out.times.push_back(LrcTimeToSeconds(tag));
        pos = close + 1;
    }
    out.textStart = lastClose ? *lastClose + 1 : 0;
    return out;
}

void AppendPiece(PieceArray& pieces, double time, std::string_view text, bool lineBreak) {
    LyricPiece p;
    p.StartTime = time;
    p.PieceText = std::string(text);
    p.LineBreak = lineBreak;
    pieces.push_back(std::move(p));
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// "+250", "-500", " 250 ": milliseconds, capped; nullopt when not a number.
std::optional<int> OffsetValue(std::string_view v) {
    v = Trimmed(v);
    bool negative = false;
    if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
        negative = v.front() == '-';
        v = Trimmed(v.substr(1));
    }
    if (v.empty()) return std::nullopt;
    long long ms = 0;
    for (char c : v) {
        if (!IsDigit(c)) return std::nullopt;
        ms = std::min<long long>(ms * 10 + (c - '0'), kMaxLrcOffsetMs);
    }
    return static_cast<int>(negative ? -ms : ms);
}

// Takes the metadata tags ("[key:value]" with a key of letters only) at the
// start of a line, keeping the ones we know; gives the rest of the line.
std::string_view TakeMetadata(std::string_view line, LrcTags& tags) {
    for (;;) {
        const std::string_view rest = Trimmed(line);
        if (rest.size() < 3 || rest.front() != '[') return line;
        const std::size_t colon = rest.find(':');
        const std::size_t close = rest.find(']');
        if (colon == std::string_view::npos || close == std::string_view::npos || colon > close)
            return line;
        const std::string key = AsciiLower(Trimmed(rest.substr(1, colon - 1)));
        if (key.empty() ||
            !std::all_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            return line;
        const std::string value(Trimmed(rest.substr(colon + 1, close - colon - 1)));
        if (key == "ar") tags.Artist = value;
        if (key == "ti") tags.Title = value;
        if (key == "al") tags.Album = value;
        if (key == "by") tags.By = value;
        if (key == "offset") tags.OffsetMs = OffsetValue(value).value_or(tags.OffsetMs);
        line = rest.substr(close + 1);
    }
}

void ApplyOffset(PieceArray& pieces, int offsetMs) {
    if (offsetMs == 0) return;
    for (std::size_t i = 1; i < pieces.size(); ++i)
        pieces[i].StartTime = std::max(0.0, pieces[i].StartTime - offsetMs / 1000.0);
}

void ParseLrcLine(std::string_view line, PieceArray& pieces) {
    const LineTags tags = ReadLineTags(line);
    if (tags.times.empty()) return;
    const std::string_view text = line.substr(tags.textStart);
    // A line timed as a whole is one piece per tag holding all of its text.
    if (tags.times.size() > 1) {
        for (double t : tags.times) {
            if (pieces.size() > kMaxPieces) return;
            AppendPiece(pieces, t, CutLineText(text), true);
        }
        return;
    }
    const auto parts = SplitAt(text, '<');
    if (parts.size() == 1) {
        AppendPiece(pieces, tags.times[0], CutLineText(text), true);
        return;
    }
    AppendPiece(pieces, tags.times[0], parts[0], false);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view w = parts[i];
        const std::size_t g = w.find('>');
        if (g == std::string_view::npos || g == 0 || !IsLrcTimeTag(w.substr(0, g))) continue;
        AppendPiece(pieces, LrcTimeToSeconds(w.substr(0, g)), w.substr(g + 1),
                    i + 1 == parts.size());
    }
}

std::string Pad2(long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld", v);
    return buf;
}

// The longest time a tag holds ("999:59.99"); later times are written as it,
// so that what is written always reads back.
constexpr long long kLongestTagHundredths = (999LL * 60 + 59) * 100 + 99;

// mm:ss.hh with the hundredths cut, not rounded.
std::string ExtendedTime(double t) {
    const double longest = static_cast<double>(kLongestTagHundredths) / 100.0;
    const long long micro = std::llround(std::clamp(t, 0.0, longest) * 1e6);
    const long long hundredths = micro / 10000;
    return Pad2(hundredths / 6000) + ":" + Pad2((hundredths / 100) % 60) + "." +
           Pad2(hundredths % 100);
}

// mm:ss with the seconds rounded half to even.
std::string PlainTime(double t) {
    const long long longest = kLongestTagHundredths / 100;
    const long long s =
        std::min(longest, static_cast<long long>(std::nearbyint(std::clamp(t, 0.0, 1e9))));
    return Pad2(s / 60) + ":" + Pad2(s % 60);
}

}  // namespace

namespace {

// Some writers put a colon before the fraction ("01:02:50"): read as a point.
std::string WithFractionPoint(std::string_view tag) {
    std::string t(tag);
    const std::size_t first = t.find(':');
    if (first != std::string::npos) {
        const std::size_t second = t.find(':', first + 1);
        if (second != std::string::npos) t[second] = '.';
    }
    return t;
}

bool MatchesTimePattern(std::string_view tag) {
    // Three-digit minutes: seconds may run to 99, so a time read from
    // "[99:74.99]" is written back as "[100:14.99]" and must read again.
    const bool longMinutes =
        (Matches(tag, "###:##") || Matches(tag, "###:##.##") || Matches(tag, "###:##.###")) &&
        tag.front() != '0';
    return longMinutes || Matches(tag, "#:##") || Matches(tag, "##:##") ||
           Matches(tag, "#:##.##") || Matches(tag, "##:##.##") || Matches(tag, "#:##.###") ||
           Matches(tag, "##:##.###");
}

}  // namespace

bool IsLrcTimeTag(std::string_view tag) {
    return MatchesTimePattern(WithFractionPoint(tag));
}

double LrcTimeToSeconds(std::string_view given) {
    const std::string tag = WithFractionPoint(given);
    if (!MatchesTimePattern(tag)) return 0;
    const std::size_t colon = tag.find(':');
    double v = Digits(tag.substr(0, colon)) * 60.0 + Digits(tag.substr(colon + 1, 2));
    if (tag.size() > colon + 3) {
        const std::string_view fraction = std::string_view(tag).substr(colon + 4);
        v += Digits(fraction) / (fraction.size() == 3 ? 1000.0 : 100.0);
    }
    return v;
}

void SortLyricsByTime(PieceArray& pieces) {
    if (pieces.size() < 3) return;
    std::stable_sort(
        pieces.begin() + 1, pieces.end(),
        [](const LyricPiece& a, const LyricPiece& b) { return a.StartTime < b.StartTime; });
}

LyricsResult ParseLrcText(std::string_view text, PieceArray& pieces, LrcTags* tagsOut) {
    pieces.assign(1, LyricPiece{});
    LrcTags tags;
    for (std::string_view line : SplitLines(text)) {
        ParseLrcLine(TakeMetadata(line, tags), pieces);
        if (pieces.size() > kMaxPieces) {
            pieces.assign(1, LyricPiece{});
            return LyricsResult::Fail("the LRC text holds too many pieces");
        }
    }
    if (tagsOut) *tagsOut = tags;
    if (pieces.size() == 1) return LyricsResult::Fail("no timed LRC line");
    ApplyOffset(pieces, tags.OffsetMs);
    SortLyricsByTime(pieces);
    RebuildLineTexts(pieces);
    return LyricsResult::Ok();
}

LyricsResult LoadLrcFile(const std::filesystem::path& mediaPath, LyricsModel& model,
                         AfterLoadContext context, CodepageChoice cp, LrcTags* tagsOut) {
    ResetLyricsModel(model);
    LyricsResult r = LyricsResult::Fail("no LRC file beside the song");
    if (auto file = FindSiblingFile(mediaPath, "lrc")) {
        TextFileRead read = ReadLyricsTextFile(*file, cp);
        LrcTags tags;
        r = read.ok ? ParseLrcText(read.text, model.Lyrics, &tags) : LyricsResult::Fail(read.error);
        if (!r && read.ok) r.reason = "it holds no timed line";
        if (!r) r.reason = file->filename().string() + ": " + r.reason;
        context.Header.LrcArtist = tags.Artist;
        context.Header.LrcTitle = tags.Title;
        if (tagsOut) *tagsOut = tags;
    }
    RunAfterLoad(model, ForMedia(context, mediaPath.string()));
    return r;
}

std::string ExportLrc(const PieceArray& pieces, LrcFlavour flavour, int offsetMs) {
    std::string out;
    offsetMs = std::clamp(offsetMs, -kMaxLrcOffsetMs, kMaxLrcOffsetMs);
    if (offsetMs != 0)
        out =
            "[offset:" + std::string(offsetMs > 0 ? "+" : "") + std::to_string(offsetMs) + "]\r\n";
    const double shift = offsetMs / 1000.0;
    if (flavour == LrcFlavour::Extended) {
        bool lineStart = true;
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            const std::string t = ExtendedTime(pieces[i].StartTime + shift);
            out += lineStart ? "[" + t + "]" : "<" + t + ">";
            out += pieces[i].PieceText;
            lineStart = pieces[i].LineBreak;
            if (lineStart) out += "\r\n";
        }
        // The last line's own break already ends the text: no empty line after it.
        if (lineStart) return out;
    } else {
        std::string line;
        double lineTime = 0;
        bool lineStart = true;
        bool first = true;
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            if (lineStart) lineTime = pieces[i].StartTime + shift;
            line += pieces[i].PieceText;
            lineStart = pieces[i].LineBreak || i + 1 == pieces.size();
            if (lineStart) {
                if (!first) out += "\r\n";
                out += "[" + PlainTime(lineTime) + "]" + line;
                line.clear();
                first = false;
            }
        }
    }
    return out + "\r\n";
}

LyricsResult WriteLrcFile(const PieceArray& pieces, LrcFlavour flavour,
                          const std::filesystem::path& path, Codepage cp, int offsetMs) {
    if (pieces.size() < 2) return LyricsResult::Fail("there are no lyrics to export");
    return WriteLyricsTextFile(path, ExportLrc(pieces, flavour, offsetMs), cp);
}

}  // namespace cx
