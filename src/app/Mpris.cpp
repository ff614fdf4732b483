#include "app/Mpris.h"

#include <unistd.h>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "app/Application.h"
#include "midi/gui/MidiEq.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"

namespace cx {
namespace {

constexpr int kWatchMs = 200;
constexpr double kMicro = 1e6;
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    RootAdaptor(QObject* parent, Mpris& mpris) : QDBusAbstractAdaptor(parent), m_mpris(mpris) {}
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Cantabilex"); }
    QString DesktopEntry() const { return QStringLiteral("cantabilex"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const {
        return {QStringLiteral("audio/mpeg"),   QStringLiteral("audio/ogg"),
                QStringLiteral("audio/x-wav"),  QStringLiteral("audio/flac"),
                QStringLiteral("audio/midi"),   QStringLiteral("audio/x-mpegurl"),
                QStringLiteral("audio/x-scpls")};
    }

public slots:
    void Raise() {
        if (Player* p = m_mpris.App().PlayerWindow()) {
            if (p->InTray()) p->RestoreFromTray();
            p->show();
            p->raise();
            p->activateWindow();
        }
    }
    void Quit() { m_mpris.App().Run(Command::Exit); }

private:
    Mpris& m_mpris;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPlay)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    PlayerAdaptor(QObject* parent, Mpris& mpris) : QDBusAbstractAdaptor(parent), m_mpris(mpris) {}
    QString PlaybackStatus() const { return m_mpris.PlaybackStatus(); }
    double Rate() const { return m_mpris.Rate(); }
    void SetRate(double rate) { m_mpris.SetRate(rate); }
    double MinimumRate() const { return m_mpris.MinimumRate(); }
    double MaximumRate() const { return m_mpris.MaximumRate(); }
    QVariantMap Metadata() const { return m_mpris.Metadata(); }
    double Volume() const { return m_mpris.Volume(); }
    void SetVolume(double v) { m_mpris.SetVolume(v); }
    qlonglong Position() const { return m_mpris.PositionMicroseconds(); }
    bool CanGoNext() const { return m_mpris.App().List().ListCount() > 0; }
    bool CanPlay() const { return m_mpris.HasSong() || m_mpris.App().List().ListCount() > 0; }
    bool CanSeek() const { return m_mpris.HasSong(); }
    bool CanControl() const { return true; }

public slots:
    void Next() { m_mpris.App().Run(Command::Next); }
    void Previous() { m_mpris.App().Run(Command::Previous); }
    void Pause() {
        if (m_mpris.PlaybackStatus() == QLatin1String("Playing")) m_mpris.App().Run(Command::Pause);
    }
    void PlayPause() {
        m_mpris.App().Run(m_mpris.PlaybackStatus() == QLatin1String("Playing") ? Command::Pause
                                                                               : Command::Play);
    }
    void Stop() { m_mpris.App().Run(Command::Stop); }
    void Play() { m_mpris.App().Run(Command::Play); }
    void Seek(qlonglong offset) {
        if (!m_mpris.HasSong()) return;
        const double length = m_mpris.App().Transport().Length();
        const double target = m_mpris.PositionMicroseconds() / kMicro + offset / kMicro;
        // Past the end is the next song, as the interface asks.
        if (length > 0 && target > length) return Next();
        m_mpris.App().SeekTo(std::max(0.0, target));
    }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        if (!m_mpris.HasSong() || trackId.path() != m_mpris.Metadata()
                                                        .value(QStringLiteral("mpris:trackid"))
                                                        .value<QDBusObjectPath>()
                                                        .path())
            return;
        const double length = m_mpris.App().Transport().Length();
        const double target = position / kMicro;
        if (target < 0 || (length > 0 && target > length)) return;
        m_mpris.App().SeekTo(target);
    }
    void OpenUri(const QString& uri) {
        const QUrl url(uri);
        const QString path = url.isLocalFile() ? url.toLocalFile() : uri;
        if (QFileInfo(path).isFile()) m_mpris.App().ChangeSong(path);
    }

signals:
    void Seeked(qlonglong position);

private:
    Mpris& m_mpris;
};

class KeyAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.sonoferia.Cantabilex.Player")
    Q_PROPERTY(int Transpose READ Transpose WRITE SetTranspose)
    Q_PROPERTY(int MinimumTranspose READ MinimumTranspose)
    Q_PROPERTY(int MaximumTranspose READ MaximumTranspose)

public:
    KeyAdaptor(QObject* parent, Mpris& mpris) : QDBusAbstractAdaptor(parent), m_mpris(mpris) {}
    int Transpose() const { return m_mpris.Transpose(); }
    void SetTranspose(int semitones) { m_mpris.SetTranspose(semitones); }
    int MinimumTranspose() const { return m_mpris.MinimumTranspose(); }
    int MaximumTranspose() const { return m_mpris.MaximumTranspose(); }

private:
    Mpris& m_mpris;
};

}  // namespace

Mpris::Mpris(Application& app) : m_app(app) {
    new RootAdaptor(&m_root, *this);
    m_playerAdaptor = new PlayerAdaptor(&m_root, *this);
    new KeyAdaptor(&m_root, *this);
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] { Announce(); });
}

