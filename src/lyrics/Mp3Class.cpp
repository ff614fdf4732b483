#include "lyrics/Mp3Class.h"

#include <mpg123.h>
#include <taglib/fileref.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/tag.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "lyrics/Lyrics3.h"
#include "lyrics/TimeText.h"
#include "lyrics/WavHeader.h"
#include "platform/AtomicFile.h"
#include "platform/CodepageDetect.h"
#include "platform/PrivateTemp.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

// Enough of the file's end to hold the largest Lyrics3 block and the ID3v1 tag.
constexpr std::size_t kTailBytes = kLyrics3MaxBlock + 15 + kId3v1Size;
// Enough of a WAV file's start to reach its data chunk in practice.
constexpr std::size_t kWavHeadBytes = 1u << 20;
constexpr std::size_t kKindProbeBytes = 64;

std::uint64_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto n = fs::file_size(path, ec);
    return ec ? 0 : n;
}

std::string ReadRange(const std::string& path, bool fromEnd, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::uint64_t size = FileSize(path);
    const std::uint64_t n = std::min<std::uint64_t>(count, size);
    if (fromEnd) in.seekg(static_cast<std::streamoff>(size - n));
    std::string out(n, '\0');
    in.read(out.data(), static_cast<std::streamsize>(n));
    out.resize(static_cast<std::size_t>(in.gcount()));
    return out;
}

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}

// The code page 8-bit fields are written in: the preferred one when it holds
// every text, else the first that does. Readers tell it from the bytes, so
// Polish words written under another language come back as written.
Codepage HoldingCodepage(std::initializer_list<std::string_view> texts, Codepage preferred) {
    for (Codepage cp : {preferred, Codepage::Cp1250, Codepage::Cp1252, Codepage::Iso8859_2}) {
        bool holds = true;
        for (std::string_view t : texts)
            holds = holds && DecodeCodepage(EncodeCodepage(t, cp), cp) == t;
        if (holds) return cp;
    }
    return preferred;
}

// A text frame stored as Latin-1 often holds another code page's bytes (Polish
// tags written on a Polish system): such text is read as our other 8-bit texts.
std::string TagText(const TagLib::String& s, CodepageChoice cp) {
    if (!s.isLatin1()) return Utf8(s);
    return DecodeText(s.to8Bit(false), cp);
}

// What mpg123 tells about an MPEG audio file.
struct MpegFacts {
    bool ok = false;
    double length = 0;
    long frames = 0;
    mpg123_frameinfo info{};
};

MpegFacts ProbeMpeg(const std::string& path) {
    MpegFacts f;
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) return f;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK &&
        mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK && rate > 0 &&
        mpg123_info(mh, &f.info) == MPG123_OK && mpg123_scan(mh) == MPG123_OK) {
        const off_t samples = mpg123_length(mh);
        f.frames = static_cast<long>(mpg123_framelength(mh));
        if (samples > 0) {
            f.length = static_cast<double>(samples) / static_cast<double>(rate);
            f.ok = true;
        }
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    return f;
}

std::string VersionText(int v) {
    switch (v) {
        case MPG123_1_0:
            return "MPEG 1";
        case MPG123_2_0:
            return "MPEG 2";
        default:
            return "MPEG 2.5";
    }
}

std::string LayerText(int layer) {
    return layer == 1 ? "Layer I" : layer == 2 ? "Layer II" : "Layer III";
}

std::string ModeText(int mode) {
    switch (mode) {
        case MPG123_M_STEREO:
            return "Stereo";
        case MPG123_M_JOINT:
            return "Joint Stereo";
        case MPG123_M_DUAL:
            return "Dual Channel";
        default:
            return "Mono";
    }
}

std::string EmphasisText(int e) {
    switch (e) {
        case 0:
            return "None";
        case 1:
            return "50/15 ms";
        case 3:
            return "CCITT J.17";
        default:
            return "Reserved";
    }
}

std::string YesNo(bool v) {
    return v ? "Yes" : "No";
}

