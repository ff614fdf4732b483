#include "lyrics/Id3v2Lyrics.h"

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <algorithm>
#include <array>
#include <fstream>

#include "lyrics/LrcFormat.h"
#include "lyrics/LyricsText.h"

namespace cx {
namespace {

constexpr std::size_t kHeaderBytes = 10;

unsigned Byte(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Seconds of one audio frame of the first MPEG frame header in `audio`;
// 1152 samples at 44.1 kHz when none is found.
double SecondsPerFrame(std::string_view audio) {
    static constexpr std::array<std::array<int, 3>, 4> kRates = {{
        {11025, 12000, 8000},   // MPEG 2.5
        {0, 0, 0},              // reserved
        {22050, 24000, 16000},  // MPEG 2
        {44100, 48000, 32000},  // MPEG 1
    }};
    for (std::size_t i = 0; i + 3 < audio.size(); ++i) {
        if (Byte(audio, i) != 0xFF || (Byte(audio, i + 1) & 0xE0) != 0xE0) continue;
        const unsigned version = (Byte(audio, i + 1) >> 3) & 3;
        const unsigned layer = (Byte(audio, i + 1) >> 1) & 3;
        const unsigned rateIndex = (Byte(audio, i + 2) >> 2) & 3;
        if (version == 1 || layer == 0 || rateIndex == 3) continue;
        const int rate = kRates[version][rateIndex];
        const int samples = layer == 3 ? 384 : (layer == 1 && version != 3) ? 576 : 1152;
        return static_cast<double>(samples) / rate;
    }
    return 1152.0 / 44100.0;
}

std::string Text(const TagLib::String& s, CodepageChoice cp) {
    if (!s.isLatin1()) return s.to8Bit(true);
    return DecodeText(s.to8Bit(false), cp);
}

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Entries start a line with a line end before their text (the usual way) or
// end one with a line end after it; a frame without any line end times
// whole lines.
void AppendSyltEntry(PieceArray& pieces, double time, std::string text, bool linesOnly) {
    const bool startsLine = !text.empty() && IsLineEnd(text.front());
    const bool endsLine = !text.empty() && IsLineEnd(text.back());
    text.erase(std::remove_if(text.begin(), text.end(), IsLineEnd), text.end());
    if (startsLine && pieces.size() > 1) pieces.back().LineBreak = true;
    LyricPiece p;
    p.StartTime = time;
    p.PieceText = std::string(CutLineText(text));
    p.LineBreak = linesOnly || endsLine;
    pieces.push_back(std::move(p));
}

PieceArray SyltPieces(const TagLib::ID3v2::SynchronizedLyricsFrame& frame, double frameSeconds,
                      CodepageChoice cp) {
    const bool inFrames =
        frame.timestampFormat() == TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMpegFrames;
    const double unit = inFrames ? frameSeconds : 0.001;
    const auto entries = frame.synchedText();
    bool anyLineEnd = false;
    for (const auto& e : entries) {
        const std::string t = Text(e.text, cp);
        anyLineEnd = anyLineEnd || std::any_of(t.begin(), t.end(), IsLineEnd);
    }
    PieceArray pieces(1);
    for (const auto& e : entries) {
        if (pieces.size() > kMaxSyltEntries) break;
        AppendSyltEntry(pieces, e.time * unit, Text(e.text, cp), !anyLineEnd);
    }
    SortLyricsByTime(pieces);
    if (pieces.size() > 1) pieces.back().LineBreak = false;
    RebuildLineTexts(pieces);
    return pieces;
}

// The lyrics frame among several (languages, kinds of text): the first that
// holds lyrics, else the first.
const TagLib::ID3v2::SynchronizedLyricsFrame* PickSylt(const TagLib::ID3v2::FrameList& frames) {
    const TagLib::ID3v2::SynchronizedLyricsFrame* first = nullptr;
    for (auto* f : frames) {
        const auto* s = dynamic_cast<const TagLib::ID3v2::SynchronizedLyricsFrame*>(f);
        if (!s || s->synchedText().isEmpty()) continue;
        if (s->type() == TagLib::ID3v2::SynchronizedLyricsFrame::Lyrics) return s;
        if (!first) first = s;
    }
    return first;
}

}  // namespace

std::size_t Id3v2TagLength(std::string_view head) {
    if (head.size() < kHeaderBytes || head.substr(0, 3) != "ID3") return 0;
    std::size_t size = 0;
    for (std::size_t i = 6; i < kHeaderBytes; ++i) {
        if (Byte(head, i) & 0x80) return 0;  // sizes are synchsafe
        size = (size << 7) | Byte(head, i);
    }
    const bool footer = (Byte(head, 5) & 0x10) != 0;
    return kHeaderBytes + size + (footer ? kHeaderBytes : 0);
}

ReadResult ReadSongHead(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, "cannot open " + path.string()};
    std::string head(kHeaderBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t tag = std::min(Id3v2TagLength(head), kMaxId3v2TagBytes);
    const std::size_t wanted = tag + kAudioProbeBytes;
    const std::size_t had = head.size();
    head.resize(wanted);
    in.read(head.data() + had, static_cast<std::streamsize>(wanted - had));
    head.resize(had + static_cast<std::size_t>(in.gcount()));
    return {std::move(head), {}};
}

Id3v2Lyrics ReadId3v2Lyrics(std::string_view head, CodepageChoice cp) {
    Id3v2Lyrics out;
    const std::size_t length = Id3v2TagLength(head);
    if (length == 0) {
        out.reason = "no ID3v2 tag";
        return out;
    }
    if (length > kMaxId3v2TagBytes || length > head.size()) {
        out.reason = "the ID3v2 tag is cut short or too large";
        return out;
    }
    // TagLib reads the tag from a private copy of its bytes, never the song.
    TagLib::ByteVector bytes(head.data(), static_cast<unsigned int>(head.size()));
    TagLib::ByteVectorStream stream(bytes);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    TagLib::ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag(false) : nullptr;
    if (!tag) {
        out.reason = "the ID3v2 tag cannot be read";
        return out;
    }
    const auto& frames = tag->frameListMap();
    if (auto it = frames.find("SYLT"); it != frames.end()) {
        if (const auto* sylt = PickSylt(it->second))
            out.Timed = SyltPieces(*sylt, SecondsPerFrame(head.substr(length)), cp);
    }
    if (auto it = frames.find("USLT"); it != frames.end()) {
        for (auto* f : it->second) {
            const auto* u = dynamic_cast<const TagLib::ID3v2::UnsynchronizedLyricsFrame*>(f);
            if (!u || u->text().isEmpty()) continue;
            std::string text = Text(u->text(), cp);
            std::string lf;
            for (std::string_view line : SplitLines(text)) lf += std::string(line) + "\n";
            out.Untimed = lf.substr(0, lf.empty() ? 0 : lf.size() - 1);
            break;
        }
    }
    if (out.Timed.size() < 2 && out.Untimed.empty()) out.reason = "the ID3v2 tag holds no lyrics";
    return out;
}

PieceArray SplitUntimedText(std::string_view text) {
    PieceArray pieces(1);
    for (std::string_view line : SplitLines(text)) {
        std::size_t at = 0;
        const std::size_t before = pieces.size();
        while (at < line.size() && pieces.size() <= kMaxPieces) {
            std::size_t end = line.find(' ', at);
            end = end == std::string_view::npos ? line.size() : line.find_first_not_of(' ', end);
            if (end == std::string_view::npos) end = line.size();
            LyricPiece p;
            p.PieceText = std::string(line.substr(at, end - at));
            pieces.push_back(std::move(p));
            at = end;
        }
        if (pieces.size() > before) pieces.back().LineBreak = true;
    }
    if (pieces.size() > 1) pieces.back().LineBreak = false;
    RebuildLineTexts(pieces);
    return pieces;
}

}  // namespace cx
