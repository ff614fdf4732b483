// The sound panel of the MIDI window: bass, treble and balance thumbs, the
// four voice effects with their amount thumbs and switches, the two resets
// and the vocal remover's state.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "playback/VoiceEffects.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace cx {

class SoundControls;
class Thumb;

class Advance : public QWidget {
public:
    using TranslateFn = std::function<std::string(const std::string&)>;
    Advance(SoundControls& controls, TranslateFn translate, QWidget* parent = nullptr);

    // Shows what the controls hold now.
    void Refresh();
    void ResetAll();
    void ResetBalance();

    Thumb* BassThumb() const { return m_bass; }
    Thumb* TrebleThumb() const { return m_treble; }
    Thumb* BalanceThumb() const { return m_balanceThumb; }
    // Index 1 reverb, 2 echo, 3 chorus, 4 flanger.
    Thumb* EffectThumb(int index) const { return m_ef.at(static_cast<std::size_t>(index)); }
    QToolButton* EffectSwitch(int index) const { return m_efo.at(static_cast<std::size_t>(index)); }
    QToolButton* VocalCutButton() const { return m_vocal; }
    QString BassText() const;
    QString TrebleText() const;
    QString BalanceText() const;
    QString EffectText(int index) const;

private:
    QString Tr(const char* key, const char* fallback) const;
    void ShowLabels();

    SoundControls& m_controls;
    TranslateFn m_translate;
    Thumb* m_bass;
    Thumb* m_treble;
    Thumb* m_balanceThumb;
    QLabel* m_bassLabel;
    QLabel* m_trebleLabel;
    QLabel* m_balanceLabel;
    std::array<Thumb*, kVoiceEffectCount + 1> m_ef{};
    std::array<QToolButton*, kVoiceEffectCount + 1> m_efo{};
    std::array<QLabel*, kVoiceEffectCount + 1> m_efLabel{};
    QToolButton* m_vocal;
};

}  // namespace cx
