#include "lyrics/LyricsModel.h"

#include <filesystem>

namespace cx {

int FixedWidthMeasure(const std::string& utf8) {
    int count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

void ResetLyricsModel(LyricsModel& model) {
    model.Lyrics.assign(1, LyricPiece{});
    model.LyricsHeader.clear();
    // A piece index from the previous song must not point past the new one.
    model.CurrentPiece = 0;
}

namespace {

std::string JoinHeader(const std::string& artist, const std::string& title) {
    if (!artist.empty() && !title.empty()) return artist + "|" + title;
    return artist.empty() ? title : artist;
}

}  // namespace

std::string BuildLyricsHeader(const HeaderSources& s) {
    if (!s.BlockArtist.empty() || !s.BlockTitle.empty())
        return JoinHeader(s.BlockArtist, s.BlockTitle);
    if (!s.TagArtist.empty() || !s.TagTitle.empty()) return JoinHeader(s.TagArtist, s.TagTitle);
    if (!s.LrcArtist.empty() || !s.LrcTitle.empty()) return JoinHeader(s.LrcArtist, s.LrcTitle);
    if (s.MediaPath.empty()) return {};
    return std::filesystem::path(s.MediaPath).stem().string();
}

std::string FindWidestLine(const PieceArray& pieces, const MeasureText& measure) {
    std::string widest;
    int best = -1;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::string& line = pieces[i].LineText;
        // The pieces of a line share its text: measure it once.
        if (i > 1 && line == pieces[i - 1].LineText) continue;
        const int w = measure ? measure(line) : FixedWidthMeasure(line);
        // Widths are kept in 16 bits by the drawing side; clamp the same way.
        const int clamped = w > 32767 ? 32767 : w;
        if (clamped > best) {
            best = clamped;
            widest = line;
        }
    }
    return widest;
}

AfterLoadContext ForMedia(AfterLoadContext context, const std::string& mediaPath) {
    if (context.Header.MediaPath.empty()) context.Header.MediaPath = mediaPath;
    return context;
}

void RunAfterLoad(LyricsModel& model, const AfterLoadContext& context) {
    model.LyricsHeader = BuildLyricsHeader(context.Header);
    model.WidestLine = FindWidestLine(model.Lyrics, context.Measure);
}

std::string_view CutLineText(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t n = maxBytes;
    // Step back over continuation bytes so no character is split.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

void RebuildLineTexts(PieceArray& pieces) {
    std::size_t lineStart = 1;
    std::string text;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        if (text.size() <= kMaxLineTextBytes) text += CutLineText(pieces[i].PieceText);
        const bool last = i + 1 == pieces.size();
        if (pieces[i].LineBreak || last) {
            const std::string line(CutLineText(text));
            for (std::size_t k = lineStart; k <= i; ++k) pieces[k].LineText = line;
            text.clear();
            lineStart = i + 1;
        }
    }
}

}  // namespace cx
