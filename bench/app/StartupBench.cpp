// Start-up of the real player, measured as a user sees it: from launching
// the program to its window's first painted frame, and from there to the
// song's first sound. Launches the player several times with a song on its
// command line (CANTABILEX_STARTUP_TRACE=quit makes it print its phases and
// end) and prints the median run with its phases.
// Usage: cx_startup_bench PLAYER SONG [RUNS]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double frameMs = -1;  // launch to first frame
    double soundMs = -1;  // launch to first sound
    std::string phases;
};

double Since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A home of its own, so the user's settings and last list stay out of it.
void UseScratchHome(const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "config");
    std::filesystem::create_directories(home / "data");
    std::filesystem::create_directories(home / "runtime");
    std::filesystem::permissions(home / "runtime", std::filesystem::perms::owner_all);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    setenv("CANTABILEX_STARTUP_TRACE", "quit", 1);
    if (!getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
}

Run LaunchOnce(const std::string& player, const std::string& song) {
    int out[2];
    if (pipe(out) != 0) return {};
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(player.c_str(), player.c_str(), song.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    Run run;
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1) {
        if (c != '\n') {
            line.push_back(c);
            continue;
        }
        if (line.rfind("startup:", 0) == 0) {
            run.phases += line + "\n";
            if (line.find("first frame") != std::string::npos) run.frameMs = Since(t0);
            if (line.find("first sound") != std::string::npos) run.soundMs = Since(t0);
        }
        line.clear();
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PLAYER SONG [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("cx-startup-" + std::to_string(getpid()));
    UseScratchHome(home);
    LaunchOnce(argv[1], argv[2]);  // warms the disk cache and writes first settings
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) all.push_back(LaunchOnce(argv[1], argv[2]));
    std::filesystem::remove_all(home);
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.frameMs < b.frameMs; });
    const Run& median = all[all.size() / 2];
    if (median.frameMs < 0) {
        std::fprintf(stderr, "the player showed no frame (is there a display?)\n");
        return 1;
    }
    std::printf("start-up, median of %d: first frame %.1f ms after launch", runs, median.frameMs);
    if (median.soundMs >= 0)
        std::printf(", first sound %.1f ms after launch (%.1f ms after the frame)", median.soundMs,
                    median.soundMs - median.frameMs);
    std::printf("\nphases of that run (from main):\n%s", median.phases.c_str());
    return 0;
}
