// The sound controls of the MIDI window without widgets: where each thumb
// stands, what its labels say, and where a move goes. The key and tempo
// thumbs act on the audio song through the media control or on the MIDI song
// through the MIDI player; bass, treble, balance and the voice effects
// follow the same split.
#pragma once

#include <array>
#include <string>

#include "midi/MidiChannels.h"
#include "midi/MidiPlayer.h"
#include "playback/ControlMappings.h"
#include "playback/MediaControl.h"

namespace cx {

// Bass and treble thumbs (vertical: 30 is the top).
inline constexpr int kEqThumbTop = 30;
inline constexpr int kEqThumbBottom = 88;
// Where the equaliser is flat (setting 50, 0 dB).
inline constexpr int kEqThumbNeutral = 59;
// Balance thumb.
inline constexpr int kBalanceThumbLeft = 235;
inline constexpr int kBalanceThumbRight = 299;
inline constexpr int kBalanceThumbCentre = 267;
// Voice effect amount thumbs.
inline constexpr int kEffectThumbMin = 83;
inline constexpr int kEffectThumbMax = 183;

// Bass or treble thumb position for a stored setting 0..100.
int EqThumbFromSetting(int setting);
// MIDI pan (controller 10) for a balance 0..20000; the centre is the
// controller's own centre.
int MidiPanFromBalance(double balance);
// "+2", "-30", "0": a signed whole number as the labels show it.
std::string SignedText(int value);

class SoundControls {
public:
    SoundControls(MediaControl& media, MidiPlayer& midi);

    // A MIDI song is open in the MIDI player.
    bool MidiSong() const;

    // Key and tempo thumbs (77..141, rest 109).
    void MoveTranspose(int position);
    void MoveTempo(int position);
    int TransposeThumb() const { return m_transpose; }
    int TempoThumb() const { return m_tempo; }
    // labTONE: semitones of the key change, for either kind of song.
    int Semitones() const;
    // labTMP: the tempo thumb's steps from rest.
    int TempoSteps() const { return TempoLabel(m_tempo); }
    // Tempo change in percent: the audio song's tempo, or the MIDI factor's.
    int TempoPercent() const;
    // "Tempo: 00.00" for a MIDI song, empty otherwise.
    std::string TempoText() const;
    // Both thumbs back to rest without touching the song (it is closing).
    void ResetThumbs();
    // A song was opened: the key thumb shows a MIDI song's stored transposition.
    void SongOpened();

    // What a thumb position gives the open song, and back, for remote
    // controls that speak in factors and semitones. A position is found as
    // the nearest value, ties going to the position nearer rest; the MIDI
    // tempo thumb's still end (factor 0) is never chosen.
    double TempoFactorAt(int position) const;
    int SemitonesAt(int position) const;
    int TempoThumbFor(double factor) const;
    int TransposeThumbFor(int semitones) const;
    // The smallest and largest factor (above 0) and key change on offer.
    double MinTempoFactor() const;
    double MaxTempoFactor() const;
    int MinSemitones() const { return SemitonesAt(kThumbMin); }
    int MaxSemitones() const { return SemitonesAt(kThumbMax); }

    // Bass and treble thumbs (30..88) and what they give.
    void MoveBass(int y);
    void MoveTreble(int y);
    int BassThumb() const { return m_bass; }
    int TrebleThumb() const { return m_treble; }
    int BassDb() const;
    int TrebleDb() const;
    // Both thumbs to the flat position, heard at once.
    void ResetAll();

    // Balance thumb (235..299).
    void MoveBalance(int x);
    int BalanceThumb() const { return m_balance; }
    int Pan() const { return PanFromBalance(BalanceFromThumb(m_balance)); }
    void ResetBalance();

    // Voice effects 1..4: amount thumbs (83..183) and switches.
    void MoveEffectAmount(int index, int position);
    void SwitchEffect(int index, bool on);
    int EffectThumb(int index) const;
    int EffectAmount(int index) const;
    bool EffectOn(int index) const;

    // The vocal remover of the audio song.
    bool ToggleVocalCut() { return m_media.ToggleVocalRemover(); }
    bool VocalCutOn() const { return m_media.VocalCutOn(); }
    bool VocalCutAvailable() const {
        return m_media.CurrentChannel() != 0 && m_media.VocalCutAvailable();
    }

    MidiPlayer& Midi() { return m_midi; }
    const MidiPlayer& Midi() const { return m_midi; }
    MediaControl& Media() { return m_media; }

private:
    MediaControl& m_media;
    MidiPlayer& m_midi;
    int m_transpose = kThumbRest;
    int m_tempo = kThumbRest;
    int m_bass;
    int m_treble;
    int m_balance = kBalanceThumbCentre;
};

}  // namespace cx
