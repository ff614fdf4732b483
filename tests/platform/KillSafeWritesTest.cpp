// Every saver of a user's file, killed with SIGKILL at random moments, leaves
// the file either as it was or as saved, and the next save leaves no
// temporary file behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "KillWriters.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr int kTotalKills = 100;
// Half the kills land up to this long after the first save started...
constexpr int kMaxKillDelayMicros = 60000;
// ...the other half this soon after a save's temporary file (or lock, or
// private folder) appears, when the file itself is being replaced.
constexpr int kMaxTempKillDelayMicros = 3000;
constexpr auto kTempWaitLimit = std::chrono::milliseconds(500);

struct Probe {
    pid_t pid = -1;
    int out = -1;  // read end of the probe's stdout
};

// Starts the probe with its temporary folder inside `tmp`, so that folders a
// killed save leaves there can be checked.
Probe StartProbe(const std::vector<std::string>& args, const fs::path& tmp) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::setenv("TMPDIR", tmp.c_str(), 1);
        std::vector<char*> argv;
        static std::string probe = CX_KILL_PROBE;
        argv.push_back(probe.data());
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
    return status;
}

// Runs the probe for one save and gives its exit status.
int SaveOnce(const std::string& writer, const fs::path& file, int n, const fs::path& tmp) {
    Probe p = StartProbe({writer, file.string(), "once", std::to_string(n)}, tmp);
    char c;
    while (::read(p.out, &c, 1) > 0) continue;
    ::close(p.out);
    return Wait(p.pid);
}

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

// Waits until the folder holds more than `names` (a save's temporary file has
// appeared); false when none appears in time.
bool WaitForExtraEntry(const fs::path& dir, const std::vector<std::string>& names) {
    const auto until = std::chrono::steady_clock::now() + kTempWaitLimit;
    while (std::chrono::steady_clock::now() < until) {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
            const std::string name = fs::relative(e.path(), dir, ec).string();
            if (std::find(names.begin(), names.end(), name) == names.end()) return true;
        }
    }
    return false;
}

class KillSafeWrites : public ::testing::TestWithParam<const char*> {};

TEST_P(KillSafeWrites, FileIsOldOrNewAfterEveryKillAndNoTempSurvivesTheNextSave) {
    const std::string writer = GetParam();
    test::TempDir dir;
    const fs::path tmp = dir / "tmp";
    fs::create_directories(tmp);
    const fs::path file = dir / test::KillFileName(writer);
    const std::string original = test::KillOriginal(writer);

    // Every content the file may rightly hold: the original and what saves
    // 0..3 make from it (saves 2 and 3 must equal 0 and 1: nothing piles up).
    std::set<std::string> valid = {original};
    {
        test::TempDir scratch;
        const fs::path copy = scratch / file.filename().string();
        test::WriteBytes(copy, original);
        for (int n = 0; n < 4; ++n) {
            ASSERT_EQ(SaveOnce(writer, copy, n, tmp), 0) << writer << " save " << n;
            valid.insert(test::ReadBytes(copy));
        }
    }
    ASSERT_EQ(valid.size(), 3u) << writer << ": repeated saves keep changing the file";

    test::WriteBytes(file, original);
    std::mt19937 rng(static_cast<unsigned>(std::hash<std::string>()(writer)));
    std::uniform_int_distribution<int> delay(0, kMaxKillDelayMicros);
    std::uniform_int_distribution<int> tempDelay(0, kMaxTempKillDelayMicros);
    const std::vector<std::string> clean = {file.filename().string(), "tmp"};
    const int kills = kTotalKills / static_cast<int>(test::kKillWriters.size()) + 1;
    int insideSave = 0;
    for (int k = 0; k < kills; ++k) {
        Probe p = StartProbe({writer, file.string(), "loop"}, tmp);
        ASSERT_GT(p.pid, 0);
        char c = 0;
        ASSERT_EQ(::read(p.out, &c, 1), 1) << writer << ": the probe did not start a save";
        if (k % 2 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        else if (WaitForExtraEntry(dir.Path(), clean))
            std::this_thread::sleep_for(std::chrono::microseconds(tempDelay(rng)));
        ::kill(p.pid, SIGKILL);
        const int status = Wait(p.pid);
        char last = c;
        while (::read(p.out, &c, 1) > 0) last = c;
        ::close(p.out);
        ASSERT_TRUE(WIFSIGNALED(status)) << writer << ": the probe ended by itself";
        insideSave += last == 'b';
        const auto now = ReadWholeFile(file);
        ASSERT_TRUE(now.bytes) << writer << " after kill " << k << ": " << now.error;
        ASSERT_TRUE(valid.count(*now.bytes))
            << writer << " after kill " << k << ": the file is neither old nor new ("
            << now.bytes->size() << " bytes)";
    }
    EXPECT_GT(insideSave, 0) << writer << ": no kill landed inside a save";
    RecordProperty("kills_inside_a_save", insideSave);

    // The next save cleans up whatever the killed ones left.
    ASSERT_EQ(SaveOnce(writer, file, 0, tmp), 0);
    EXPECT_TRUE(valid.count(test::ReadBytes(file)));
    EXPECT_EQ(Listing(dir.Path()), clean) << writer << ": temporary files left behind";
}

INSTANTIATE_TEST_SUITE_P(Writers, KillSafeWrites, ::testing::ValuesIn(test::kKillWriters),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace cx