std::unique_ptr<Mpris> Mpris::Publish(Application& app) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    std::unique_ptr<Mpris> mpris(new Mpris(app));
    if (!bus.registerObject(QString::fromLatin1(kMprisPath), &mpris->m_root)) return nullptr;
    // A second full player takes a name of its own, as the interface allows.
    QString name = QString::fromLatin1(kMprisService);
    if (!bus.registerService(name)) {
        name += QStringLiteral(".instance%1").arg(::getpid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(QString::fromLatin1(kMprisPath));
            return nullptr;
        }
    }
    mpris->m_service = name;
    mpris->m_watch.start();
    return mpris;
}

Mpris::~Mpris() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_service.isEmpty()) bus.unregisterService(m_service);
    bus.unregisterObject(QString::fromLatin1(kMprisPath));
}

bool Mpris::HasSong() const {
    return !m_app.ClosingDown() && m_app.Transport().IsOpen();
}

QString Mpris::PlaybackStatus() const {
    if (!HasSong()) return QStringLiteral("Stopped");
    switch (m_app.Transport().State()) {
        case PlayState::Playing:
            return QStringLiteral("Playing");
        case PlayState::Paused:
            return QStringLiteral("Paused");
        default:
            return QStringLiteral("Stopped");
    }
}

QString Mpris::TrackId() const {
    // One id per song path, stable while it stays open.
    const QString path = QString::fromStdString(m_app.Transport().CurrentPath());
    return QStringLiteral("/org/cantabilex/track/%1").arg(qHash(path));
}

QVariantMap Mpris::Metadata() const {
    QVariantMap map;
    if (!HasSong()) {
        map.insert(
            QStringLiteral("mpris:trackid"),
            QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack")));
        return map;
    }
    const MediaTransport& t = m_app.Transport();
    const SongLabels labels = t.Labels();
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId())));
    map.insert(QStringLiteral("xesam:title"), QString::fromStdString(labels.title));
    if (!labels.artist.empty())
        map.insert(QStringLiteral("xesam:artist"),
                   QStringList{QString::fromStdString(labels.artist)});
    map.insert(QStringLiteral("mpris:length"), qlonglong(std::llround(t.Length() * kMicro)));
    map.insert(QStringLiteral("xesam:url"),
               QUrl::fromLocalFile(QString::fromStdString(t.CurrentPath())).toString());
    return map;
}

qlonglong Mpris::PositionMicroseconds() const {
    if (!HasSong()) return 0;
    return std::llround(std::max(0.0, m_app.Transport().Position()) * kMicro);
}

double Mpris::Rate() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().TempoFactorAt(eq->Controls().TempoThumb()) : 1.0;
}

void Mpris::SetRate(double rate) {
    // A rate of 0 is a pause, as the interface asks; other rates outside the
    // range go to its nearest end.
    if (rate == 0.0) {
        if (PlaybackStatus() == QLatin1String("Playing")) m_app.Run(Command::Pause);
        return;
    }
    MidiEq* eq = m_app.MidiWindow();
    if (!eq || !std::isfinite(rate) || rate < 0) return;
    eq->Controls().MoveTempo(eq->Controls().TempoThumbFor(rate));
    eq->Refresh();
}

double Mpris::MinimumRate() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().MinTempoFactor() : 1.0;
}

double Mpris::MaximumRate() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().MaxTempoFactor() : 1.0;
}

int Mpris::Transpose() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().Semitones() : 0;
}

void Mpris::SetTranspose(int semitones) {
    MidiEq* eq = m_app.MidiWindow();
    if (!eq) return;
    eq->Controls().MoveTranspose(eq->Controls().TransposeThumbFor(semitones));
    eq->Refresh();
}

int Mpris::MinimumTranspose() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().MinSemitones() : 0;
}

int Mpris::MaximumTranspose() const {
    MidiEq* eq = m_app.MidiWindow();
    return eq ? eq->Controls().MaxSemitones() : 0;
}

double Mpris::Volume() const {
    const Player* p = m_app.PlayerWindow();
    return p ? p->GetVolume() / 100.0 : 0.0;
}

void Mpris::SetVolume(double volume) {
    if (Player* p = m_app.PlayerWindow())
        p->SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void Mpris::Announce() {
    QVariantMap now;
    now.insert(QStringLiteral("PlaybackStatus"), PlaybackStatus());
    now.insert(QStringLiteral("Metadata"), Metadata());
    now.insert(QStringLiteral("Volume"), Volume());
    now.insert(QStringLiteral("CanSeek"), HasSong());
    now.insert(QStringLiteral("Rate"), Rate());
    now.insert(QStringLiteral("MinimumRate"), MinimumRate());
    now.insert(QStringLiteral("MaximumRate"), MaximumRate());
    AnnounceChanges(kPlayerInterface, now, m_announced);
    QVariantMap key;
    key.insert(QStringLiteral("Transpose"), Transpose());
    key.insert(QStringLiteral("MinimumTranspose"), MinimumTranspose());
    key.insert(QStringLiteral("MaximumTranspose"), MaximumTranspose());
    AnnounceChanges(QString::fromLatin1(kCantabilexInterface), key, m_announcedKey);
}

void Mpris::AnnounceChanges(const QString& interface, const QVariantMap& now, QVariantMap& before) {
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (before.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    before = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kMprisPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void Mpris::AnnounceSeek() {
    emit static_cast<PlayerAdaptor*>(m_playerAdaptor)->Seeked(PositionMicroseconds());
}

}  // namespace cx

#include "Mpris.moc"
