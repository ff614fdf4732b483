#include "lyrics/UltraStar.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>

#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "platform/AtomicFile.h"
#include "platform/CodepageDetect.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Entries looked at per folder when a name is matched without regard to case.
constexpr std::size_t kMaxFolderEntries = 4096;

// One note as written, before the tempo is known (headers may follow notes).
struct RawNote {
    NoteKind Kind = NoteKind::Normal;
    long long Beat = 0;
    long long Length = 0;
    int Pitch = 0;
    std::string Text;
    std::size_t LineNumber = 0;
};

struct Phrase {
    int Voice = 0;  // 0 solo, 1 or 2, 3 both
    std::vector<RawNote> Notes;
    double Start = 0, End = 0;  // seconds, once timed
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A decimal with a point or a comma, as the song editors of both write it.
std::optional<double> ParseDecimal(std::string_view text) {
    std::string s(Trim(text));
    std::replace(s.begin(), s.end(), ',', '.');
    double v = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || s.empty() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The next whole number after blanks; moves `rest` past it.
std::optional<long long> TakeInteger(std::string_view& rest) {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    std::size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    long long v = 0;
    const std::string_view word = rest.substr(0, n);
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (word.empty() || ec != std::errc() || ptr != word.data() + word.size()) return std::nullopt;
    if (v > kMaxUltraStarBeat || v < -kMaxUltraStarBeat) return std::nullopt;
    rest.remove_prefix(n);
    return v;
}

std::optional<NoteKind> KindOf(char c) {
    switch (c) {
        case ':':
            return NoteKind::Normal;
        case '*':
            return NoteKind::Golden;
        case 'F':
            return NoteKind::Freestyle;
        case 'R':
            return NoteKind::Rap;
        case 'G':
            return NoteKind::RapGolden;
        default:
            return std::nullopt;
    }
}

// The value of one header in raw bytes (headers are ASCII), before decoding.
std::string RawHeader(std::string_view bytes, std::string_view key) {
    for (std::string_view line : SplitLines(bytes.substr(0, kUltraStarSniffBytes))) {
        line = Trim(line);
        if (line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
        if (line.empty()) continue;
        if (line.front() != '#') break;
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && AsciiUpper(line.substr(1, colon - 1)) == key)
            return std::string(Trim(line.substr(colon + 1)));
    }
    return {};
}

std::optional<Codepage> CodepageNamed(std::string name) {
    name.erase(std::remove_if(name.begin(), name.end(),
                              [](char c) { return c == '-' || c == '_' || c == ' '; }),
               name.end());
    name = AsciiUpper(name);
    if (name == "CP1250" || name == "WINDOWS1250") return Codepage::Cp1250;
    if (name == "CP1252" || name == "WINDOWS1252" || name == "ISO88591" || name == "LATIN1")
        return Codepage::Cp1252;
    if (name == "ISO88592" || name == "LATIN2") return Codepage::Iso8859_2;
    return std::nullopt;
}

// UTF-8 of the whole file: a BOM or valid UTF-8 is UTF-8; otherwise a fixed
// choice, the code page #ENCODING names, or detection.
std::string DecodeSong(std::string_view bytes, CodepageChoice cp) {
    if (bytes.substr(0, kBom.size()) == kBom) return std::string(bytes.substr(kBom.size()));
    if (!cp.fixed && !IsValidUtf8(bytes)) {
        if (auto named = CodepageNamed(RawHeader(bytes, "ENCODING")))
            return DecodeCodepage(bytes, *named);
    }
    return DecodeText(bytes, cp);
}

class Reader {
public:
    explicit Reader(UltraStarSong& song) : m_song(song) {}

    void Line(std::string_view line, std::size_t number);
    bool Ended() const { return m_ended; }
    std::vector<Phrase>& Phrases() { return m_phrases; }
    void Warn(std::size_t number, const std::string& why);

private:
    void Header(std::string_view line, std::size_t number);
    void Voice(std::string_view line, std::size_t number);
    void PhraseEnd(std::string_view line, std::size_t number);
    void Note(NoteKind kind, std::string_view line, std::size_t number);
    Phrase& OpenPhrase();

    UltraStarSong& m_song;
    std::vector<Phrase> m_phrases;
    int m_voice = 0;
    std::array<long long, 4> m_base{};          // relative mode: each voice's line start
    std::array<int, 4> m_open{-1, -1, -1, -1};  // each voice's open phrase
    std::size_t m_noteCount = 0;
    bool m_ended = false;
};

void Reader::Warn(std::size_t number, const std::string& why) {
    ++m_song.BadLines;
    if (m_song.Warnings.size() < kMaxUltraStarWarnings)
        m_song.Warnings.push_back("line " + std::to_string(number) + ": " + why);
}

void Reader::Line(std::string_view raw, std::size_t number) {
    const std::string_view line = Trim(raw);
    if (line.empty()) return;
    const char c = line.front();
    if (c == '#') return Header(line, number);
    if (c == 'E' && line.size() == 1) {
        m_ended = true;
        return;
    }
    if (c == 'P' && line.size() > 1 && line.size() <= 3) return Voice(line, number);
    if (c == '-') return PhraseEnd(line, number);
    // The text keeps its own blanks, so the note is read from the untrimmed line.
    const std::string_view note = raw.substr(raw.find(c) + 1);
    if (auto kind = KindOf(c); kind && line.size() > 1 && IsBlank(note.front()))
        return Note(*kind, note, number);
    Warn(number, "not a header, note or phrase end");
}

// Headers that fill a field of the song, and how their numbers scale.
struct TextField {
    const char* Key;
    std::string UltraStarSong::*Field;
};
constexpr TextField kTextFields[] = {
    {"TITLE", &UltraStarSong::Title},          {"ARTIST", &UltraStarSong::Artist},
    {"AUDIO", &UltraStarSong::Audio},          {"VIDEO", &UltraStarSong::Video},
    {"COVER", &UltraStarSong::Cover},          {"BACKGROUND", &UltraStarSong::Background},
    {"VERSION", &UltraStarSong::Version},      {"ENCODING", &UltraStarSong::Encoding},
    {"DUETSINGERP1", &UltraStarSong::Singer1}, {"P1", &UltraStarSong::Singer1},
    {"DUETSINGERP2", &UltraStarSong::Singer2}, {"P2", &UltraStarSong::Singer2},
};
struct NumberField {
    const char* Key;
    double UltraStarSong::*Field;
    double Scale;  // to seconds (gap and end are written in milliseconds)
};
constexpr NumberField kNumberFields[] = {
    {"BPM", &UltraStarSong::Bpm, 1},
    {"GAP", &UltraStarSong::GapSeconds, 0.001},
    {"START", &UltraStarSong::StartSeconds, 1},
    {"END", &UltraStarSong::EndSeconds, 0.001},
    {"VIDEOGAP", &UltraStarSong::VideoGapSeconds, 1},
};

void Reader::Header(std::string_view line, std::size_t number) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return Warn(number, "header without ':'");
    if (m_song.Headers.size() >= kMaxUltraStarHeaders) return Warn(number, "too many headers");
    UltraStarHeader h{AsciiUpper(Trim(line.substr(1, colon - 1))),
                      std::string(Trim(line.substr(colon + 1)))};
    for (const TextField& f : kTextFields)
        if (h.Key == f.Key) m_song.*f.Field = h.Value;
    // The older name of the audio gives way to the newer one.
    if (h.Key == "MP3" && m_song.Audio.empty()) m_song.Audio = h.Value;
    for (const NumberField& f : kNumberFields) {
        if (h.Key != f.Key) continue;
        if (auto d = ParseDecimal(h.Value))
            m_song.*f.Field = *d * f.Scale;
        else
            Warn(number, "#" + h.Key + " is not a number");
    }
    if (h.Key == "RELATIVE") m_song.Relative = AsciiUpper(h.Value) == "YES";
    m_song.Headers.push_back(std::move(h));
}

void Reader::Voice(std::string_view line, std::size_t number) {
    std::string_view rest = line.substr(1);
    const auto v = TakeInteger(rest);
    if (!v || *v < 1 || *v > 3) return Warn(number, "unknown voice " + std::string(line));
    m_voice = static_cast<int>(*v);
    m_song.Duet = true;
}

void Reader::PhraseEnd(std::string_view line, std::size_t number) {
    std::string_view rest = Trim(line.substr(1));
    std::optional<long long> first, second;
    if (!rest.empty() && !(first = TakeInteger(rest)))
        return Warn(number, "phrase end without a beat");
    if (!Trim(rest).empty() && !(second = TakeInteger(rest)))
        return Warn(number, "phrase end with a bad second beat");
    m_open[m_voice] = -1;
    // In relative mode the next line's beats count from here.
    if (m_song.Relative && first) m_base[m_voice] += second ? *second : *first;
}

Phrase& Reader::OpenPhrase() {
    if (m_open[m_voice] < 0) {
        m_open[m_voice] = static_cast<int>(m_phrases.size());
        m_phrases.push_back(Phrase{m_voice, {}, 0, 0});
    }
    return m_phrases[static_cast<std::size_t>(m_open[m_voice])];
}

void Reader::Note(NoteKind kind, std::string_view rest, std::size_t number) {
    const auto beat = TakeInteger(rest);
    const auto length = beat ? TakeInteger(rest) : std::nullopt;
    const auto pitch = length ? TakeInteger(rest) : std::nullopt;
    if (!pitch) return Warn(number, "a note needs a start beat, a length and a pitch");
    if (*length < 0) return Warn(number, "a note of negative length");
    if (*pitch < -kMaxUltraStarPitch || *pitch > kMaxUltraStarPitch)
        return Warn(number, "pitch out of range");
    if (m_noteCount >= kMaxSungNotes) return Warn(number, "too many notes");
    ++m_noteCount;
    // One blank separates the pitch from the text, which may begin with its own.
    if (!rest.empty()) rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    OpenPhrase().Notes.push_back({kind, m_base[m_voice] + *beat, *length, static_cast<int>(*pitch),
                                  std::string(CutLineText(rest)), number});
}

// Piece text of a note: the hold mark '~' is not sung text.
std::string Shown(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '~') out += c;
    return out;
}

