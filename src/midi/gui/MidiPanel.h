// One channel strip of the MIDI mixer: on/off, volume, balance, instrument
// and the lock that keeps the channel out of transposition and loaded settings.
#pragma once

#include <QFrame>
#include <QString>
#include <functional>

#include "midi/MidiChannels.h"

class QLabel;
class QToolButton;

namespace cx {

class Thumb;

class MidiPanel : public QFrame {
public:
    explicit MidiPanel(int channel, QWidget* parent = nullptr);

    int Channel() const { return m_channel; }
    // Shows a channel record and the program it plays, telling no one.
    void Show(const ChannelRecord& record, int program, bool used);
    bool GetEnabled() const;
    bool Locked() const;
    // The instrument button's tooltip: the General MIDI name.
    void InstrumentTooltip(const QString& name);
    // The on/off tooltip of a channel the song never plays.
    void SetUnusedTip(const QString& tip) { m_unusedTip = tip; }
    // Every control back to the channel's defaults, shown only.
    void Reset();

    QToolButton* OnOffButton() const { return m_onOff; }
    QToolButton* InstrumentButton() const { return m_instrument; }
    QToolButton* LockButton() const { return m_lock; }
    Thumb* VolumeThumb() const { return m_volume; }
    Thumb* BalanceThumb() const { return m_balance; }

    // The strip's events: what the user changed on channel Channel().
    std::function<void(int channel, bool enabled)> channelEnabled;
    std::function<void(int channel, int volume)> channelVolume;
    std::function<void(int channel, int balance)> channelBalance;
    std::function<void(int channel)> chooseInstrument;
    std::function<void(int channel, bool locked)> channelLocked;

private:
    void ShowNumbers();

    int m_channel;
    QToolButton* m_onOff;
    Thumb* m_volume;
    QLabel* m_volumeText;
    Thumb* m_balance;
    QToolButton* m_instrument;
    QToolButton* m_lock;
    QString m_unusedTip = QStringLiteral("The song plays nothing here");
};

}  // namespace cx
