// The optional external MIDI-to-KAR converter, run with a time limit.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

// Output below this size means the converter wrote nothing useful.
inline constexpr std::size_t kMinConverterOutputBytes = 1000;
inline constexpr std::size_t kMaxConverterOutputBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxCommandWords = 64;

// Splits a command line at blanks; double quotes group words.
std::vector<std::string> SplitCommandLine(std::string_view line);

struct RunResult {
    bool started = false;
    bool timedOut = false;  // killed after the time limit
    int exitCode = -1;
};

// Starts argv[0] (searched on PATH) with the rest as arguments, without a
// shell and with output discarded; waits at most timeoutMs.
RunResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs);

// Runs "COMMAND MIDI OUTPUT" with OUTPUT "cbtmp.tmp" in tempFolder and returns
// its output, or nothing when the converter is missing, fails, times out or
// writes fewer than kMinConverterOutputBytes (the output file is then deleted).
std::optional<std::string> RunMidiConverter(const std::string& command,
                                            const std::filesystem::path& midi,
                                            const std::filesystem::path& tempFolder, int timeoutMs);

}  // namespace cx