std::string FrameText(const TagLib::ID3v2::Tag* tag, const char* id) {
    const auto& map = tag->frameListMap();
    auto it = map.find(id);
    if (it == map.end() || it->second.isEmpty()) return {};
    return Utf8(it->second.front()->toString());
}

// Runs a TagLib edit on a private copy of `bytes` (named with the song's
// extension) and gives back the edited bytes; `bytes` is kept on failure.
bool EditBytes(const std::string& path, std::string& bytes,
               const std::function<bool(const std::string&)>& edit, std::string& error) {
    PrivateTemp temp;
    if (temp.Folder().empty()) {
        error = "cannot create a private temporary folder";
        return false;
    }
    const fs::path copy = temp.File("edit" + fs::path(path).extension().string());
    if (!WriteFileAtomically(copy, bytes).empty() || !edit(copy.string())) {
        error = "cannot edit the tags of " + path;
        return false;
    }
    ReadResult edited = ReadWholeFile(copy);
    if (!edited.bytes) {
        error = edited.error;
        return false;
    }
    bytes = std::move(*edited.bytes);
    return true;
}

// Runs a TagLib edit on a private copy, then replaces the file atomically
// with the result, so the original is intact if anything fails.
bool EditCopy(const std::string& path, const std::function<bool(const std::string&)>& edit,
              std::string& error) {
    ReadResult r = ReadWholeFile(path);
    if (!r.bytes) {
        error = r.error;
        return false;
    }
    if (!EditBytes(path, *r.bytes, edit, error)) return false;
    error = WriteFileAtomically(path, *r.bytes);
    return error.empty();
}

// The information text from TagLib's reading of the first frame, for MPEG
// files mpg123 cannot decode.
std::string TagLibMpegInfo(const std::string& path, std::uint64_t size) {
    TagLib::MPEG::File f(path.c_str(), true, TagLib::AudioProperties::Average);
    const TagLib::MPEG::Properties* p = f.isValid() ? f.audioProperties() : nullptr;
    if (!p) return {};
    const char* version = p->version() == TagLib::MPEG::Header::Version1   ? "MPEG 1"
                          : p->version() == TagLib::MPEG::Header::Version2 ? "MPEG 2"
                                                                           : "MPEG 2.5";
    std::string mode = "Mono";
    switch (p->channelMode()) {
        case TagLib::MPEG::Header::Stereo:
            mode = "Stereo";
            break;
        case TagLib::MPEG::Header::JointStereo:
            mode = "Joint Stereo";
            break;
        case TagLib::MPEG::Header::DualChannel:
            mode = "Dual Channel";
            break;
        default:
            break;
    }
    return "Size: " + std::to_string(size) +
           " bytes\r\nLength: " + std::to_string(std::lround(p->lengthInMilliseconds() / 1000.0)) +
           " seconds\r\n" + version + " " + LayerText(p->layer()) + "\r\n" +
           std::to_string(p->bitrate()) + " kbit\r\n" + std::to_string(p->sampleRate()) + "Hz " +
           mode + "\r\nCRCs: " + YesNo(p->protectionEnabled()) +
           "\r\nCopyrighted: " + YesNo(p->isCopyrighted()) +
           "\r\nOriginal: " + YesNo(p->isOriginal());
}

}  // namespace

void MP3Class::ZeroValues() {
    m_info = MP3Info{};
    m_error.clear();
}

void MP3Class::SetFilename(const std::string& path) {
    ZeroValues();
    m_savedId3v1.clear();
    m_info.Filename = path;
    m_info.BaseName = fs::path(path).stem().string();
}

bool MP3Class::ReadFile() {
    m_error.clear();
    // Enough to tell the kind; each kind reads what it needs.
    const std::string head = ReadRange(m_info.Filename, false, kKindProbeBytes);
    if (head.empty()) {
        m_error = FileSize(m_info.Filename) == 0 && fs::exists(m_info.Filename)
                      ? "the file is empty: " + m_info.Filename
                      : "cannot read " + m_info.Filename;
        return false;
    }
    // A RIFF "RMID" file wraps a MIDI file; the MIDI reader unwraps it.
    if (head.compare(0, 4, "MThd") == 0 ||
        (head.size() >= 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "RMID") == 0))
        return ReadMidi();
    if (LooksLikeWav(head)) return ReadWav();
    return ReadOther();
}

