#include "lyrics/KokFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/TimeText.h"

namespace cx {
namespace {

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whole seconds (two digits at least), "," and four fraction digits, cut not rounded.
std::string KokTime(double t) {
    const long long micro = std::llround(std::max(0.0, std::min(t, 9999.0)) * 1e6);
    const long long tenThousandths = micro / 100;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld,%04lld", tenThousandths / 10000, tenThousandths % 10000);
    return buf;
}

// KOK has no escape; a ";" inside a piece would split it, a line end would end the line.
std::string PieceTextForKok(std::string text) {
    for (char& c : text) {
        if (c == ';') c = ',';
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

bool IsKokTimeField(std::string_view f) {
    const std::size_t comma = f.find(',');
    if (comma == std::string_view::npos || comma < 2 || comma > 4) return false;
    return f.size() == comma + 5 && AllDigits(f.substr(0, comma)) && AllDigits(f.substr(comma + 1));
}

LyricsResult ParseKokText(std::string_view text, PieceArray& pieces) {
    pieces.assign(1, LyricPiece{});
    for (std::string_view line : SplitLines(text)) {
        // Every line start closes the line before it.
        if (pieces.size() > 1) pieces.back().LineBreak = true;
        const auto fields = SplitAt(line, ';');
        for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
            const std::string_view f = fields[i];
            if (IsKokTimeField(f)) {
                std::string number(f);
                number[number.find(',')] = '.';
                const double t = std::round(ParseLeadingNumber(number) * 1000.0) / 1000.0;
                if (pieces.size() > 1) pieces.back().StartTime = t;
                continue;
            }
            if (pieces.size() > kMaxPieces) {
                pieces.assign(1, LyricPiece{});
                return LyricsResult::Fail("the KOK text holds too many pieces");
            }
            LyricPiece p;
            p.PieceText = std::string(f);
            pieces.push_back(std::move(p));
        }
    }
    if (pieces.size() == 1) return LyricsResult::Fail("no KOK text field");
    RebuildLineTexts(pieces);
    return LyricsResult::Ok();
}

LyricsResult LoadKokFile(const std::filesystem::path& mediaPath, LyricsModel& model,
                         const AfterLoadContext& context, CodepageChoice cp) {
    ResetLyricsModel(model);
    auto file = FindSiblingFile(mediaPath, "kok");
    if (!file) return LyricsResult::Fail("no KOK file beside the song");
    TextFileRead read = ReadLyricsTextFile(*file, cp);
    if (!read.ok) return LyricsResult::Fail(read.error);
    LyricsResult r = ParseKokText(read.text, model.Lyrics);
    if (!r) return r;
    model.KokTiming = true;
    RunAfterLoad(model, ForMedia(context, mediaPath.string()));
    return r;
}

std::string ExportKok(const PieceArray& pieces) {
    std::string out;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        out += PieceTextForKok(pieces[i].PieceText) + ";" + KokTime(pieces[i].StartTime) + ";";
        if (pieces[i].LineBreak) out += "\r\n";
    }
    return out;
}

LyricsResult WriteKokFile(const PieceArray& pieces, const std::filesystem::path& path,
                          Codepage cp) {
    if (pieces.size() < 2) return LyricsResult::Fail("there are no lyrics to export");
    return WriteLyricsTextFile(path, ExportKok(pieces), cp);
}

}  // namespace cx