bool AllBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsBlank);
}

// Times every note; notes that end up outside any song are dropped.
void TimePhrases(std::vector<Phrase>& phrases, UltraStarSong& song, Reader& reader) {
    for (Phrase& p : phrases) {
        std::vector<RawNote> kept;
        for (RawNote& n : p.Notes) {
            const double t = UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(n.Beat));
            const double end = t + UltraStarBeatSeconds(0, song.Bpm, double(n.Length));
            if (!std::isfinite(end) || std::fabs(t) > kMaxUltraStarSeconds ||
                std::fabs(end) > kMaxUltraStarSeconds) {
                reader.Warn(n.LineNumber, "note beyond the length of any song");
                continue;
            }
            kept.push_back(std::move(n));
        }
        p.Notes = std::move(kept);
        if (p.Notes.empty()) continue;
        p.Start = UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(p.Notes.front().Beat));
        const RawNote& last = p.Notes.back();
        p.End = UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(last.Beat + last.Length));
    }
    phrases.erase(std::remove_if(phrases.begin(), phrases.end(),
                                 [](const Phrase& p) { return p.Notes.empty(); }),
                  phrases.end());
    std::stable_sort(phrases.begin(), phrases.end(),
                     [](const Phrase& a, const Phrase& b) { return a.Start < b.Start; });
}

