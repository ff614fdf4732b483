// Runs the real cbx as a user does, for the tests of its verbs.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace cx::test {

struct CbxRun {
    int code = -1;
    std::string out;
};

// Runs a shell command line and gathers what it prints.
inline CbxRun RunShell(const std::string& command) {
    CbxRun r;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string CbxPath() {
    return std::string(CX_BINARY_DIR) + "/cbx";
}

// cbx with `args`; stdout only, or with stderr too for its messages.
inline CbxRun Cbx(const std::string& args, bool withMessages = false) {
    return RunShell(CbxPath() + " " + args + (withMessages ? " 2>&1" : " 2>/dev/null"));
}

// cbx run from `folder`, with its messages.
inline CbxRun CbxIn(const std::filesystem::path& folder, const std::string& args) {
    return RunShell("cd '" + folder.string() + "' && " + CbxPath() + " " + args + " 2>&1");
}

inline std::string Quote(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

}  // namespace cx::test

#define CX_REQUIRE_CBX()                                                                         \
    do {                                                                                         \
        if (!std::filesystem::exists(::cx::test::CbxPath())) GTEST_SKIP() << "cbx is not built"; \
    } while (0)
