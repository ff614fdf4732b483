#include "app/ApplicationFace.h"

#include <QFileInfo>

#include "app/Application.h"
#include "midi/gui/MidiEq.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/OpenFailure.h"
#include "playback/player/gui/Player.h"

namespace cx {

bool ApplicationFace::HasSong() const {
    return !m_app.ClosingDown() && m_app.Transport().IsOpen();
}

PlayState ApplicationFace::State() const {
    return m_app.Transport().State();
}

std::string ApplicationFace::SongPath() const {
    return m_app.Transport().CurrentPath();
}

SongLabels ApplicationFace::Labels() const {
    return m_app.Transport().Labels();
}

double ApplicationFace::LengthSeconds() const {
    return m_app.Transport().Length();
}

double ApplicationFace::PositionSeconds() const {
    return m_app.Transport().Position();
}

int ApplicationFace::VolumePercent() const {
    const Player* p = m_app.PlayerWindow();
    return p ? p->GetVolume() : 0;
}

int ApplicationFace::ListCount() const {
    return m_app.List().ListCount();
}

bool ApplicationFace::Recording() const {
    return m_app.Voice().IsRecording();
}

TempoAndKey ApplicationFace::Tempo() const {
    TempoAndKey t;
    MidiEq* eq = m_app.MidiWindow();
    if (!eq) return t;
    const SoundControls& c = eq->Controls();
    t.rate = c.TempoFactorAt(c.TempoThumb());
    t.minimumRate = c.MinTempoFactor();
    t.maximumRate = c.MaxTempoFactor();
    t.transpose = c.Semitones();
    t.minimumTranspose = c.MinSemitones();
    t.maximumTranspose = c.MaxSemitones();
    return t;
}

void ApplicationFace::SeekTo(double seconds) {
    m_app.SeekTo(seconds);
}

std::string ApplicationFace::Open(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    if (!file.isFile() || !file.isReadable())
        return path + ": " + m_app.Tr(OpenFailureKey(DiagnoseOpenFailure(path)));
    m_app.ChangeSong(file.absoluteFilePath());
    return {};
}

void ApplicationFace::SetVolumePercent(int percent) {
    if (Player* p = m_app.PlayerWindow()) p->SetVolume(percent);
}

// Tempo and key move the MIDI window's thumbs, so the window shows them.
void ApplicationFace::SetRate(double rate) {
    MidiEq* eq = m_app.MidiWindow();
    if (!eq) return;
    eq->Controls().MoveTempo(eq->Controls().TempoThumbFor(rate));
    eq->Refresh();
}

void ApplicationFace::SetTranspose(int semitones) {
    MidiEq* eq = m_app.MidiWindow();
    if (!eq) return;
    eq->Controls().MoveTranspose(eq->Controls().TransposeThumbFor(semitones));
    eq->Refresh();
}

void ApplicationFace::Raise() {
    Player* p = m_app.PlayerWindow();
    if (!p) return;
    if (p->InTray()) p->RestoreFromTray();
    p->show();
    p->raise();
    p->activateWindow();
}

}  // namespace cx
