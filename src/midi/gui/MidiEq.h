// The MIDI window: the key and tempo thumbs that serve every song, the
// sixteen channel strips of a MIDI song with the instrument picker, the
// sound panel, and the song's settings block (save and restore) and
// information dialog.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "midi/MidiSongReport.h"
#include "midi/SoundControls.h"
#include "platform/Codepage.h"

class QLabel;
class QPushButton;

namespace cx {

class Advance;
class Instrum;
class MIDIInfo;
class MidiPanel;
class Thumb;

class MidiEq : public QWidget {
public:
    struct Services {
        std::function<std::string(const std::string&)> translate;
        // The player holds words for the open song (for the information dialog).
        std::function<bool()> wordsLoaded;
        Codepage codepage = Codepage::Cp1252;
        // The voice panel below the sound panel, made when the window is
        // first shown: listing capture cards costs time the start has not.
        std::function<QWidget*(QWidget* parent)> makeVoicePanel;
    };

    MidiEq(MediaControl& media, MidiPlayer& midi, Services services, QWidget* parent = nullptr);
    ~MidiEq() override;

    SoundControls& Controls() { return m_controls; }
    // Shows the window when hidden and hides it when shown; true when shown.
    bool Toggle();
    // Shows the window in front.
    void Open();
    // Shows the window with the voice panel in view (the mixer command).
    void OpenVoicePanel();
    // Null until the window was first shown (or when there is none).
    QWidget* VoicePanel() const { return m_voicePanel; }

    // The song is closing: both thumbs and their labels back to rest.
    void ResetThumbs();
    // A song was opened: thumbs, strips and labels show it.
    void SongChanged();
    // The vocal remover shows off (a song is opening).
    void ResetRemover();
    // Shows every control from the state it stands for.
    void Refresh();

    // The settings block of the open MIDI song: written into the song file,
    // or read back from it. Empty on success, else why (also shown in the window).
    std::string SaveMidi();
    std::string RestoreMidi();
    // Every unlocked channel off (or on again).
    void MuteAll(bool mute);
    // Opens the information dialog for the open MIDI song.
    void ShowInfo();
    MIDIInfo* InfoDialog() const;

    // "eq position": left, top, width and height.
    QString PositionText() const;
    void ApplyPosition(const QString& text);

    Thumb* TransposeThumb() const { return m_trn; }
    Thumb* TempoThumb() const { return m_tmp; }
    QString ToneText() const;        // labTONE
    QString TempoStepsText() const;  // labTMP
    QString TempoValueText() const;  // the tempo change in percent
    QString TempoLabelText() const;  // "Tempo: 00.00" of a MIDI song
    MidiPanel* Strip(int channel) const;
    Instrum* Picker() const { return m_picker; }
    Advance* SoundPanel() const { return m_advance; }
    QString StatusText() const;
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* RestoreButton() const { return m_restore; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString Tr(const char* key, const char* fallback) const;
    QWidget* BuildThumbs();
    QWidget* BuildStrips();
    QWidget* BuildButtons();
    void ShowThumbs();
    void ShowStrips();
    void ShowStrip(int channel);
    int ShownProgram(int channel) const;
    void ChooseInstrument(int channel);
    void SetStatus(const std::string& error, const QString& done);
    void MakeVoicePanel();

    SoundControls m_controls;
    Services m_services;
    ChannelUses m_uses{};
    Thumb* m_trn = nullptr;
    Thumb* m_tmp = nullptr;
    QLabel* m_labTONE = nullptr;
    QLabel* m_labTMP = nullptr;
    QLabel* m_tempoValue = nullptr;
    QLabel* m_tempoLabel = nullptr;
    MidiPanel* m_strips[kMidiChannels] = {};
    QWidget* m_stripArea = nullptr;
    Instrum* m_picker = nullptr;
    int m_pickChannel = -1;
    Advance* m_advance = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_muteAll = nullptr;
    QPushButton* m_infoButton = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_voicePanel = nullptr;
    QPointer<MIDIInfo> m_info;
    QTimer m_watch;  // the vocal remover's state while the window is shown
};

}  // namespace cx
