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

#include "app/CommandRouter.h"
#include "app/PlayerState.h"
#include "playback/player/OpenFailure.h"

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
    void Raise() { m_mpris.Requests().Raise(); }
    void Quit() { m_mpris.Router().Run(Command::Exit); }

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
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
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
    bool CanGoNext() const { return m_mpris.CanGo(Command::Next); }
    bool CanGoPrevious() const { return m_mpris.CanGo(Command::Previous); }
    bool CanPlay() const {
        return m_mpris.Router().Available(Command::Play) &&
               (m_mpris.HasSong() || m_mpris.State().ListCount() > 0);
    }
    bool CanSeek() const { return m_mpris.HasSong(); }
    bool CanControl() const { return true; }

public slots:
    void Next() { m_mpris.Router().Run(Command::Next); }
    void Previous() { m_mpris.Router().Run(Command::Previous); }
    void Pause() {
        if (m_mpris.PlaybackStatus() == QLatin1String("Playing"))
            m_mpris.Router().Run(Command::Pause);
    }
    void PlayPause() {
        m_mpris.Router().Run(m_mpris.PlaybackStatus() == QLatin1String("Playing") ? Command::Pause
                                                                                  : Command::Play);
    }
    void Stop() { m_mpris.Router().Run(Command::Stop); }
    void Play() { m_mpris.Router().Run(Command::Play); }
    void Seek(qlonglong offset) {
        if (!m_mpris.HasSong()) return;
        const double length = m_mpris.State().LengthSeconds();
        const double target = m_mpris.PositionMicroseconds() / kMicro + offset / kMicro;
        // Past the end is the next song, as the interface asks.
        if (length > 0 && target > length) return Next();
        m_mpris.Requests().SeekTo(std::max(0.0, target));
    }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        if (!m_mpris.HasSong() || trackId.path() != m_mpris.Metadata()
                                                        .value(QStringLiteral("mpris:trackid"))
                                                        .value<QDBusObjectPath>()
                                                        .path())
            return;
        const double length = m_mpris.State().LengthSeconds();
        const double target = position / kMicro;
        if (target < 0 || (length > 0 && target > length)) return;
        m_mpris.Requests().SeekTo(target);
    }
    // A file that cannot be opened is the caller's error, with the reason.
    void OpenUri(const QString& uri, const QDBusMessage& call) {
        const QUrl url(uri);
        if (url.isValid() && !url.scheme().isEmpty() && !url.isLocalFile()) {
            ReplyError(call, QStringLiteral("NotSupported"), QStringLiteral("Only file URIs: ") + uri);
            return;
        }
        const QString path = url.isLocalFile() ? url.toLocalFile() : uri;
        const std::string why = m_mpris.Requests().Open(path.toStdString());
        if (why.empty()) return;
        const OpenFailure failure = DiagnoseOpenFailure(path.toStdString());
        const QString kind = failure == OpenFailure::NotFound       ? QStringLiteral("FileNotFound")
                             : failure == OpenFailure::NoPermission ? QStringLiteral("AccessDenied")
                                                                    : QStringLiteral("InvalidArgs");
        ReplyError(call, kind, QString::fromStdString(why));
    }

signals:
    void Seeked(qlonglong position);

private:
    static void ReplyError(const QDBusMessage& call, const QString& kind, const QString& text) {
        call.setDelayedReply(true);  // the error below is the reply
        QDBusConnection::sessionBus().send(
            call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.") + kind, text));
    }

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

Mpris::Mpris(CommandRouter& router, const PlayerState& state, PlayerRequests& requests)
    : m_router(router), m_state(state), m_requests(requests) {
    new RootAdaptor(&m_root, *this);
    m_playerAdaptor = new PlayerAdaptor(&m_root, *this);
    new KeyAdaptor(&m_root, *this);
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] { Announce(); });
}

std::unique_ptr<Mpris> Mpris::Publish(CommandRouter& router, const PlayerState& state,
                                      PlayerRequests& requests) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    std::unique_ptr<Mpris> mpris(new Mpris(router, state, requests));
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
    return m_state.HasSong();
}

bool Mpris::CanGo(Command command) const {
    // Recording holds the song: the player refuses to leave it.
    return m_state.ListCount() > 0 && !m_state.Recording() && m_router.Available(command);
}

QString Mpris::PlaybackStatus() const {
    if (!HasSong()) return QStringLiteral("Stopped");
    switch (m_state.State()) {
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
    const QString path = QString::fromStdString(m_state.SongPath());
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
    const SongLabels labels = m_state.Labels();
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId())));
    map.insert(QStringLiteral("xesam:title"), QString::fromStdString(labels.title));
    if (!labels.artist.empty())
        map.insert(QStringLiteral("xesam:artist"),
                   QStringList{QString::fromStdString(labels.artist)});
    map.insert(QStringLiteral("mpris:length"),
               qlonglong(std::llround(m_state.LengthSeconds() * kMicro)));
    map.insert(QStringLiteral("xesam:url"),
               QUrl::fromLocalFile(QString::fromStdString(m_state.SongPath())).toString());
    return map;
}

qlonglong Mpris::PositionMicroseconds() const {
    if (!HasSong()) return 0;
    return std::llround(std::max(0.0, m_state.PositionSeconds()) * kMicro);
}

double Mpris::Rate() const {
    return m_state.Tempo().rate;
}

void Mpris::SetRate(double rate) {
    // A rate of 0 is a pause, as the interface asks; other rates outside the
    // range go to its nearest end.
    if (rate == 0.0) {
        if (PlaybackStatus() == QLatin1String("Playing")) m_router.Run(Command::Pause);
        return;
    }
    if (!std::isfinite(rate) || rate < 0) return;
    m_requests.SetRate(rate);
}

double Mpris::MinimumRate() const {
    return m_state.Tempo().minimumRate;
}

double Mpris::MaximumRate() const {
    return m_state.Tempo().maximumRate;
}

int Mpris::Transpose() const {
    return m_state.Tempo().transpose;
}

void Mpris::SetTranspose(int semitones) {
    m_requests.SetTranspose(semitones);
}

int Mpris::MinimumTranspose() const {
    return m_state.Tempo().minimumTranspose;
}

int Mpris::MaximumTranspose() const {
    return m_state.Tempo().maximumTranspose;
}

double Mpris::Volume() const {
    return m_state.VolumePercent() / 100.0;
}

void Mpris::SetVolume(double volume) {
    if (!std::isfinite(volume)) return;
    m_requests.SetVolumePercent(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void Mpris::Announce() {
    QVariantMap now;
    now.insert(QStringLiteral("PlaybackStatus"), PlaybackStatus());
    now.insert(QStringLiteral("Metadata"), Metadata());
    now.insert(QStringLiteral("Volume"), Volume());
    now.insert(QStringLiteral("CanSeek"), HasSong());
    now.insert(QStringLiteral("CanGoNext"), CanGo(Command::Next));
    now.insert(QStringLiteral("CanGoPrevious"), CanGo(Command::Previous));
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
