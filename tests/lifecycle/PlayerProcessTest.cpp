// The real cantabilex program as the desktop runs it: ended by a signal,
// asked for help, driven over the session bus.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "support/PlayerEnvironment.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

// A player in a scratch home, with the offscreen display and no sound card.
class PlayerProcess {
public:
    PlayerProcess() {
        m_env = test::ScratchPlayerEnvironment(m_dir.Path());
        m_process.setProcessEnvironment(m_env);
    }
    ~PlayerProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // Starts the player and waits until it listens for hand-offs (it is up).
    bool StartAndWait(const QStringList& args) {
        m_process.start(CX_PLAYER, args);
        if (!m_process.waitForStarted()) return false;
        const auto socket = m_dir / "run" / "cantabilex.sock";
        for (int i = 0; i < 600 && !std::filesystem::exists(socket); ++i) {
            if (m_process.waitForFinished(50)) return false;
        }
        // The socket comes before the windows: give the start-up time to end.
        m_process.waitForFinished(1500);
        return m_process.state() == QProcess::Running;
    }

    QProcess& Process() { return m_process; }
    std::string Settings() const {
        return test::ReadBytes(m_dir / "config/Sonoferia/Cantabilex.conf");
    }

private:
    test::TempDir m_dir;
    QProcessEnvironment m_env;
    QProcess m_process;
};

TEST(PlayerProcess, EachEndingSignalClosesThePlayerAsExitDoes) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        PlayerProcess player;
        ASSERT_TRUE(player.StartAndWait({})) << signal;
        ::kill(static_cast<pid_t>(player.Process().processId()), signal);
        ASSERT_TRUE(player.Process().waitForFinished(20000)) << signal;
        EXPECT_EQ(player.Process().exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(player.Process().exitCode(), 0) << signal;
        const std::string stored = player.Settings();
        EXPECT_NE(stored.find("player%20position"), std::string::npos) << signal;
        EXPECT_NE(stored.find("karaoke%20font%20color"), std::string::npos) << signal;
    }
}

TEST(PlayerProcess, HelpAndVersionAnswerAndReturn) {
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        p.start(CX_PLAYER, {option});
        ASSERT_TRUE(p.waitForFinished(10000)) << option;
        EXPECT_EQ(p.exitCode(), 0) << option;
        const QByteArray out = p.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith("Usage: cantabilex") || out.startsWith("cantabilex "))
            << out.constData();
    }
}

}  // namespace
}  // namespace cx
