#include "editor/EditorText.h"

namespace cx {
namespace {

// Splits at CR LF, LF or CR; a line end at the very end adds no empty line.
std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        // Runs of spaces give no empty pieces: the space lives in the word before.
        if (end > start) words.push_back(WithoutBrackets(line.substr(start, end - start)));
        start = end + 1;
    }
    return words;
}

}  // namespace

std::string WithoutBrackets(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '[' && c != ']') out += c;
    return out;
}

int SplitToLyrics(std::string_view text, PieceArray& pieces) {
    if (pieces.empty()) pieces.resize(1);
    int added = 0;
    for (std::string_view line : TextLines(text)) {
        std::vector<std::string> words = Words(line);
        if (words.empty()) words.emplace_back();  // an empty line stays a line
        std::string lineText;
        const std::size_t first = pieces.size();
        for (std::size_t w = 0; w < words.size(); ++w) {
            if (pieces.size() > kMaxSplitPieces) return added;
            LyricPiece piece;
            piece.PieceText = words[w];
            if (w + 1 < words.size())
                piece.PieceText += ' ';
            else
                piece.LineBreak = true;
            lineText += piece.PieceText;
            pieces.push_back(std::move(piece));
            ++added;
        }
        for (std::size_t i = first; i < pieces.size(); ++i) pieces[i].LineText = lineText;
    }
    return added;
}

std::string MergeToText(const PieceArray& pieces) {
    std::string text;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const LyricPiece& p = pieces[i];
        text += p.PieceText;
        if (p.LineBreak || p.PieceText.empty()) text += "\r\n";
    }
    return text;
}

}  // namespace cx
