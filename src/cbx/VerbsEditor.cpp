// cbx verbs of the lyrics editor: edit (time plain words from a tap file).
#include <cmath>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "editor/EditorDocument.h"
#include "editor/EditorFiles.h"
#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/TimeText.h"

namespace cx::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEditUsage =
    "usage: cbx edit WORDS.txt --taps TAPS.txt -o OUT.lrs|OUT.lrc|OUT.kok [options]\n"
    "  Splits plain words into pieces as the lyrics editor does and times them\n"
    "  from a tap file: seconds of the song, one a line, each what the capture\n"
    "  key would have read (the editor keeps it 0.25 s earlier).\n"
    "  --plain               LRC with one time a line (default: a time for every piece)\n"
    "  --codepage auto|1250|1252|28592  code page of the text files (default auto,\n"
    "                        1252 when unsure)\n"
    "  --json                report as JSON\n";

// Tap times, one a line; blank lines and lines starting with "#" are skipped.
bool ReadTaps(const std::string& text, std::vector<double>& taps, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string value = line.substr(start);
        const double t = ParseLeadingNumber(value);
        if (value.find_first_of("0123456789") == std::string::npos || !std::isfinite(t) || t < 0) {
            error = "line " + std::to_string(number) + " of the tap file is not a time: " + value;
            return false;
        }
        taps.push_back(t);
    }
    return true;
}

int Edit(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kEditUsage;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const bool plain = args.Flag("--plain");
    const auto tapsPath = args.Option("--taps");
    auto out = args.Option("-o");
    if (!out) out = args.Option("--output");
    CodepageChoice choice;
    const bool cpKnown = ReadCodepageOption(args, choice);
    if (!args.Error().empty()) return Fail(args.Error() + "\n" + kEditUsage, kExitUsage);
    if (!args.Unknown().empty())
        return Fail("unknown option " + args.Unknown().front() + "\n" + kEditUsage, kExitUsage);
    if (args.Positionals().size() != 1 || !tapsPath || !out) return Fail(kEditUsage, kExitUsage);
    if (!cpKnown) return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
    // 8-bit words are told from their bytes, this code page deciding when
    // unsure; the files written are in it.
    const Codepage cp = choice.codepage;
    const std::string ext = AsciiLower(fs::path(*out).extension().string());
    if (ext != ".lrs" && ext != ".lrc" && ext != ".kok")
        return Fail("the output must end in .lrs, .lrc or .kok", kExitUsage);

    const TextOpen words = OpenTextFile(args.Positionals().front(), cp);
    if (!words.result.ok)
        return Fail(args.Positionals().front() + ": " +
                    (words.result.messageKey == kErrorFilesizeKey ? "the file is too big"
                                                                  : words.result.detail));
    const TextFileRead tapText = ReadLyricsTextFile(*tapsPath, cp);
    if (!tapText.ok) return Fail(*tapsPath + ": " + tapText.error);
    std::vector<double> taps;
    std::string error;
    if (!ReadTaps(tapText.text, taps, error)) return Fail(*tapsPath + ": " + error);

    EditorDocument doc;
    if (doc.Split(words.text) == 0) return Fail(args.Positionals().front() + ": no words");
    // Each tap captures the selected piece and moves on, as the key does.
    int selected = 1;
    int timed = 0;
    for (double tap : taps) {
        if (timed >= doc.Count()) break;
        const CaptureOutcome c = doc.CaptureAt(selected, tap);
        selected = c.selected;
        ++timed;
    }

    EditorFileResult written;
    if (ext == ".lrs")
        written = SaveLyricsAs(doc, *out, cp);
    else if (ext == ".lrc")
        written = ExportLrc(doc, *out, plain ? LrcFlavour::Plain : LrcFlavour::Extended, cp);
    else
        written = ExportKok(doc, *out, cp);
    if (!written.ok) return Fail(*out + ": " + written.detail);
    if (!written.warning.empty()) std::cerr << "cbx: " << written.warning << "\n";

    const int extraTaps = static_cast<int>(taps.size()) - timed;
    if (json) {
        std::cout << "{\"pieces\":" << doc.Count() << ",\"timed\":" << timed << ",\"untimed\":[";
        for (int row = timed + 1; row <= doc.Count(); ++row) {
            if (row > timed + 1) std::cout << ",";
            std::cout << "{\"piece\":" << row
                      << ",\"text\":" << JsonString(doc.Piece(row).PieceText) << "}";
        }
        std::cout << "],\"unusedTaps\":" << extraTaps << ",\"output\":" << JsonString(*out)
                  << "}\n";
        return kExitOk;
    }
    std::cout << doc.Count() << " pieces, " << timed << " timed, written to " << *out << "\n";
    for (int row = timed + 1; row <= doc.Count(); ++row)
        std::cout << "untimed " << row << ": " << doc.Piece(row).PieceText << "\n";
    if (extraTaps > 0) std::cout << extraTaps << " taps left over\n";
    return kExitOk;
}

}  // namespace

std::vector<Verb> EditorVerbs() {
    return {{"edit", "time plain words from a tap file into LRS, LRC or KOK", Edit}};
}

}  // namespace cx::cli
