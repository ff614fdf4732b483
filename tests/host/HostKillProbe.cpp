// Writes to the host database without end: a singer, two songs, one sung,
// again and again. After each committed operation it says so on stdout, so
// the test that kills it knows what must survive.
#include <unistd.h>

#include <string>

#include "host/HostSession.h"

namespace {

void Say(const std::string& line) {
    const std::string out = line + "\n";
    if (::write(STDOUT_FILENO, out.data(), out.size()) < 0) ::_exit(3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    cx::HostSession session(argv[1]);
    if (!session.Open().empty()) return 1;
    for (int i = 0;; ++i) {
        const std::string name = "Singer " + std::to_string(i);
        std::int64_t id = 0;
        if (!session.AddSinger(name, &id).empty()) return 0;  // the rotation is full
        Say("singer " + name);
        for (int k = 1; k <= 2; ++k) {
            const std::string title = name + " song " + std::to_string(k);
            if (!session.AddSong(id, {0, "/songs/" + title + ".mp3", "Artist", title, 1000})
                     .empty())
                return 1;
            Say("song " + title);
        }
        if (!session.TakeTurn(id).empty()) return 1;
        Say("sung " + name + " song 1");
    }
}
