// How the positions of the effect controls become engine values: tempo and
// transposition thumbs, bass/treble thumbs, balance, and the voice effect amounts.
#pragma once

namespace cx {

// Rounds to the nearest whole number, halves to the even one.
int NearestEven(double x);

// Tempo and transposition thumbs: positions clamped to 77..141, rest at 109.
inline constexpr int kThumbMin = 77;
inline constexpr int kThumbMax = 141;
inline constexpr int kThumbRest = 109;
int ClampThumb(int p);
// Label of either thumb's tempo: p - 109.
int TempoLabel(int p);
// Tempo change in percent, -30..30.
int TempoFromThumb(int p);
// Key change in semitones, -6..6 (rounded down to the right, to nearest-even to the left).
int PitchFromThumb(int p);

// Bass and treble thumbs: y clamped to 30..88; the stored setting 0..100.
int EqSettingFromThumb(int y);
// Setting 0..100 (50 neutral) to whole decibels -15..15.
int BassTrebleGain(int v);

// Balance thumb: x clamped to 235..299, reported as 0..20000 (centre 10000).
double BalanceFromThumb(int x);
// Balance 0..20000 to channel pan -100..100.
int PanFromBalance(double b);

// Effect amount thumb: position clamped to 83..183, amount 0..100.
int EffectAmountFromThumb(int position);
// `Value` of voice effect `index` (1 reverb, 2 echo, 3 chorus, 4 flanger) for an amount.
int EffectValue(int index, int amount);
// Reverb mix in dB for a reverb Value: -0.012 v^3.
float ReverbMixDb(int value);

}  // namespace cx
