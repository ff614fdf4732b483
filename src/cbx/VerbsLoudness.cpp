// cbx loudness: a song's integrated loudness and true peak, as the player
// measures it for levelling.
#include <cmath>
#include <cstdio>
#include <iostream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "loudness/Loudness.h"

namespace cx::cli {
namespace {

const char* kLoudnessHelp =
    "usage: cbx loudness FILE [--json] [--soundfont SF2]\n"
    "Measures a song as the player levels it: integrated loudness (EBU R128) in\n"
    "LUFS and true peak in dBTP. Audio songs are decoded, MIDI/KAR songs rendered\n"
    "through the synth (with SF2, or the first SoundFont found), CD+G songs\n"
    "measured through the audio file beside them. Silence has no integrated\n"
    "loudness: it prints -inf (null in JSON).\n";

// One decimal, as loudness is read; silence is -inf (text) or null (JSON).
std::string Level(double v, bool json) {
    if (!std::isfinite(v)) return json ? "null" : "-inf";
    char buf[32];
    std::snprintf(buf, sizeof buf, json ? "%.2f" : "%.1f", v);
    return buf;
}

int RunLoudness(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kLoudnessHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto font = args.Option("--soundfont");
    const auto pos = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (pos.size() != 1 || !args.Unknown().empty())
        return Fail("usage: cbx loudness FILE [--json] [--soundfont SF2]", kExitUsage);
    MeasureOptions options;
    options.soundFont = font.value_or("");
    std::string error;
    const auto reading = MeasureLoudness(pos[0], options, error);
    if (!reading) return Fail(pos[0] + ": " + error);
    if (json) {
        std::cout << "{\"file\":" << JsonString(pos[0])
                  << ",\"integrated_lufs\":" << Level(reading->integratedLufs, true)
                  << ",\"true_peak_dbtp\":" << Level(reading->truePeakDbtp, true) << "}\n";
    } else {
        std::cout << "integrated loudness: " << Level(reading->integratedLufs, false)
                  << " LUFS\ntrue peak: " << Level(reading->truePeakDbtp, false) << " dBTP\n";
    }
    return kExitOk;
}

}  // namespace

std::vector<Verb> LoudnessVerbs() {
    return {{"loudness", "a song's integrated loudness (LUFS) and true peak (dBTP)", RunLoudness}};
}

}  // namespace cx::cli
