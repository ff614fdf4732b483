// A process that saves into one of the user's files the way the player does,
// for the kill test: "loop" saves again and again, alternating two contents
// and writing 'b' before and 'e' after each save to stdout; "once N" makes
// save number N and exits.
// Usage: cx_kill_writer_probe WRITER FILE loop|once N
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "KillWriters.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s WRITER FILE loop|once N\n", argv[0]);
        return 2;
    }
    const std::string writer = argv[1], file = argv[2];
    const bool loop = std::string(argv[3]) == "loop";
    for (int n = !loop && argc > 4 ? std::atoi(argv[4]) : 0;; ++n) {
        if (loop) (void)!::write(STDOUT_FILENO, "b", 1);
        const std::string error = cx::test::SaveWith(writer, file, n);
        if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
        if (!loop || !error.empty()) return error.empty() ? 0 : 1;
        (void)!::write(STDOUT_FILENO, "e", 1);
    }
}
