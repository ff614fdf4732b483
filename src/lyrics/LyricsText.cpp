#include "lyrics/LyricsText.h"

namespace cx {

LineEnd FindLineEnd(std::string_view text, std::size_t from) {
    LineEnd end;
    const std::size_t p = text.find_first_of("\r\n", from);
    if (p == std::string_view::npos) return end;
    end.at = p;
    end.length = (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ? 2 : 1;
    return end;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const LineEnd end = FindLineEnd(text, start);
        if (end.at == std::string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end.at - start));
        start = end.at + end.length;
    }
}

std::vector<std::string_view> SplitAt(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = text.find(sep, start);
        if (p == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}

EncodedText EncodeLyricsText(std::string_view utf8, Codepage cp, bool bomAllowed) {
    EncodedText out;
    out.bytes = EncodeCodepage(utf8, cp);
    if (DecodeCodepage(out.bytes, cp) == utf8) return out;
    out.bytes = bomAllowed ? "\xEF\xBB\xBF" + std::string(utf8) : std::string(utf8);
    out.warning = std::string("the text holds characters outside code page ") +
                  std::to_string(CodepageNumber(cp)) + "; written as UTF-8";
    return out;
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace cx