// Whether one line at a time can show every voice: no two phrases overlap.
bool Interleaves(const std::vector<Phrase>& phrases) {
    for (std::size_t i = 1; i < phrases.size(); ++i)
        if (phrases[i].Start < phrases[i - 1].End) return false;
    return true;
}

void AddNote(SungNotes& notes, const RawNote& n, const UltraStarSong& song, int line, int piece,
             int voice) {
    SungNote s;
    s.StartTime = UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(n.Beat));
    s.Length = UltraStarBeatSeconds(0, song.Bpm, double(n.Length));
    s.Pitch = n.Pitch + 60;
    s.Kind = n.Kind;
    s.Line = line;
    s.Piece = piece;
    // Notes both singers sing count for each of them.
    for (int singer : {1, 2}) {
        if (voice != 3 && voice != singer && !(voice == 0 && singer == 1)) continue;
        s.Singer = voice == 0 ? 0 : singer;
        notes.Notes.push_back(s);
    }
}

// One shown phrase becomes one line of pieces.
void AddLine(const Phrase& p, int line, UltraStarSong& song) {
    PieceArray& pieces = song.Pieces;
    const std::size_t first = pieces.size();
    for (const RawNote& n : p.Notes) {
        std::string text = Shown(n.Text);
        const bool hold = pieces.size() > first && AllBlank(text);
        if (hold) {
            // A held syllable lights the piece it continues.
            pieces.back().PieceText += text;
        } else if (pieces.size() <= kMaxPieces) {
            pieces.push_back({{}, std::move(text), 0, false});
            pieces.back().StartTime =
                UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(n.Beat));
        }
        const int piece = pieces.size() > first ? static_cast<int>(pieces.size() - 1) : 0;
        AddNote(song.Notes, n, song, line, piece, p.Voice);
    }
    if (pieces.size() == first) return;
    // Word spacing inside the line only.
    std::string& head = pieces[first].PieceText;
    head.erase(0, head.find_first_not_of(" \t"));
    std::string& tail = pieces.back().PieceText;
    tail.erase(tail.find_last_not_of(" \t") + 1);
    pieces.back().LineBreak = true;
}