bool MP3Class::ReadMidi() {
    m_info.format = "MIDI";
    MidiFacts facts;
    if (!m_midi || !m_midi(m_info.Filename, facts)) {
        m_error = "the MIDI file could not be read";
        return false;
    }
    m_info.Title = facts.Title;
    m_info.Artist = facts.Artist;
    if (m_info.Title.empty() && m_info.Artist.empty()) m_info.Title = m_info.BaseName;
    m_info.Length = facts.LengthSeconds;
    if (m_info.Length == 0) m_error = "the MIDI file has no length";
    return m_info.Length != 0;
}

bool MP3Class::ReadWav() {
    const std::string head = ReadRange(m_info.Filename, false, kWavHeadBytes);
    const WavHeader h = ParseWavHeader(head, FileSize(m_info.Filename));
    if (!h.ok || h.BytesPerSecond == 0 || h.DataSize == 0) {
        m_error = "the WAV file holds no sound data it describes";
        return false;
    }
    m_info.format = "WAV";
    m_info.samplerate = static_cast<long>(h.SampleRate);
    m_info.Length = static_cast<double>(h.DataSize) / h.BytesPerSecond;
    m_info.channels = h.Channels == 1 ? "Mono" : h.Channels == 2 ? "Stereo" : "Multichannel";
    return true;
}

bool MP3Class::ReadOther() {
    const std::string& path = m_info.Filename;
    TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Average);
    const bool known = !ref.isNull() && ref.audioProperties();
    const bool mpeg = known && dynamic_cast<TagLib::MPEG::File*>(ref.file()) != nullptr;
    if (mpeg || !known) {
        // mpg123 measures MPEG audio exactly, also when the name does not say MP3.
        const MpegFacts f = ProbeMpeg(path);
        if (f.ok) {
            m_info.format = "MP3";
            m_info.Length = f.length;
            m_info.Bitrate = f.info.bitrate;
            m_info.samplerate = f.info.rate;
            m_info.channels = ModeText(f.info.mode);
            const std::string tail = ReadRange(path, true, kId3v1Size);
            ReadId3v1Tag(tail);
            ReadId3v2Tag();
            return true;
        }
    }
    if (!known || ref.audioProperties()->lengthInMilliseconds() <= 0) {
        m_error = "not an audio file that can be measured: " + path;
        return false;
    }
    const auto* props = ref.audioProperties();
    m_info.Length = props->lengthInMilliseconds() / 1000.0;
    m_info.samplerate = props->sampleRate();
    if (mpeg) {
        // MPEG audio that mpg123 cannot decode but TagLib measures: still an
        // MP3, with TagLib's figures and the tags found by their bytes.
        m_info.format = "MP3";
        m_info.Bitrate = props->bitrate();
        m_info.channels = props->channels() == 1 ? "Mono" : "Stereo";
        ReadId3v1Tag(ReadRange(path, true, kId3v1Size));
        ReadId3v2Tag();
        return true;
    }
    if (ref.tag()) {
        m_info.Title = Utf8(ref.tag()->title());
        m_info.Artist = Utf8(ref.tag()->artist());
    }
    return true;
}

void MP3Class::ReadLyrics3Tag(const std::string& tail) {
    const Lyrics3Block b = ReadLyrics3(tail);
    if (!b.Exists) return;
    m_info.LyricsExist = true;
    m_info.LyricsSize = static_cast<long>(b.Size);
    m_info.LyricsVersion = b.Version;
    m_info.Lyrics = DecodeText(b.Lyrics, m_cp);
    m_info.LyricsAuthor = DecodeText(b.Author, m_cp);
    m_info.LyricsArtist = DecodeText(b.Artist, m_cp);
    m_info.LyricsAlbum = DecodeText(b.Album, m_cp);
    m_info.LyricsTitle = DecodeText(b.Title, m_cp);
    m_info.LyricsPicture = DecodeText(b.Picture, m_cp);
}

