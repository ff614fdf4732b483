#include "midi/SoundControls.h"

#include <algorithm>
#include <cmath>

namespace cx {

int EqThumbFromSetting(int setting) {
    setting = std::clamp(setting, 0, 100);
    // The inverse of EqSettingFromThumb, rounded up so that the thumb gives
    // back the same setting (the mapping truncates).
    const double y = kEqThumbBottom - setting * (kEqThumbBottom - kEqThumbTop) / 100.0;
    int thumb = static_cast<int>(std::floor(y));
    while (thumb > kEqThumbTop && EqSettingFromThumb(thumb) < setting) --thumb;
    return std::clamp(thumb, kEqThumbTop, kEqThumbBottom);
}

int MidiPanFromBalance(double balance) {
    // The whole part of b / 20000 * 127 puts the centre at 63, a step to the
    // left of the controller's centre; the centre must sound centred.
    if (balance == 10000.0) return kCenterBalance;
    return std::clamp(static_cast<int>(balance / 20000.0 * 127.0), 0, 127);
}

std::string SignedText(int value) {
    return value > 0 ? "+" + std::to_string(value) : std::to_string(value);
}

SoundControls::SoundControls(MediaControl& media, MidiPlayer& midi)
    : m_media(media),
      m_midi(midi),
      m_bass(EqThumbFromSetting(media.Settings().customBass)),
      m_treble(EqThumbFromSetting(media.Settings().customTreble)) {}

bool SoundControls::MidiSong() const {
    return m_media.MidiMode() && m_midi.State() != MidiPlayState::Closed;
}

void SoundControls::MoveTranspose(int position) {
    position = ClampThumb(position);
    if (position == m_transpose) return;
    m_transpose = position;
    // The media control keeps its own thumb too; it leaves MIDI songs alone.
    m_media.OnTransposeThumb(position);
    if (MidiSong()) m_midi.SetTransposition(position - kThumbRest);
}

void SoundControls::MoveTempo(int position) {
    position = ClampThumb(position);
    if (position == m_tempo) return;
    m_tempo = position;
    m_media.OnTempoThumb(position);
    if (MidiSong()) m_midi.SetTempoSlider(position);
}

int SoundControls::Semitones() const {
    if (MidiSong()) return TransposeSemitones(m_transpose - kThumbRest);
    return PitchFromThumb(m_transpose);
}

int SoundControls::TempoPercent() const {
    if (MidiSong()) return static_cast<int>(std::lround((MidiTempoFactor(m_tempo) - 1.0) * 100.0));
    return TempoFromThumb(m_tempo);
}

std::string SoundControls::TempoText() const {
    return MidiSong() ? m_midi.TempoText() : std::string();
}

void SoundControls::ResetThumbs() {
    m_transpose = m_tempo = kThumbRest;
}

void SoundControls::SongOpened() {
    ResetThumbs();
    if (!MidiSong()) return;
    // A transposition and tempo stored with the song are heard from the
    // start, so the thumbs show them.
    m_transpose = ClampThumb(kThumbRest + m_midi.Transposition());
    m_media.OnTransposeThumb(m_transpose);
    m_tempo = ClampThumb(m_midi.TempoSlider());
    m_media.OnTempoThumb(m_tempo);
}

double SoundControls::TempoFactorAt(int position) const {
    if (MidiSong()) return MidiTempoFactor(position);
    return 1.0 + TempoFromThumb(position) / 100.0;
}

int SoundControls::SemitonesAt(int position) const {
    if (MidiSong()) return TransposeSemitones(ClampThumb(position) - kThumbRest);
    return PitchFromThumb(position);
}

namespace {

// The position in kThumbMin..kThumbMax whose value is nearest `wanted`;
// walking outwards from rest makes the first of equals the one nearest it.
template <class ValueAt>
int NearestThumb(double wanted, ValueAt valueAt) {
    int best = kThumbRest;
    double bestGap = std::abs(valueAt(kThumbRest) - wanted);
    for (int step = 1; step <= kThumbMax - kThumbRest || step <= kThumbRest - kThumbMin; ++step) {
        for (int p : {kThumbRest + step, kThumbRest - step}) {
            if (p < kThumbMin || p > kThumbMax) continue;
            const double value = valueAt(p);
            if (std::isnan(value)) continue;
            const double gap = std::abs(value - wanted);
            if (gap < bestGap) {
                best = p;
                bestGap = gap;
            }
        }
    }
    return best;
}

}  // namespace

int SoundControls::TempoThumbFor(double factor) const {
    return NearestThumb(factor, [this](int p) {
        const double f = TempoFactorAt(p);
        return f > 0 ? f : std::nan("");
    });
}

int SoundControls::TransposeThumbFor(int semitones) const {
    return NearestThumb(semitones, [this](int p) { return double(SemitonesAt(p)); });
}

double SoundControls::MinTempoFactor() const {
    return TempoFactorAt(TempoThumbFor(0.0));
}

double SoundControls::MaxTempoFactor() const {
    return TempoFactorAt(kThumbMax);
}

void SoundControls::MoveBass(int y) {
    m_bass = std::clamp(y, kEqThumbTop, kEqThumbBottom);
    m_media.OnBassThumb(m_bass);
}

void SoundControls::MoveTreble(int y) {
    m_treble = std::clamp(y, kEqThumbTop, kEqThumbBottom);
    m_media.OnTrebleThumb(m_treble);
}

int SoundControls::BassDb() const {
    return BassTrebleGain(EqSettingFromThumb(m_bass));
}

int SoundControls::TrebleDb() const {
    return BassTrebleGain(EqSettingFromThumb(m_treble));
}

void SoundControls::ResetAll() {
    // Flat, and heard so: a reset that only moved the thumbs would leave the
    // song sounding other than the thumbs say.
    MoveBass(kEqThumbNeutral);
    MoveTreble(kEqThumbNeutral);
}

void SoundControls::MoveBalance(int x) {
    m_balance = std::clamp(x, kBalanceThumbLeft, kBalanceThumbRight);
    const double b = BalanceFromThumb(m_balance);
    if (MidiSong()) {
        const int pan = MidiPanFromBalance(b);
        for (int ch = 0; ch < kMidiChannels; ++ch) {
            // A locked channel keeps its own balance.
            if (m_midi.Channels()[static_cast<std::size_t>(ch)].Locked) continue;
            m_midi.ChannelBalance(ch, pan);
        }
    }
    m_media.OnBalance(b);
}

void SoundControls::ResetBalance() {
    MoveBalance(kBalanceThumbCentre);
}

void SoundControls::MoveEffectAmount(int index, int position) {
    if (index < 1 || index > kVoiceEffectCount) return;
    // Kept while the effect is off, and heard when it is switched on.
    m_media.OnEffectAmount(index, position);
}

void SoundControls::SwitchEffect(int index, bool on) {
    if (index < 1 || index > kVoiceEffectCount) return;
    m_media.OnEffectSwitch(index, on);
}

int SoundControls::EffectThumb(int index) const {
    return kEffectThumbMin + EffectAmount(index);
}

int SoundControls::EffectAmount(int index) const {
    return m_media.VoiceEffects()[index].Amount;
}

bool SoundControls::EffectOn(int index) const {
    return m_media.VoiceEffects()[index].On;
}

}  // namespace cx