// The shown line on screen at `time`: the last one starting by then.
int LineAt(const std::vector<const Phrase*>& shown, double time) {
    int line = 0;
    for (std::size_t i = 0; i < shown.size() && shown[i]->Start <= time; ++i)
        line = static_cast<int>(i);
    return line;
}

void Assemble(std::vector<Phrase>& phrases, UltraStarSong& song) {
    // A song only the second singer sings shows that singer's lines.
    const bool all =
        !song.Duet || Interleaves(phrases) ||
        std::all_of(phrases.begin(), phrases.end(), [](const Phrase& p) { return p.Voice == 2; });
    std::vector<const Phrase*> shown;
    for (const Phrase& p : phrases)
        if (all || p.Voice != 2) shown.push_back(&p);
    for (std::size_t i = 0; i < shown.size(); ++i) AddLine(*shown[i], static_cast<int>(i), song);
    // The other voice's notes are sung while a shown line is on screen.
    for (const Phrase& p : phrases) {
        if (all || p.Voice != 2) continue;
        for (const RawNote& n : p.Notes) {
            const double t = UltraStarBeatSeconds(song.GapSeconds, song.Bpm, double(n.Beat));
            AddNote(song.Notes, n, song, LineAt(shown, t), 0, p.Voice);
        }
    }
    std::stable_sort(
        song.Notes.Notes.begin(), song.Notes.Notes.end(),
        [](const SungNote& a, const SungNote& b) { return a.StartTime < b.StartTime; });
    if (song.Notes.Notes.size() > kMaxSungNotes) song.Notes.Notes.resize(kMaxSungNotes);
    song.Notes.LineCount = static_cast<int>(shown.size());
    RebuildLineTexts(song.Pieces);
}

// A folder entry named `name` without regard to case; exact names first.
std::optional<fs::path> EntryNamed(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec)) return dir / name;
    const std::string wanted = AsciiLower(name);
    std::size_t seen = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end && seen < kMaxFolderEntries;
         it.increment(ec), ++seen)
        if (AsciiLower(it->path().filename().string()) == wanted) return it->path();
    return std::nullopt;
}

// `relative` under `dir`, each part matched without regard to case.
std::optional<fs::path> ResolveWithoutCase(fs::path dir, const fs::path& relative) {
    for (const fs::path& part : relative) {
        const std::string s = part.string();
        if (s.empty() || s == ".") continue;
        if (s == "..") {
            dir = dir.parent_path();
            continue;
        }
        auto found = EntryNamed(dir, s);
        if (!found) return std::nullopt;
        dir = *found;
    }
    std::error_code ec;
    if (!fs::is_regular_file(dir, ec)) return std::nullopt;
    return dir;
}

