// The voice panel: microphone switch and level meter, output volume, the
// vocal remover, recording card, input and level, MIDI volume, the voice
// volume thumb, the voice synchronisation slider and the voice effect
// switches. Without a sound card mixer its level controls are disabled and
// a one-line note says why.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "recording/ClsVolume.h"
#include "recording/LevelMeter.h"
#include "recording/VoiceCapture.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace cx {

class MediaControl;
class VoiceDesk;

class Equalizer : public QWidget {
public:
    using Translate = std::function<std::string(const std::string&)>;
    Equalizer(VoiceDesk& desk, MediaControl& media, ClsVolume& mixer, Translate translate,
              QWidget* parent = nullptr);
    ~Equalizer() override;

    void MuteMicro(bool value);
    // Microphone monitor on or off: the meter's own capture runs only while on.
    void SetMicro(bool on);
    // One captured buffer (16-bit stereo): updates the meter.
    void Monitor(const unsigned char* buffer, std::size_t length);
    void SetRemover(bool value);
    void ChangeCard(int index);
    void ChangeSource(int index);
    void setRecordLevel(int percent);
    bool ChangeMidiVol(int percent);
    void resetSynchro();
    void readVol();
    void ReadEffects();

    // Top of the voice volume thumb, 33..91 (stored as VoiceVolume).
    void SetVoiceThumb(int top);
    int VoiceThumb() const;
    // The chosen card as the settings keep it: -1 the system's default, 0.. a card.
    int RecordDevice() const;
    void SetSynchro(int position);
    const LevelMeter& Meter() const { return m_meter; }
    bool MixerControlsEnabled() const;
    QString MixerNote() const;
    // Called by the meter timer; tests call it too.
    void PollMeter();

private:
    void Build();
    void changeVolume(int left, int right);
    void ShowCard();
    QPushButton* Switch(const std::string& key);

    VoiceDesk& m_desk;
    MediaControl& m_media;
    ClsVolume& m_mixer;
    Translate m_tr;
    LevelMeter m_meter;
    std::unique_ptr<VoiceCapture> m_monitor;
    std::vector<std::string> m_cards;

    QPushButton* m_micro = nullptr;
    QPushButton* m_remver = nullptr;
    QProgressBar* m_left = nullptr;
    QProgressBar* m_right = nullptr;
    QSlider* m_output = nullptr;
    QComboBox* m_card = nullptr;
    QComboBox* m_source = nullptr;
    QSlider* m_recordLevel = nullptr;
    QSlider* m_midi = nullptr;
    QSlider* m_voice = nullptr;
    QSlider* m_synchro = nullptr;
    QLabel* m_note = nullptr;
    std::array<QPushButton*, 5> m_effects{};  // 1..4
    QTimer* m_meterTimer = nullptr;
    QTimer* m_watch = nullptr;  // switches another window may have changed
};

}  // namespace cx
