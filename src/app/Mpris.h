// The player on the session bus as an MPRIS media player, so media keys,
// desktop widgets and playerctl drive it. Every call goes through the same
// command router and seek path as the player's own buttons.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <memory>

#include "playback/player/PlayerCommands.h"

namespace cx {

class CommandRouter;
class PlayerRequests;
class PlayerState;

inline constexpr char kMprisService[] = "org.mpris.MediaPlayer2.cantabilex";
inline constexpr char kMprisPath[] = "/org/mpris/MediaPlayer2";
// The player's own interface on the same object, for what MPRIS has no
// property for (the key change).
inline constexpr char kCantabilexInterface[] = "org.sonoferia.Cantabilex.Player";

class Mpris : public QObject {
public:
    // Null when there is no session bus: the player then runs without it.
    static std::unique_ptr<Mpris> Publish(CommandRouter& router, const PlayerState& state,
                                          PlayerRequests& requests);
    ~Mpris() override;

    CommandRouter& Router() { return m_router; }
    const PlayerState& State() const { return m_state; }
    PlayerRequests& Requests() { return m_requests; }
    QString ServiceName() const { return m_service; }

    // Values as the Player interface gives them.
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong PositionMicroseconds() const;
    double Volume() const;
    void SetVolume(double volume);
    bool HasSong() const;
    bool CanGo(Command command) const;
    // Tempo as a playback rate (1 = as written) and the key change in
    // semitones, both through the MIDI window's thumbs, so the window shows them.
    double Rate() const;
    void SetRate(double rate);
    double MinimumRate() const;
    double MaximumRate() const;
    int Transpose() const;
    void SetTranspose(int semitones);
    int MinimumTranspose() const;
    int MaximumTranspose() const;

    // Announces the properties that changed since the last look.
    void Announce();
    // A jump in the song, for the Seeked signal.
    void AnnounceSeek();

private:
    Mpris(CommandRouter& router, const PlayerState& state, PlayerRequests& requests);
    QString TrackId() const;
    void AnnounceChanges(const QString& interface, const QVariantMap& now, QVariantMap& before);

    CommandRouter& m_router;
    const PlayerState& m_state;
    PlayerRequests& m_requests;
    QObject m_root;  // the object registered at kMprisPath; owns the adaptors
    QObject* m_playerAdaptor = nullptr;
    QString m_service;
    QTimer m_watch;
    QVariantMap m_announced;
    QVariantMap m_announcedKey;
};

}  // namespace cx