std::optional<std::string> ReadHead(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string head(kUltraStarSniffBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

}  // namespace

double UltraStarBeatSeconds(double gapSeconds, double bpm, double beat) {
    return gapSeconds + beat * 60.0 / (bpm * 4.0);
}

UltraStarRead ReadUltraStar(std::string_view bytes, CodepageChoice cp) {
    UltraStarRead out;
    if (bytes.size() > kMaxUltraStarBytes) {
        out.reason =
            "the file is too large for a song (" + std::to_string(bytes.size()) + " bytes)";
        return out;
    }
    const std::string text = DecodeSong(bytes, cp);
    UltraStarSong& song = out.song;
    Reader reader(song);
    std::size_t number = 0;
    for (std::string_view line : SplitLines(text)) {
        reader.Line(line, ++number);
        if (reader.Ended()) break;
    }
    if (!(song.Bpm > 0) || song.Bpm > kMaxUltraStarBeat) {
        out.reason = "no usable #BPM header: the notes cannot be timed";
        return out;
    }
    std::vector<Phrase>& phrases = reader.Phrases();
    TimePhrases(phrases, song, reader);
    if (phrases.empty()) {
        out.reason = "the song has no notes";
        return out;
    }
    Assemble(phrases, song);
    out.ok = song.Pieces.size() > 1;
    if (!out.ok) out.reason = "the song has no notes";
    return out;
}

bool LooksLikeUltraStar(std::string_view bytes) {
    bytes = bytes.substr(0, kUltraStarSniffBytes);
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    bool title = false, bpm = false, note = false;
    for (std::string_view line : SplitLines(bytes)) {
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == '#') {
            const std::string key = AsciiUpper(line.substr(1, line.find(':') - 1));
            title = title || key == "TITLE";
            bpm = bpm || (key == "BPM" && ParseDecimal(line.substr(line.find(':') + 1)));
            continue;
        }
        std::string_view rest = line.substr(1);
        note = KindOf(line.front()) && rest.size() > 1 && IsBlank(rest.front()) &&
               TakeInteger(rest) && TakeInteger(rest) && TakeInteger(rest);
        break;  // the first line that is no header tells
    }
    return bpm && (title || note);
}

bool IsUltraStarFile(const fs::path& path) {
    if (AsciiLower(path.extension().string()) != ".txt") return false;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const auto head = ReadHead(path);
    return head && LooksLikeUltraStar(*head);
}

std::optional<fs::path> FindUltraStarAudio(const fs::path& songFile, std::string* wanted) {
    const auto head = ReadHead(songFile);
    if (!head) return std::nullopt;
    const std::string text = DecodeSong(*head, CodepageChoice{});
    std::string audio = RawHeader(text, "AUDIO");
    if (audio.empty()) audio = RawHeader(text, "MP3");
    std::replace(audio.begin(), audio.end(), '\\', '/');
    if (wanted) *wanted = audio;
    if (audio.empty()) return std::nullopt;
    const fs::path dir = songFile.has_parent_path() ? songFile.parent_path() : fs::path(".");
    const fs::path named(audio);
    if (!named.is_absolute())
        if (auto found = ResolveWithoutCase(dir, named)) return found;
    // A path from another machine: its file name beside the song.
    return ResolveWithoutCase(dir, named.filename());
}

std::optional<fs::path> FindUltraStarFor(const fs::path& media) {
    if (auto same = FindSiblingFile(media, "txt"); same && IsUltraStarFile(*same)) return same;
    const fs::path dir = media.has_parent_path() ? media.parent_path() : fs::path(".");
    std::vector<fs::path> texts;
    std::error_code ec;
    std::size_t seen = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end && seen < kMaxFolderEntries;
         it.increment(ec), ++seen)
        if (AsciiLower(it->path().extension().string()) == ".txt") texts.push_back(it->path());
    std::sort(texts.begin(), texts.end());
    if (texts.size() > kMaxUltraStarFolderTexts) texts.resize(kMaxUltraStarFolderTexts);
    for (const fs::path& text : texts) {
        if (!IsUltraStarFile(text)) continue;
        const auto audio = FindUltraStarAudio(text);
        if (audio && fs::equivalent(*audio, media, ec)) return text;
    }
    return std::nullopt;
}

}  // namespace cx
