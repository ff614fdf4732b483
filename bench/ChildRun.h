// Runs a program as a child process and measures it: wall seconds, CPU
// seconds and peak resident memory, for side-by-side benchmarks against a
// reference tool.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace cx::bench {

struct ChildResult {
    bool ran = false;  // started and exited with status 0
    int status = -1;
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMb = 0;
};

// The program's path when `name` is found on PATH, else empty.
inline std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path p = std::filesystem::path(dir) / name;
        if (::access(p.c_str(), X_OK) == 0) return p.string();
    }
    return {};
}

// Runs argv[0] with its arguments; stdout goes to `outFile` when given.
inline ChildResult RunChild(const std::vector<std::string>& argv, const std::string& outFile = {}) {
    ChildResult r;
    std::fflush(stdout);  // the child must not print our buffered lines again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return r;
    if (pid == 0) {
        if (!outFile.empty() && !std::freopen(outFile.c_str(), "w", stdout)) ::_exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kB on Linux
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.ran = r.status == 0;
    return r;
}

// A fresh folder under the system's temporary folder, removed on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& stem) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace cx::bench
