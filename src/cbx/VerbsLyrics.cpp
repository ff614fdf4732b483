// cbx verbs of the lyrics formats: lyrics, convert, embed, info, display-block.
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/UltraStarVerbs.h"
#include "cbx/Verbs.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/Id3v2Lyrics.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/LyricsText.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/Mp3Class.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/TimeText.h"
#include "lyrics/UltraStar.h"
#include "midi/MidiInfo.h"
#include "platform/AtomicFile.h"

namespace cx::cli {
namespace {

namespace fs = std::filesystem;

// Reads --codepage; false when the value is wrong (a missing value shows in Error()).
bool ReadCodepage(Args& args, CodepageChoice& cp) {
    return ReadCodepageOption(args, cp) && args.Error().empty();
}

// Checks the words left after the options were taken; exit code or -1 when fine.
int CheckUsage(const Args& args, std::size_t positionals, const char* usage) {
    if (!args.Error().empty()) return Fail(args.Error() + "\n" + usage, kExitUsage);
    if (!args.Unknown().empty())
        return Fail("unknown option " + args.Unknown().front() + "\n" + usage, kExitUsage);
    if (args.Positionals().size() != positionals) return Fail(usage, kExitUsage);
    return -1;
}

std::string Number(double v) {
    return FormatShortestDecimal(v, 3);
}

// Heading sources of a media file: its display block and its tags.
AfterLoadContext ContextFor(const fs::path& media, CodepageChoice cp) {
    AfterLoadContext ctx;
    ctx.Header.MediaPath = media.string();
    std::error_code ec;
    if (!fs::is_regular_file(media, ec)) return ctx;
    if (ReadResult r = ReadWholeFile(media); r.bytes) {
        DisplayBlock block;
        if (ReadDisplayBlock(*r.bytes, media.parent_path().string(), cp, block)) {
            ctx.Header.BlockArtist = block.Artist;
            ctx.Header.BlockTitle = block.Title;
        }
    }
    MP3Class mp3(cp);
    mp3.SetMidiInspector(MidiInspectorFor(cp.codepage));
    mp3.SetFilename(media.string());
    if (mp3.ReadFile()) {
        ctx.Header.TagArtist = mp3.Info().Artist;
        ctx.Header.TagTitle = mp3.Info().Title;
    }
    return ctx;
}

// Lyrics of a lyrics file read directly, the heading from the media file beside it.
bool ReadLyricsFile(const fs::path& file, LyricsModel& model, std::string& source,
                    std::string& error, CodepageChoice cp) {
    const std::string ext = AsciiLower(file.extension().string());
    const AfterLoadContext ctx = ContextFor(VerifyFile(file), cp);
    TextFileRead read = ReadLyricsTextFile(file, cp);
    if (!read.ok) {
        error = read.error;
        return false;
    }
    ResetLyricsModel(model);
    LyricsResult r;
    if (ext == ".lrs") {
        source = "lrs-file";
        const LrsBlockSearch found = FindLrsBlock(read.text);
        if (!found.span) {
            error = found.damaged ? "the LRS block is damaged" : "no LRS block in the file";
            return false;
        }
        r = ParseLrsText(std::string_view(read.text).substr(found.span->begin,
                                                            found.span->end - found.span->begin),
                         model, ctx);
    } else if (ext == ".lrc") {
        source = "lrc";
        LrcTags tags;
        r = ParseLrcText(read.text, model.Lyrics, &tags);
        AfterLoadContext withTags = ctx;
        withTags.Header.LrcArtist = tags.Artist;
        withTags.Header.LrcTitle = tags.Title;
        if (r) RunAfterLoad(model, withTags);
    } else {
        source = "kok";
        r = ParseKokText(read.text, model.Lyrics);
        if (r) {
            model.KokTiming = true;
            RunAfterLoad(model, ctx);
        }
    }
    if (!r) error = r.reason;
    return r.ok;
}

// Lyrics of any file: MIDI/KAR, a lyrics file, or a media file.
bool ReadAnyLyrics(const std::string& path, LyricsModel& model, std::string& source,
                   std::string& error, CodepageChoice cp) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "no such file: " + path;
        return false;
    }
    if (LooksLikeMidiFile(path))
        return LoadMidiLyricsForCli(path, model, source, error, cp.codepage);
    const std::string ext = AsciiLower(fs::path(path).extension().string());
    if (ext == ".lrs" || ext == ".lrc" || ext == ".kok")
        return ReadLyricsFile(path, model, source, error, cp);
    if (IsUltraStarFile(path)) {
        source = "ultrastar";
        return ReadUltraStarLyrics(path, ContextFor(VerifyFile(path), cp), model, error, cp);
    }
    const AfterLoadContext ctx = ContextFor(path, cp);
    const LoadLyricsResult r = LoadLyrics(path, model, ctx, cp);
    source = LyricsSourceName(r.source);
    for (const std::string& problem : r.problems) std::cerr << "cbx: not used: " << problem << "\n";
    // Untimed words come as pieces at 0, one per word, to be timed later.
    if (!r.ok && !r.untimed.empty()) {
        model.Lyrics = SplitUntimedText(r.untimed);
        RunAfterLoad(model, ctx);
        return true;
    }
    if (!r.ok) error = r.reason;
    return r.ok;
}

