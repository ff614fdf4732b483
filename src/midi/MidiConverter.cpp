#include "midi/MidiConverter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

#include "platform/AtomicFile.h"

extern char** environ;

namespace cx {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

// The converter leads a process group of its own: a script that starts
// other programs is ended with all of them.
void EndGroup(pid_t pid, int* status = nullptr) {
    kill(-pid, SIGKILL);
    int ignored = 0;
    waitpid(pid, status ? status : &ignored, 0);
}

int WaitWithLimit(pid_t pid, int timeoutMs, const std::atomic<bool>* cancel, bool& timedOut) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Looked at, not reaped: while the leader is unreaped its id stays ours.
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
            return -1;
        if (info.si_pid == pid) break;
        if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) {
            timedOut = true;
            EndGroup(pid);
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    // What the converter left running in its group goes with it.
    int status = 0;
    EndGroup(pid, &status);
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

RunResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs,
                     const std::atomic<bool>* cancel) {
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
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    r.started = true;
    r.exitCode = WaitWithLimit(pid, timeoutMs, cancel, r.timedOut);
    return r;
}

std::optional<std::string> RunMidiConverter(const std::string& command,
                                            const std::filesystem::path& midi,
                                            const std::filesystem::path& tempFolder, int timeoutMs,
                                            const std::atomic<bool>* cancel) {
    if (tempFolder.empty()) return std::nullopt;
    std::vector<std::string> argv = SplitCommandLine(command);
    if (argv.empty()) return std::nullopt;
    const std::filesystem::path out = tempFolder / "cbtmp.tmp";
    // A converter that writes nothing leaves this tiny file behind.
    if (!WriteFileAtomically(out, "s\r\n").empty()) return std::nullopt;
    argv.push_back(midi.string());
    argv.push_back(out.string());
    const RunResult run = RunAndWait(argv, timeoutMs, cancel);
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

ConverterJob::ConverterJob(std::string command, std::filesystem::path midi,
                           std::filesystem::path tempFolder, int timeoutMs,
                           std::function<void()> finished) {
    m_thread =
        std::thread([this, command = std::move(command), midi = std::move(midi),
                     temp = std::move(tempFolder), timeoutMs, finished = std::move(finished)] {
            m_output = RunMidiConverter(command, midi, temp, timeoutMs, &m_cancel);
            m_finished = true;
            if (finished && !m_cancel) finished();
        });
}

ConverterJob::~ConverterJob() {
    m_cancel = true;
    if (m_thread.joinable()) m_thread.join();
}

std::optional<std::string> ConverterJob::TakeOutput() {
    if (!Finished()) return std::nullopt;
    return std::exchange(m_output, std::nullopt);
}

}  // namespace cx