void MP3Class::ReadId3v1Tag(const std::string& tail) {
    Id3v1Values v;
    if (!HasId3v1(tail) || !ParseId3v1(tail.substr(tail.size() - kId3v1Size), v)) return;
    m_info.ID3v1Exist = true;
    // The fields are short: their code page is told from all of them at once.
    const std::string all = v.Title + " " + v.Artist + " " + v.Album + " " + v.Comment;
    const CodepageChoice cp =
        CodepageChoice::Fixed(CodepageOfText(all, m_cp).value_or(m_cp.codepage));
    m_info.Title = m_info.Title1 = DecodeText(v.Title, cp);
    m_info.Artist = m_info.Artist1 = DecodeText(v.Artist, cp);
    m_info.Album = m_info.Album1 = DecodeText(v.Album, cp);
    m_info.Year = m_info.Year1 = DecodeText(v.Year, cp);
    m_info.Comment = m_info.Comment1 = DecodeText(v.Comment, cp);
    m_info.Track = m_info.Track1 = v.Track ? std::to_string(v.Track) : std::string();
    m_info.Genre = m_info.Genre1 = GenreName(v.Genre);
}

namespace {

long AppendedId3v2Offset(const std::string& path) {
    return static_cast<long>(
        FindAppendedId3v2(ReadRange(path, true, kId3v1Size + 10), FileSize(path)));
}

}  // namespace

void MP3Class::ReadId3v2Tag() {
    TagLib::MPEG::File f(m_info.Filename.c_str(), false);
    if (!f.isValid()) return;
    std::unique_ptr<TagLib::ID3v2::Tag> appended;
    const TagLib::ID3v2::Tag* tag = nullptr;
    if (f.hasID3v2Tag()) {
        tag = f.ID3v2Tag();
    } else if (const long at = AppendedId3v2Offset(m_info.Filename); at >= 0) {
        appended = std::make_unique<TagLib::ID3v2::Tag>(&f, at);
        if (!appended->isEmpty()) tag = appended.get();
    }
    if (!tag) return;
    m_info.ID3v2Exist = true;
    m_info.Title = m_info.Title2 = TagText(tag->title(), m_cp);
    m_info.Artist = m_info.Artist2 = TagText(tag->artist(), m_cp);
    m_info.Album = m_info.Album2 = TagText(tag->album(), m_cp);
    m_info.Year = m_info.Year2 = tag->year() ? std::to_string(tag->year()) : std::string();
    m_info.Comment = m_info.Comment2 = TagText(tag->comment(), m_cp);
    m_info.Track = m_info.Track2 = tag->track() ? std::to_string(tag->track()) : std::string();
    m_info.Genre = m_info.Genre2 = Utf8(tag->genre());
    m_info.Composer = FrameText(tag, "TCOM");
    m_info.Copyright = FrameText(tag, "TCOP");
    m_info.url = FrameText(tag, "WXXX");
    m_info.Encoded = FrameText(tag, "TENC");
    m_info.OriginalArtist = FrameText(tag, "TOPE");
    m_info.Lyrycist = FrameText(tag, "TEXT");
}