void PrintModel(const LyricsModel& m, const std::string& source, bool json) {
    if (json) {
        std::cout << "{\"source\": " << JsonString(source)
                  << ", \"header\": " << JsonString(m.LyricsHeader)
                  << ", \"widest\": " << JsonString(m.WidestLine)
                  << ", \"kok_timing\": " << (m.KokTiming ? "true" : "false") << ", \"pieces\": [";
        for (std::size_t i = 1; i < m.Lyrics.size(); ++i) {
            const LyricPiece& p = m.Lyrics[i];
            std::cout << (i > 1 ? ", " : "") << "{\"start\": " << Number(p.StartTime)
                      << ", \"text\": " << JsonString(p.PieceText)
                      << ", \"line\": " << JsonString(p.LineText)
                      << ", \"break\": " << (p.LineBreak ? "true" : "false") << "}";
        }
        std::cout << "]}\n";
        return;
    }
    std::cout << "source: " << source << "\nheader: " << m.LyricsHeader
              << "\nwidest: " << m.WidestLine << "\nkok timing: " << (m.KokTiming ? "yes" : "no")
              << "\npieces: " << m.UpperBound() << "\n";
    for (std::size_t i = 1; i < m.Lyrics.size(); ++i) {
        const LyricPiece& p = m.Lyrics[i];
        std::cout << "  " << i << "\t" << FormatTime(p.StartTime) << "\t[" << p.PieceText << "]"
                  << (p.LineBreak ? "\t(break)" : "") << "\n";
    }
}

int RunLyrics(const VerbArgs& words) {
    const char* usage = "usage: cbx lyrics FILE [--json] [--codepage auto|1250|1252|28592]";
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << usage
                  << "\n\nPrints the timed lyrics of a song (found as the player finds "
                     "them) or of a .lrs, .lrc, .kok or sing-along .txt file.\n  --json  one JSON "
                     "object\n"
                  << kCodepageHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    CodepageChoice cp;
    if (!ReadCodepage(args, cp))
        return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
    if (int code = CheckUsage(args, 1, usage); code >= 0) return code;
    LyricsModel model;
    std::string source = "none", error;
    if (!ReadAnyLyrics(args.Positionals()[0], model, source, error, cp))
        return Fail(error.empty() ? "no lyrics found" : error);
    PrintModel(model, source, json);
    return kExitOk;
}

