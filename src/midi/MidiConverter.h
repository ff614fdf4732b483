// The optional external MIDI-to-KAR converter, run with a time limit.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
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
    bool timedOut = false;  // ended at the time limit or when cancelled
    int exitCode = -1;
};

// Starts argv[0] (searched on PATH) with the rest as arguments, without a
// shell and with output discarded, as the leader of a new process group;
// waits at most timeoutMs, or until *cancel turns true, then ends the group.
RunResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs,
                     const std::atomic<bool>* cancel = nullptr);

// Runs "COMMAND MIDI OUTPUT" with OUTPUT "cbtmp.tmp" in tempFolder and returns
// its output, or nothing when the converter is missing, fails, times out or
// writes fewer than kMinConverterOutputBytes (the output file is then deleted).
std::optional<std::string> RunMidiConverter(const std::string& command,
                                            const std::filesystem::path& midi,
                                            const std::filesystem::path& tempFolder, int timeoutMs,
                                            const std::atomic<bool>* cancel = nullptr);

// The converter on a thread of its own, so that the window goes on while it
// works. Destroying the job ends the converter's process group and waits.
class ConverterJob {
public:
    // `finished` is called on the job's thread when the converter is done
    // (not when the job is destroyed first).
    ConverterJob(std::string command, std::filesystem::path midi, std::filesystem::path tempFolder,
                 int timeoutMs, std::function<void()> finished);
    ~ConverterJob();
    ConverterJob(const ConverterJob&) = delete;
    ConverterJob& operator=(const ConverterJob&) = delete;

    bool Finished() const { return m_finished.load(); }
    // The converter's output, once finished; empty when it gave none.
    std::optional<std::string> TakeOutput();

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::optional<std::string> m_output;  // written by the thread before m_finished
    std::thread m_thread;
};

}  // namespace cx