void MP3Class::ReadTag() {
    const std::string& path = m_info.Filename;
    const std::string tail = ReadRange(path, true, kTailBytes);
    ReadLyrics3Tag(tail);
    const std::uint64_t size = FileSize(path);
    if (m_info.format == "WAV") {
        const WavHeader h = ParseWavHeader(ReadRange(path, false, kWavHeadBytes), size);
        m_info.WAVInfo = "File size: " + std::to_string(size) +
                         " bytes\r\nLength: " + FormatMinSec(m_info.Length) +
                         "\r\nFormat: " + std::to_string(h.FormatTag) +
                         "\r\nMode: " + m_info.channels +
                         "\r\nChannels: " + std::to_string(h.Channels) +
                         "\r\nSample rate: " + std::to_string(h.SampleRate) +
                         " Hz\r\nBits per sample: " + std::to_string(h.BitsPerSample) +
                         "\r\nBytes per second: " + std::to_string(h.BytesPerSecond) +
                         "\r\nHeader size: " + std::to_string(h.HeaderSize);
        return;
    }
    if (m_info.format != "MP3") return;
    const MpegFacts f = ProbeMpeg(path);
    if (f.ok) {
        m_info.MPEGInfo = "Size: " + std::to_string(size) +
                          " bytes\r\nLength: " + std::to_string(std::lround(f.length)) +
                          " seconds\r\n" + VersionText(f.info.version) + " " +
                          LayerText(f.info.layer) + "\r\n" + std::to_string(f.info.bitrate) +
                          " kbit, " + std::to_string(f.frames) + " frames\r\n" +
                          std::to_string(f.info.rate) + "Hz " + ModeText(f.info.mode) +
                          "\r\nCRCs: " + YesNo(f.info.flags & MPG123_CRC) +
                          "\r\nCopyrighted: " + YesNo(f.info.flags & MPG123_COPYRIGHT) +
                          "\r\nOriginal: " + YesNo(f.info.flags & MPG123_ORIGINAL) +
                          "\r\nEmphasis: " + EmphasisText(f.info.emphasis);
    } else {
        m_info.MPEGInfo = TagLibMpegInfo(path, size);
    }
    ReadId3v1Tag(tail);
    ReadId3v2Tag();
}

LyricsResult MP3Class::RemoveTag() {
    std::string error;
    const bool ok = EditCopy(
        m_info.Filename,
        [](const std::string& copy) {
            TagLib::MPEG::File f(copy.c_str(), false);
            return f.isValid() && f.strip(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2);
        },
        error);
    return ok ? LyricsResult::Ok() : LyricsResult::Fail(error);
}

std::string MP3Class::RemoveBaseTag() {
    ReadResult r = ReadWholeFile(m_info.Filename);
    if (!r.bytes) return {};
    const Id3v1Split split = SplitId3v1(*r.bytes);
    if (split.tag.empty()) return {};
    if (!WriteFileAtomically(m_info.Filename, split.body).empty()) return {};
    m_savedId3v1 = std::string(split.tag);
    return "ID3v1";
}

LyricsResult MP3Class::SaveBaseTag(const std::string& kind) {
    if (kind != "ID3v1" || m_savedId3v1.empty()) return LyricsResult::Ok();
    ReadResult r = ReadWholeFile(m_info.Filename);
    if (!r.bytes) return LyricsResult::Fail(r.error);
    const std::string err = WriteFileAtomically(m_info.Filename, *r.bytes + m_savedId3v1);
    return err.empty() ? LyricsResult::Ok() : LyricsResult::Fail(err);
}

LyricsResult MP3Class::SaveLyrics(const std::string& author, const std::string& artist,
                                  const std::string& title, const std::string& album,
                                  const std::string& picture, const std::string& lyrics) {
    const Codepage cp =
        HoldingCodepage({author, artist, title, album, picture, lyrics}, m_cp.codepage);
    Lyrics3Fields fields{EncodeCodepage(author, cp),  EncodeCodepage(artist, cp),
                         EncodeCodepage(title, cp),   EncodeCodepage(album, cp),
                         EncodeCodepage(picture, cp), EncodeCodepage(lyrics, cp)};
    std::string error;
    const std::string block = BuildLyrics3Block(fields, error);
    if (block.empty()) return LyricsResult::Fail(error);
    ReadResult r = ReadWholeFile(m_info.Filename);
    if (!r.bytes) return LyricsResult::Fail(r.error);
    error = WriteFileAtomically(m_info.Filename, ReplaceLyrics3(*r.bytes, block));
    return error.empty() ? LyricsResult::Ok() : LyricsResult::Fail(error);
}