int RunConvert(const VerbArgs& words) {
    const char* usage =
        "usage: cbx convert IN [--to lrs|lrc|lrc-extended|kok] -o OUT [--codepage "
        "auto|1250|1252|28592]";
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << usage
                  << "\n\nReads lyrics as `cbx lyrics` does and writes them in another "
                     "format (without --to, the one OUT's extension names).\n"
                  << kCodepageHelp;
        return kExitOk;
    }
    const auto to = args.Option("--to");
    const auto out = args.Option("-o");
    CodepageChoice cp;
    if (!ReadCodepage(args, cp))
        return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
    if (int code = CheckUsage(args, 1, usage); code >= 0) return code;
    if (!out) return Fail(usage, kExitUsage);
    // Without --to the output's extension names the format.
    const std::string ext = AsciiLower(fs::path(*out).extension().string());
    const std::string format = to ? *to : ext.empty() ? ext : ext.substr(1);
    if (format != "lrs" && format != "lrc" && format != "lrc-extended" && format != "kok")
        return Fail("--to takes lrs, lrc, lrc-extended or kok", kExitUsage);
    LyricsModel model;
    std::string source, error;
    if (!ReadAnyLyrics(args.Positionals()[0], model, source, error, cp))
        return Fail(error.empty() ? "no lyrics found" : error);
    LyricsResult r;
    if (format == "lrs")
        r = WriteLrsFile(model.Lyrics, *out, cp.codepage);
    else if (format == "kok")
        r = WriteKokFile(model.Lyrics, *out, cp.codepage);
    else
        r = WriteLrcFile(model.Lyrics, format == "lrc" ? LrcFlavour::Plain : LrcFlavour::Extended,
                         *out, cp.codepage);
    if (!r) return Fail(r.reason);
    if (!r.warning.empty()) std::cerr << "cbx: warning: " << r.warning << "\n";
    return kExitOk;
}

int RunEmbed(const VerbArgs& words) {
    const char* usage = "usage: cbx embed LYRICS MEDIA [--codepage auto|1250|1252|28592]";
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << usage
                  << "\n\nStores the lyrics of any lyrics file inside MEDIA as an LRS "
                     "block, replacing an earlier one.\n"
                  << kCodepageHelp;
        return kExitOk;
    }
    CodepageChoice cp;
    if (!ReadCodepage(args, cp))
        return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
    if (int code = CheckUsage(args, 2, usage); code >= 0) return code;
    const auto pos = args.Positionals();
    LyricsModel model;
    std::string source, error;
    if (!ReadAnyLyrics(pos[0], model, source, error, cp))
        return Fail(error.empty() ? "no lyrics found" : error);
    std::error_code ec;
    if (!fs::is_regular_file(pos[1], ec)) return Fail("no such file: " + pos[1]);
    const LyricsResult r = WriteLrsIntoMedia(model.Lyrics, pos[1], cp.codepage);
    if (!r) return Fail(r.reason);
    if (!r.warning.empty()) std::cerr << "cbx: warning: " << r.warning << "\n";
    return kExitOk;
}

