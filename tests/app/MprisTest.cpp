// The real player on a private session bus (the test runs under
// dbus-run-session), driven through MPRIS as a desktop or playerctl would.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "support/TestSupport.h"

namespace cx {
namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.cantabilex");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "cx-mpris-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QVariant Property(const QString& name) {
    QDBusInterface props(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"));
    QDBusReply<QVariant> reply = props.call(QStringLiteral("Get"), kPlayer, name);
    return reply.isValid() ? reply.value() : QVariant();
}

QVariantMap Metadata() {
    QVariant v = Property(QStringLiteral("Metadata"));
    QVariantMap map;
    v.value<QDBusArgument>() >> map;
    return map;
}

template <class Pred>
bool WaitFor(Pred pred, int ms = 15000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (pred()) return true;
        QThread::msleep(50);
    }
    return pred();
}

TEST(Mpris, TheDemoIsPlayedSoughtSkippedAndQuitOverTheBus) {
    App();
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
    test::TempDir dir;
    const auto runtime = dir / "run";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    env.insert("XDG_DATA_HOME", QString::fromStdString((dir / "data").string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    QProcess player;
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(CX_PLAYER, {QString(CX_BINARY_DIR) + "/demo/demo.m3u"});
    ASSERT_TRUE(player.waitForStarted());

    auto* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(WaitFor([&] { return bus->isServiceRegistered(kService).value(); }, 30000));
    QDBusInterface mpris(kService, kPath, kPlayer);

    // The playlist starts with its first song.
    ASSERT_TRUE(WaitFor([] { return Property("PlaybackStatus").toString() == "Playing"; }));
    const QVariantMap first = Metadata();
    EXPECT_FALSE(first.value("xesam:title").toString().isEmpty());
    EXPECT_GT(first.value("mpris:length").toLongLong(), 1'000'000);
    EXPECT_TRUE(first.value("xesam:url").toString().startsWith("file://"));

    mpris.call("Pause");
    EXPECT_TRUE(WaitFor([] { return Property("PlaybackStatus").toString() == "Paused"; }));
    const auto trackId = first.value("mpris:trackid").value<QDBusObjectPath>();
    mpris.call("SetPosition", QVariant::fromValue(trackId), qlonglong(5'000'000));
    EXPECT_TRUE(WaitFor([] {
        const qlonglong at = Property("Position").toLongLong();
        return at >= 4'900'000 && at < 5'500'000;
    }));
    mpris.call("PlayPause");
    EXPECT_TRUE(WaitFor([] { return Property("PlaybackStatus").toString() == "Playing"; }));

    mpris.call("Next");
    EXPECT_TRUE(WaitFor([&] {
        return Metadata().value("xesam:url") != first.value("xesam:url") &&
               Property("PlaybackStatus").toString() == "Playing";
    }));

    QDBusInterface root(kService, kPath, QStringLiteral("org.mpris.MediaPlayer2"));
    root.call("Quit");
    ASSERT_TRUE(player.waitForFinished(30000));
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_NE(test::ReadBytes(dir / "config/Sonoferia/Cantabilex.conf").find("player%20position"),
              std::string::npos);
}

}  // namespace
}  // namespace cx
