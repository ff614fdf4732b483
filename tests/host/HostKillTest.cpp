// A player killed with SIGKILL in the middle of a show comes back with every
// singer, queued song and history row it had committed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "host/HostSession.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kKills = 12;
constexpr int kMaxKillDelayMicros = 150000;

TEST(HostKill, EverythingCommittedBeforeAKillIsThereAfterReopening) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> delay(1000, kMaxKillDelayMicros);
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        test::TempDir dir;
        const std::string db = (dir / "library.db").string();
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::execl(CX_HOST_KILL_PROBE, CX_HOST_KILL_PROBE, db.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(fds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::string said;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
        ::close(fds[0]);

        HostSession session(db);
        ASSERT_EQ(session.Open(), "");
        std::set<std::string> singers, queued, sung;
        for (const Singer& s : session.Current().Singers()) {
            singers.insert(s.name);
            for (const QueueEntry& e : s.queue) queued.insert(e.title);
        }
        for (const HistoryRow& h : session.History(kMaxHistoryRows)) sung.insert(h.title);
        std::istringstream lines(said);
        int committed = 0;
        for (std::string line; std::getline(lines, line); ++committed) {
            const std::string what = line.substr(line.find(' ') + 1);
            const std::size_t found = line.starts_with("singer ") ? singers.count(what)
                                      : line.starts_with("sung ")
                                          ? sung.count(what)
                                          : queued.count(what) + sung.count(what);
            EXPECT_EQ(found, 1u) << line;
        }
        EXPECT_GE(singers.size() * 3, static_cast<std::size_t>(committed / 2));
    }
}

}  // namespace
}  // namespace cx