void PrintInfo(const MP3Info& i, bool json) {
    const std::pair<const char*, std::string> texts[] = {
        {"Filename", i.Filename},
        {"BaseName", i.BaseName},
        {"format", i.format},
        {"channels", i.channels},
        {"Title", i.Title},
        {"Artist", i.Artist},
        {"Album", i.Album},
        {"Year", i.Year},
        {"Comment", i.Comment},
        {"Track", i.Track},
        {"Genre", i.Genre},
        {"Title1", i.Title1},
        {"Artist1", i.Artist1},
        {"Album1", i.Album1},
        {"Year1", i.Year1},
        {"Comment1", i.Comment1},
        {"Track1", i.Track1},
        {"Genre1", i.Genre1},
        {"Title2", i.Title2},
        {"Artist2", i.Artist2},
        {"Album2", i.Album2},
        {"Year2", i.Year2},
        {"Comment2", i.Comment2},
        {"Track2", i.Track2},
        {"Genre2", i.Genre2},
        {"Composer", i.Composer},
        {"Copyright", i.Copyright},
        {"url", i.url},
        {"Encoded", i.Encoded},
        {"OriginalArtist", i.OriginalArtist},
        {"Lyrycist", i.Lyrycist},
        {"Lyrics", i.Lyrics},
        {"LyricsAuthor", i.LyricsAuthor},
        {"LyricsArtist", i.LyricsArtist},
        {"LyricsAlbum", i.LyricsAlbum},
        {"LyricsTitle", i.LyricsTitle},
        {"LyricsPicture", i.LyricsPicture},
        {"MPEGInfo", i.MPEGInfo},
        {"WAVInfo", i.WAVInfo},
    };
    const std::pair<const char*, std::string> numbers[] = {
        {"Length", Number(i.Length)},
        {"samplerate", std::to_string(i.samplerate)},
        {"Bitrate", std::to_string(i.Bitrate)},
        {"LyricsSize", std::to_string(i.LyricsSize)},
        {"LyricsVersion", std::to_string(i.LyricsVersion)},
        {"LyricsExist", i.LyricsExist ? "true" : "false"},
        {"ID3v1Exist", i.ID3v1Exist ? "true" : "false"},
        {"ID3v2Exist", i.ID3v2Exist ? "true" : "false"},
    };
    if (json) {
        std::cout << "{";
        bool first = true;
        for (const auto& [k, v] : texts) {
            std::cout << (first ? "" : ", ") << JsonString(k) << ": " << JsonString(v);
            first = false;
        }
        for (const auto& [k, v] : numbers) std::cout << ", " << JsonString(k) << ": " << v;
        std::cout << "}\n";
        return;
    }
    for (const auto& [k, v] : numbers) std::cout << k << ": " << v << "\n";
    for (const auto& [k, v] : texts) {
        if (v.empty()) continue;
        std::string shown = v;
        // Multi-line texts are indented under their name.
        for (std::size_t p = shown.find("\r\n"); p != std::string::npos;
             p = shown.find("\r\n", p + 3))
            shown.replace(p, 2, "\n  ");
        std::cout << k << ": " << (shown.find('\n') != std::string::npos ? "\n  " : "") << shown
                  << "\n";
    }
}

// The shared front of the verbs that inspect one file: help, --json,
// --codepage and one path. Gives an exit code when the verb is already done.
std::optional<int> ReadInspectArgs(const VerbArgs& words, const char* usage, const char* about,
                                   bool& json, CodepageChoice& cp, std::string& path) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << usage << "\n\n" << about << "\n  --json  one JSON object\n" << kCodepageHelp;
        return kExitOk;
    }
    json = args.Flag("--json");
    if (!ReadCodepage(args, cp))
        return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
    if (int code = CheckUsage(args, 1, usage); code >= 0) return code;
    path = args.Positionals()[0];
    return std::nullopt;
}

int RunInfo(const VerbArgs& words) {
    bool json = false;
    CodepageChoice cp;
    std::string path;
    if (auto done = ReadInspectArgs(
            words, "usage: cbx info FILE [--json] [--codepage auto|1250|1252|28592]",
            "Prints a song's kind, length, technical data and tags.", json, cp, path))
        return *done;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return Fail("no such file: " + path);
    if (IsUltraStarFile(path)) return PrintUltraStarInfo(path, json, cp);
    MP3Class mp3(cp);
    mp3.SetMidiInspector(MidiInspectorFor(cp.codepage));
    mp3.SetFilename(path);
    if (!mp3.ReadFile()) return Fail(mp3.Error());
    mp3.ReadTag();
    PrintInfo(mp3.Info(), json);
    return kExitOk;
}