// Both tags go into the file with one rename, so a crash or kill leaves
// either the old file or the one with both new tags.
bool ValidTrackText(std::string_view text, bool id3v1) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return true;
    const auto digits = [](std::string_view d) {
        return !d.empty() && d.size() <= 9 &&
               d.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const std::size_t slash = text.find('/');
    const std::string_view number = text.substr(0, slash);
    if (!digits(number)) return false;
    if (id3v1)
        return slash == std::string_view::npos && std::stoi(std::string(number)) <= kMaxId3v1Track;
    return slash == std::string_view::npos || digits(text.substr(slash + 1));
}

int MP3Class::SaveId3Tag(const TagValues& v1, const TagValues& v2, bool writeV1, bool writeV2) {
    m_lossyFields.clear();
    if (!writeV1 && !writeV2) return kSaveTagOk;
    // A track number we would drop on the way is refused, not lost.
    if ((writeV1 && !ValidTrackText(v1.Track, true)) ||
        (writeV2 && !ValidTrackText(v2.Track, false)))
        return kSaveTagBadTrack;
    ReadResult r = ReadWholeFile(m_info.Filename);
    if (!r.bytes) {
        if (writeV1 && writeV2) return kSaveTagBothFailed;
        return writeV1 ? kSaveTagV1Failed : kSaveTagV2Failed;
    }
    std::string bytes = std::move(*r.bytes);
    bool ok2 = true;
    std::string error;
    if (writeV2) {
        ok2 = EditBytes(
            m_info.Filename, bytes,
            [&](const std::string& copy) {
                TagLib::MPEG::File f(copy.c_str(), false);
                if (!f.isValid()) return false;
                TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
                tag->setTitle(TagLib::String(v2.Title, TagLib::String::UTF8));
                tag->setArtist(TagLib::String(v2.Artist, TagLib::String::UTF8));
                tag->setAlbum(TagLib::String(v2.Album, TagLib::String::UTF8));
                tag->setComment(TagLib::String(v2.Comment, TagLib::String::UTF8));
                tag->setGenre(TagLib::String(v2.Genre, TagLib::String::UTF8));
                tag->setYear(static_cast<unsigned>(std::max(0.0, ParseLeadingNumber(v2.Year))));
                tag->setTrack(static_cast<unsigned>(std::max(0.0, ParseLeadingNumber(v2.Track))));
                return f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
            },
            error);
    }
    if (writeV1) {
        // ID3v1 has no other encoding: it is written in the first code page
        // that holds every field; what none holds becomes "?", and the caller
        // is told which fields lost characters.
        const Codepage cp = HoldingCodepage(
            {CutSp(v1.Title), CutSp(v1.Artist), CutSp(v1.Album), CutSp(v1.Year), CutSp(v1.Comment)},
            m_cp.codepage);
        const auto encode = [&](const char* name, const std::string& text) {
            const std::string utf8 = CutSp(text);
            std::string bytes8 = EncodeCodepage(utf8, cp);
            if (DecodeCodepage(bytes8, cp) != utf8) m_lossyFields.emplace_back(name);
            return bytes8;
        };
        Id3v1Values v;
        v.Title = encode("Title", v1.Title);
        v.Artist = encode("Artist", v1.Artist);
        v.Album = encode("Album", v1.Album);
        v.Year = encode("Year", v1.Year);
        v.Comment = encode("Comment", v1.Comment);
        v.Track = static_cast<int>(ParseLeadingNumber(v1.Track));
        v.Genre = GenreNumber(v1.Genre);
        bytes = std::string(SplitId3v1(bytes).body) + BuildId3v1(v);
    }
    const bool written = (writeV1 || ok2) && WriteFileAtomically(m_info.Filename, bytes).empty();
    const bool ok1 = writeV1 ? written : true;
    if (writeV2) ok2 = ok2 && written;
    if (!ok1 && !ok2) return kSaveTagBothFailed;
    if (!ok1) return kSaveTagV1Failed;
    return ok2 ? kSaveTagOk : kSaveTagV2Failed;
}

}  // namespace cx
