#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>

#include "support/PlayerEnvironment.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

QString SocketIn(const test::TempDir& dir) {
    return QString::fromStdString((dir / "player.sock").string());
}

// Starts `probe serve` and waits until it listens.
bool StartServer(QProcess& p, const QString& socket) {
    p.start(CX_PROBE, {"serve", socket});
    return p.waitForStarted() && p.waitForReadyRead(10000) && p.readLine().trimmed() == "ready";
}

int Send(const QString& socket, const QString& text) {
    QProcess p;
    p.start(CX_PROBE, {"send", socket, text});
    if (!p.waitForFinished(15000)) return -1;
    return p.exitCode();
}

TEST(SingleInstance, SecondProcessHandsItsFileToTheFirst) {
    test::TempDir dir;
    QProcess server;
    ASSERT_TRUE(StartServer(server, SocketIn(dir)));
    EXPECT_EQ(Send(SocketIn(dir), "/music/Zażółć song.mp3"), 0);
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(QString::fromLocal8Bit(server.readAll()).trimmed(), "got /music/Zażółć song.mp3");
}

TEST(SingleInstance, StaleSocketOfACrashedPlayerDoesNotBlockANewStart) {
    test::TempDir dir;
    QProcess crashed;
    ASSERT_TRUE(StartServer(crashed, SocketIn(dir)));
    ::kill(static_cast<pid_t>(crashed.processId()), SIGKILL);
    crashed.waitForFinished();
    ASSERT_TRUE(std::filesystem::exists(dir / "player.sock"));  // left behind

    EXPECT_EQ(Send(SocketIn(dir), "/a.mp3"), 3);  // nobody answers: start fully
    QProcess fresh;
    ASSERT_TRUE(StartServer(fresh, SocketIn(dir)));
    EXPECT_EQ(Send(SocketIn(dir), "/b.mp3"), 0);
    ASSERT_TRUE(fresh.waitForFinished(10000));
    EXPECT_EQ(fresh.readAll().trimmed(), "got /b.mp3");
}

TEST(SingleInstance, ASecondFullPlayerLeavesTheRunningOnesSocketAlone) {
    test::TempDir dir;
    QProcess first;
    ASSERT_TRUE(StartServer(first, SocketIn(dir)));
    QProcess second;  // a second start without a file: it must not take the socket
    second.start(CX_PROBE, {"serve", SocketIn(dir)});
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 2);
    second.kill();
    second.waitForFinished();
    EXPECT_EQ(Send(SocketIn(dir), "/c.mp3"), 0);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.readAll().trimmed(), "got /c.mp3");
}

TEST(SingleInstance, RealPlayerReceivesAFileFromASecondStart) {
    test::TempDir dir;
    const QProcessEnvironment env = test::ScratchPlayerEnvironment(dir.Path());
    const auto runtime = dir / "run";

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(CX_PLAYER, {});
    ASSERT_TRUE(first.waitForStarted());
    for (int i = 0; i < 200 && !std::filesystem::exists(runtime / "cantabilex.sock"); ++i) {
        first.waitForFinished(50);
    }
    ASSERT_TRUE(std::filesystem::exists(runtime / "cantabilex.sock"));

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(QString::fromStdString(dir.Path().string()));
    second.start(CX_PLAYER, {"song.mp3"});  // relative: handed over as a full path
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAll().contains("handed"));

    const QByteArray expected = "received " + QByteArray((dir / "song.mp3").c_str());
    QByteArray seen;
    for (int i = 0; i < 100 && !seen.contains(expected); ++i) {
        first.waitForReadyRead(100);
        seen += first.readAllStandardOutput();
    }
    EXPECT_TRUE(seen.contains(expected)) << seen.constData();

    // The page's port cannot be passed on: a script waiting for it is told.
    QProcess third;
    third.setProcessEnvironment(env);
    third.setWorkingDirectory(QString::fromStdString(dir.Path().string()));
    third.start(CX_PLAYER, {"--requests", "8123", "song.mp3"});
    ASSERT_TRUE(third.waitForFinished(20000));
    EXPECT_EQ(third.exitCode(), 1);
    EXPECT_TRUE(third.readAllStandardError().contains("--requests is not passed on"));
    first.kill();
    first.waitForFinished();
}

}  // namespace
}  // namespace cx