void PrintDisplayBlock(const DisplayBlock& b, bool json) {
    const std::pair<const char*, int> numbers[] = {
        {"ForeColor", b.ForeColor},
        {"HighlightColor", b.HighlightColor},
        {"OutlineColor1", b.OutlineColor1},
        {"OutlineColor2", b.OutlineColor2},
        {"OutlineColor3", b.OutlineColor3},
        {"OutlineColor4", b.OutlineColor4},
        {"BackColor", b.BackColor},
        {"Alignment", b.Alignment},
        {"Layout", b.Layout},
    };
    if (json) {
        std::cout << "{\"Artist\": " << JsonString(b.Artist)
                  << ", \"Title\": " << JsonString(b.Title)
                  << ", \"Picture\": " << JsonString(b.Picture);
        for (const auto& [k, v] : numbers) std::cout << ", " << JsonString(k) << ": " << v;
        std::cout << ", \"Images\": [";
        for (std::size_t i = 1; i < b.Images.size(); ++i) {
            const PictureEntry& e = b.Images[i];
            std::cout << (i > 1 ? ", " : "") << "{\"Path\": " << JsonString(e.Path)
                      << ", \"Time\": " << e.Time << ", \"Effect\": " << JsonString(e.Effect)
                      << ", \"EffectDetail\": " << JsonString(e.EffectDetail)
                      << ", \"Speed\": " << e.Speed << "}";
        }
        std::cout << "], \"Schedule\": [";
        for (std::size_t i = 1; i < b.Schedule.size(); ++i)
            std::cout << (i > 1 ? ", " : "") << "{\"Time\": " << b.Schedule[i].Time
                      << ", \"Index\": " << b.Schedule[i].Index << "}";
        std::cout << "]}\n";
        return;
    }
    std::cout << "Artist: " << b.Artist << "\nTitle: " << b.Title << "\nPicture: " << b.Picture
              << "\n";
    for (const auto& [k, v] : numbers) std::cout << k << ": " << v << "\n";
    std::cout << "Images: " << b.Images.size() - 1 << "\n";
    for (std::size_t i = 1; i < b.Images.size(); ++i) {
        const PictureEntry& e = b.Images[i];
        std::cout << "  " << i << "\t" << e.Time << " s\t" << e.Path << "\t" << e.Effect << " "
                  << e.Speed << " " << e.EffectDetail << "\n";
    }
    std::cout << "Schedule:\n";
    for (std::size_t i = 1; i < b.Schedule.size(); ++i)
        std::cout << "  " << FormatMinSec(b.Schedule[i].Time) << "\timage " << b.Schedule[i].Index
                  << "\n";
}

int RunDisplayBlock(const VerbArgs& words) {
    bool json = false;
    CodepageChoice cp;
    std::string file;
    if (auto done = ReadInspectArgs(
            words, "usage: cbx display-block FILE [--json] [--codepage auto|1250|1252|28592]",
            "Prints the song display block stored in a media file (title, colours, pictures) and "
            "its picture schedule.",
            json, cp, file))
        return *done;
    const fs::path path = file;
    ReadResult r = ReadWholeFile(path);
    if (!r.bytes) return Fail(r.error);
    DisplayBlock block;
    // Relative picture paths belong to the song's folder, wherever cbx runs.
    std::error_code ec;
    const fs::path folder = fs::absolute(path, ec).parent_path();
    if (!ReadDisplayBlock(*r.bytes, folder.string(), cp, block))
        return Fail("no display block in " + path.string());
    PrintDisplayBlock(block, json);
    return kExitOk;
}

}  // namespace

std::vector<Verb> LyricsVerbs() {
    return {
        {"lyrics", "print the timed lyrics of a song or lyrics file", RunLyrics},
        {"convert", "convert lyrics between LRS, LRC and KOK", RunConvert},
        {"embed", "store lyrics inside a media file as an LRS block", RunEmbed},
        {"info", "print a song's kind, length, technical data and tags", RunInfo},
        {"display-block", "print a song's display block and picture schedule", RunDisplayBlock},
    };
}

}  // namespace cx::cli
