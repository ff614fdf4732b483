#include "midi/MidiConverter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/AtomicFile.h"

extern char** environ;

namespace cx {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

int WaitWithLimit(pid_t pid, int timeoutMs, bool& timedOut) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord && words.size() < kMaxCommandWords) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord && words.size() < kMaxCommandWords) words.push_back(word);
    return words;
}

RunResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs) {
    RunResult r;
    if (argv.empty()) return r;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    r.started = true;
    r.exitCode = WaitWithLimit(pid, timeoutMs, r.timedOut);
    return r;
}

std::optional<std::string> RunMidiConverter(const std::string& command,
                                            const std::filesystem::path& midi,
                                            const std::filesystem::path& tempFolder,
                                            int timeoutMs) {
    if (tempFolder.empty()) return std::nullopt;
    std::vector<std::string> argv = SplitCommandLine(command);
    if (argv.empty()) return std::nullopt;
    const std::filesystem::path out = tempFolder / "cbtmp.tmp";
    // A converter that writes nothing leaves this tiny file behind.
    if (!WriteFileAtomically(out, "s\r\n").empty()) return std::nullopt;
    argv.push_back(midi.string());
    argv.push_back(out.string());
    const RunResult run = RunAndWait(argv, timeoutMs);
    std::optional<std::string> result;
    if (run.started && !run.timedOut) {
        ReadResult read = ReadWholeFile(out, kMaxConverterOutputBytes);
        if (read.bytes && read.bytes->size() >= kMinConverterOutputBytes)
            result = std::move(read.bytes);
    }
    std::error_code ec;
    std::filesystem::remove(out, ec);
    return result;
}

}  // namespace cx
