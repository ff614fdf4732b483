#include "lyrics/LrsFormat.h"

#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/TimeText.h"

namespace cx {

LrsBlockSearch FindLrsBlock(std::string_view text) {
    LrsBlockSearch out;
    const std::size_t p = text.rfind(kLrsBegin);
    const std::size_t q = text.rfind(kLrsEnd);
    if (p == std::string_view::npos || q == std::string_view::npos) return out;
    if (q < p) {
        out.damaged = true;
        return out;
    }
    out.span = LrsBlockSpan{p, q};
    return out;
}

namespace {

// Parses one lyric line into `pieces`; false when text stands outside a tag.
bool ParseLrsLine(std::string_view line, PieceArray& pieces) {
    const std::size_t base = pieces.size();
    std::string lineText;
    for (std::string_view part : SplitAt(line, '[')) {
        if (part.empty()) continue;
        const std::size_t close = part.find(']');
        if (close == std::string_view::npos) return false;
        std::string tag(part.substr(0, close));
        const std::string_view text = part.substr(close + 1);
        // An empty tag "[]" times nothing; its text is dropped with it.
        if (tag.empty()) continue;
        if (pieces.size() > kMaxPieces) return false;
        const std::size_t comma = tag.find(',');
        if (comma != std::string::npos) tag[comma] = '.';
        LyricPiece piece;
        piece.StartTime = ParseLeadingNumber(tag);
        piece.PieceText = std::string(text);
        pieces.push_back(std::move(piece));
        if (lineText.size() <= kMaxLineTextBytes) lineText += CutLineText(text);
    }
    // The line's last piece closes it, whatever empty parts follow.
    if (pieces.size() > base) pieces.back().LineBreak = true;
    const std::string shown(CutLineText(lineText));
    for (std::size_t i = base; i < pieces.size(); ++i) pieces[i].LineText = shown;
    return true;
}

LyricsResult ParseLrsPieces(std::string_view block, PieceArray& out) {
    PieceArray pieces(1);
    int lineNo = 0;
    for (std::string_view line : SplitLines(block)) {
        ++lineNo;
        if (line.empty() || line.front() == '#') continue;
        if (!ParseLrsLine(line, pieces)) {
            out.assign(1, LyricPiece{});
            return LyricsResult::Fail("line " + std::to_string(lineNo) +
                                      " of the LRS block holds text outside a time tag");
        }
        if (pieces.size() > kMaxPieces) {
            out.assign(1, LyricPiece{});
            return LyricsResult::Fail("the LRS block holds too many pieces");
        }
    }
    if (pieces.size() > 1) pieces.back().LineBreak = false;
    out = std::move(pieces);
    return LyricsResult::Ok();
}

// "[" would start a new tag and a line end would split the line: neither can
// be stored, so they become "(" and a space instead of a file that fails to read.
std::string PieceTextForLrs(std::string text) {
    for (char& c : text) {
        if (c == '[') c = '(';
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

LyricsResult ParseLrsText(std::string_view block, LyricsModel& model,
                          const AfterLoadContext& context) {
    ResetLyricsModel(model);
    LyricsResult r = ParseLrsPieces(block, model.Lyrics);
    if (!r) return r;
    RunAfterLoad(model, context);
    return r;
}

LyricsResult ParseLrsTextForEditor(std::string_view block, PieceArray& pieces) {
    return ParseLrsPieces(block, pieces);
}

std::string BuildLrsBlock(const PieceArray& pieces) {
    std::string text = std::string(kLrsBegin) + "\r\n";
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        text += "[" + FormatShortestDecimal(pieces[i].StartTime, 3) + "]";
        text += PieceTextForLrs(pieces[i].PieceText);
        if (pieces[i].LineBreak && i + 1 < pieces.size()) text += "\r\n";
    }
    text += "\r\n";
    text += kLrsEnd;
    return text;
}

LyricsResult WriteLrsFile(const PieceArray& pieces, const std::filesystem::path& path,
                          Codepage cp) {
    return WriteLyricsTextFile(path, BuildLrsBlock(pieces), cp);
}

}  // namespace cx
