#include "cbx/UltraStarVerbs.h"

#include <iostream>

#include "cbx/CliArgs.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/TimeText.h"
#include "lyrics/UltraStar.h"
#include "platform/AtomicFile.h"

namespace cx::cli {
namespace {

std::string Number(double v) {
    return FormatShortestDecimal(v, 3);
}

int CountKind(const SungNotes& notes, NoteKind kind) {
    int n = 0;
    for (const SungNote& note : notes.Notes) n += note.Kind == kind;
    return n;
}

void PrintJson(const UltraStarSong& s, const std::string& audio, bool audioFound) {
    std::cout << "{\"kind\": \"ultrastar\", \"title\": " << JsonString(s.Title)
              << ", \"artist\": " << JsonString(s.Artist) << ", \"audio\": " << JsonString(audio)
              << ", \"audio_found\": " << (audioFound ? "true" : "false")
              << ", \"bpm\": " << Number(s.Bpm) << ", \"gap\": " << Number(s.GapSeconds)
              << ", \"start\": " << Number(s.StartSeconds) << ", \"end\": " << Number(s.EndSeconds)
              << ", \"relative\": " << (s.Relative ? "true" : "false")
              << ", \"duet\": " << (s.Duet ? "true" : "false")
              << ", \"notes\": " << s.Notes.Notes.size() << ", \"lines\": " << s.Notes.LineCount
              << ", \"headers\": [";
    for (std::size_t i = 0; i < s.Headers.size(); ++i)
        std::cout << (i ? ", " : "") << "{\"key\": " << JsonString(s.Headers[i].Key)
                  << ", \"value\": " << JsonString(s.Headers[i].Value) << "}";
    std::cout << "], \"warnings\": [";
    for (std::size_t i = 0; i < s.Warnings.size(); ++i)
        std::cout << (i ? ", " : "") << JsonString(s.Warnings[i]);
    std::cout << "]}\n";
}

}  // namespace

bool ReadUltraStarLyrics(const std::filesystem::path& file, const AfterLoadContext& context,
                         LyricsModel& model, std::string& error, CodepageChoice cp) {
    SungNotes notes;
    std::vector<std::string> problems;
    LrcTags names;
    const LyricsResult r = LoadUltraStarFile(file, model, context, cp, notes, problems, names);
    for (const std::string& problem : problems) std::cerr << "cbx: " << problem << "\n";
    if (!r) error = r.reason;
    return r.ok;
}

int PrintUltraStarInfo(const std::filesystem::path& file, bool json, CodepageChoice cp) {
    ReadResult bytes = ReadWholeFile(file, kMaxUltraStarBytes);
    if (!bytes.bytes) return Fail(bytes.error);
    const UltraStarRead r = ReadUltraStar(*bytes.bytes, cp);
    if (!r.ok) return Fail(file.filename().string() + ": " + r.reason);
    std::string wanted;
    const auto audio = FindUltraStarAudio(file, &wanted);
    const UltraStarSong& s = r.song;
    if (json) {
        PrintJson(s, audio ? audio->string() : wanted, audio.has_value());
        return kExitOk;
    }
    std::cout << "format: UltraStar\nTitle: " << s.Title << "\nArtist: " << s.Artist
              << "\nAudio: " << (audio ? audio->string() : wanted + " (missing)")
              << "\nBPM: " << Number(s.Bpm) << "\nGap: " << Number(s.GapSeconds) << " s"
              << "\nStart: " << Number(s.StartSeconds) << " s\nEnd: " << Number(s.EndSeconds)
              << " s\nRelative: " << (s.Relative ? "yes" : "no")
              << "\nDuet: " << (s.Duet ? "yes (" + s.Singer1 + ", " + s.Singer2 + ")" : "no")
              << "\nNotes: " << s.Notes.Notes.size() << " (golden "
              << CountKind(s.Notes, NoteKind::Golden) + CountKind(s.Notes, NoteKind::RapGolden)
              << ", freestyle " << CountKind(s.Notes, NoteKind::Freestyle) << ", rap "
              << CountKind(s.Notes, NoteKind::Rap) + CountKind(s.Notes, NoteKind::RapGolden)
              << ")\nLines: " << s.Notes.LineCount << "\nHeaders:\n";
    for (const UltraStarHeader& h : s.Headers)
        std::cout << "  #" << h.Key << ":" << h.Value << "\n";
    for (const std::string& w : s.Warnings) std::cout << "warning: " << w << "\n";
    return kExitOk;
}

}  // namespace cx::cli
