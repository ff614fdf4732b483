#include "requests/GuestText.h"

#include <charconv>

#include "platform/Codepage.h"

namespace cx {

namespace {

// Members read from one body at most; the page sends five.
constexpr std::size_t kMaxBodyMembers = 32;

bool IsSpace(char32_t cp) {
    return cp == ' ' || (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000;
}

// Characters that could hide or reorder what the host reads on screen.
bool IsDropped(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x200E || cp == 0x200F ||
           (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069) || cp == 0xFEFF;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%') {
            if (text.size() - i < 3) return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A cursor over a JSON text; every read checks the end.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void SkipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool Take(char c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        SkipSpace();
        return m_at == m_text.size();
    }
    char Peek() {
        SkipSpace();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

    std::optional<std::string> String() {
        if (!Take('"')) return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return IsValidUtf8(out) ? std::optional(out) : std::nullopt;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size()) return std::nullopt;
            const char e = m_text[m_at++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    auto cp = Hex4();
                    if (!cp) return std::nullopt;
                    if (*cp >= 0xDC00 && *cp <= 0xDFFF) return std::nullopt;
                    if (*cp >= 0xD800 && *cp <= 0xDBFF) {
                        if (m_text.substr(m_at, 2) != "\\u") return std::nullopt;
                        m_at += 2;
                        auto low = Hex4();
                        if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                        *cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                    }
                    AppendUtf8(out, *cp);
                    break;
                }
                default:
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // A number, true, false or null, as written.
    std::optional<std::string> Scalar() {
        SkipSpace();
        const std::size_t start = m_at;
        for (std::string_view word : {"true", "false", "null"}) {
            if (m_text.substr(m_at, word.size()) == word) {
                m_at += word.size();
                return std::string(word);
            }
        }
        if (m_at < m_text.size() && m_text[m_at] == '-') ++m_at;
        const std::size_t digits = m_at;
        while (m_at < m_text.size() &&
               std::string_view("0123456789.eE+-").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        if (m_at == digits) return std::nullopt;
        return std::string(m_text.substr(start, m_at - start));
    }

private:
    std::optional<char32_t> Hex4() {
        if (m_text.size() - m_at < 4) return std::nullopt;
        char32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = HexValue(m_text[m_at++]);
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<char32_t>(digit);
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace

std::optional<std::string> CleanGuestText(std::string_view text, std::size_t maxBytes) {
    if (!IsValidUtf8(text)) return std::nullopt;
    std::string out;
    bool spacePending = false;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8At(text, i, cp);
        const std::string_view bytes = text.substr(i, length);
        i += length;
        if (IsSpace(cp)) {
            spacePending = !out.empty();
            continue;
        }
        if (IsDropped(cp)) continue;
        const std::size_t needed = bytes.size() + (spacePending ? 1 : 0);
        if (out.size() + needed > maxBytes) break;
        if (spacePending) out += ' ';
        spacePending = false;
        out += bytes;
    }
    return out;
}

std::string JsonString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || c == '<' || c == '>' || c == '&' || c == '/' || c == '\'') {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::optional<std::map<std::string, std::string>> ReadFlatJsonObject(std::string_view json) {
    JsonReader reader(json);
    std::map<std::string, std::string> members;
    if (!reader.Take('{')) return std::nullopt;
    if (reader.Take('}')) return reader.AtEnd() ? std::optional(members) : std::nullopt;
    do {
        auto key = reader.String();
        if (!key || !reader.Take(':')) return std::nullopt;
        auto value = reader.Peek() == '"' ? reader.String() : reader.Scalar();
        if (!value || members.size() >= kMaxBodyMembers) return std::nullopt;
        members.emplace(std::move(*key), std::move(*value));
    } while (reader.Take(','));
    if (!reader.Take('}') || !reader.AtEnd()) return std::nullopt;
    return members;
}

std::optional<std::map<std::string, std::string>> ReadFormBody(std::string_view body) {
    std::map<std::string, std::string> members;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t eq = pair.find('=');
        auto key = PercentDecode(pair.substr(0, eq));
        auto value = PercentDecode(eq == std::string_view::npos ? "" : pair.substr(eq + 1));
        if (!key || !value || members.size() >= kMaxBodyMembers) return std::nullopt;
        members.emplace(std::move(*key), std::move(*value));
    }
    return members;
}

std::optional<std::int64_t> ReadInteger(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace cx
