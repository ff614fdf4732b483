// The real player on a private session bus (the test runs under
// dbus-run-session), driven through MPRIS as a desktop or playerctl would.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QUrl>

#include "support/PlayerEnvironment.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.cantabilex");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kKey = QStringLiteral("org.sonoferia.Cantabilex.Player");

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "cx-mpris-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QVariant Property(const QString& name, const QString& interface = kPlayer) {
    QDBusInterface props(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"));
    QDBusReply<QVariant> reply = props.call(QStringLiteral("Get"), interface, name);
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

// The real player on the demo playlist with a scratch home and runtime folder.
struct DemoPlayer {
    // False when it did not come onto the bus.
    bool Start() {
        process.setProcessEnvironment(test::ScratchPlayerEnvironment(dir.Path()));
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(CX_PLAYER, {QString(CX_BINARY_DIR) + "/demo/demo.m3u"});
        if (!process.waitForStarted()) return false;
        auto* bus = QDBusConnection::sessionBus().interface();
        return WaitFor([&] { return bus->isServiceRegistered(kService).value(); }, 30000);
    }
    // Quits over the bus; the exit code (-1 when it did not end).
    int Quit() {
        QDBusInterface(kService, kPath, QStringLiteral("org.mpris.MediaPlayer2")).call("Quit");
        return process.waitForFinished(30000) ? process.exitCode() : -1;
    }

    test::TempDir dir;
    QProcess process;
};

// The demo player, on the bus and playing its first song.
class Mpris : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
        ASSERT_TRUE(player.Start());
        ASSERT_TRUE(WaitFor([] { return Property("PlaybackStatus").toString() == "Playing"; }));
    }
    QCoreApplication& m_app = App();  // before the player's process object
    DemoPlayer player;
};

TEST_F(Mpris, TheDemoIsPlayedSoughtSkippedAndQuitOverTheBus) {
    QDBusInterface mpris(kService, kPath, kPlayer);
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

    // A file it cannot open is the caller's error, with the reason.
    const QString missing = QString::fromStdString((player.dir / "gone.mp3").string());
    const QDBusMessage gone = mpris.call("OpenUri", QUrl::fromLocalFile(missing).toString());
    EXPECT_EQ(gone.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(gone.errorName(), "org.freedesktop.DBus.Error.FileNotFound");
    EXPECT_TRUE(gone.errorMessage().contains("not found")) << gone.errorMessage().toStdString();
    EXPECT_EQ(Property("PlaybackStatus").toString(), "Playing");

    EXPECT_EQ(player.Quit(), 0);
    EXPECT_NE(
        test::ReadBytes(player.dir / "config/Sonoferia/Cantabilex.conf").find("player%20position"),
        std::string::npos);
}

bool SetProperty(const QString& interface, const QString& name, const QVariant& value) {
    QDBusInterface props(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"));
    const QDBusMessage reply = props.call(QStringLiteral("Set"), interface, name,
                                          QVariant::fromValue(QDBusVariant(value)));
    return reply.type() == QDBusMessage::ReplyMessage;
}

// Tempo through the Rate property and the key through the player's own
// interface, in the range each kind of song offers.
TEST_F(Mpris, RateAndTransposeMoveTheSongsTempoAndKeyWithinItsRange) {
    ASSERT_TRUE(Metadata().value("xesam:url").toString().endsWith(".wav"));

    // An audio song: -30 % to +30 %, six semitones either way.
    EXPECT_DOUBLE_EQ(Property("Rate").toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(Property("MinimumRate").toDouble(), 0.7);
    EXPECT_DOUBLE_EQ(Property("MaximumRate").toDouble(), 1.3);
    EXPECT_TRUE(SetProperty(kPlayer, "Rate", 1.2));
    EXPECT_DOUBLE_EQ(Property("Rate").toDouble(), 1.2);
    EXPECT_TRUE(SetProperty(kPlayer, "Rate", 4.0));
    EXPECT_DOUBLE_EQ(Property("Rate").toDouble(), 1.3);

    EXPECT_EQ(Property("MinimumTranspose", kKey).toInt(), -6);
    EXPECT_EQ(Property("MaximumTranspose", kKey).toInt(), 6);
    EXPECT_TRUE(SetProperty(kKey, "Transpose", 3));
    EXPECT_EQ(Property("Transpose", kKey).toInt(), 3);
    EXPECT_TRUE(SetProperty(kKey, "Transpose", -40));
    EXPECT_EQ(Property("Transpose", kKey).toInt(), -6);

    // A rate of 0 is a pause.
    EXPECT_TRUE(SetProperty(kPlayer, "Rate", 0.0));
    EXPECT_TRUE(WaitFor([] { return Property("PlaybackStatus").toString() == "Paused"; }));
    EXPECT_DOUBLE_EQ(Property("Rate").toDouble(), 1.3);

    // The next song starts at its own tempo and key.
    QDBusInterface mpris(kService, kPath, kPlayer);
    mpris.call("Next");
    ASSERT_TRUE(WaitFor([] { return Metadata().value("xesam:url").toString().endsWith(".flac"); }));
    EXPECT_DOUBLE_EQ(Property("Rate").toDouble(), 1.0);
    EXPECT_EQ(Property("Transpose", kKey).toInt(), 0);

    // A MIDI song: up to twice as fast, ten semitones either way.
    mpris.call("Next");
    ASSERT_TRUE(WaitFor([] { return Metadata().value("xesam:url").toString().endsWith(".kar"); }));
    EXPECT_DOUBLE_EQ(Property("MaximumRate").toDouble(), 2.0);
    EXPECT_GT(Property("MinimumRate").toDouble(), 0.0);
    EXPECT_TRUE(SetProperty(kPlayer, "Rate", 1.5));
    EXPECT_NEAR(Property("Rate").toDouble(), 1.5, 1.0 / 30 + 1e-9);
    EXPECT_EQ(Property("MaximumTranspose", kKey).toInt(), 10);
    EXPECT_TRUE(SetProperty(kKey, "Transpose", 7));
    EXPECT_EQ(Property("Transpose", kKey).toInt(), 7);

    EXPECT_EQ(player.Quit(), 0);
}

}  // namespace
}  // namespace cx
