// The 16 channel records of the MIDI mixer and the General MIDI program names.
#pragma once

#include <array>
#include <string>

namespace cx {

inline constexpr int kMidiChannels = 16;
inline constexpr int kPercussionChannel = 9;
inline constexpr int kDefaultChannelVolume = 100;
inline constexpr int kCenterBalance = 64;

struct ChannelRecord {
    bool Enabled = true;  // off = muted
    int Instrument = 0;   // program number 0..127
    bool Locked = false;  // keeps its values; skipped by transposition and by loading settings
    int Volume = kDefaultChannelVolume;  // controller 7
    int Balance = kCenterBalance;        // controller 10
    // Set when the user (or the song's settings) chose the value: it then
    // overrides what the song itself sends on that channel.
    bool VolumeSet = false;
    bool BalanceSet = false;
    bool InstrumentSet = false;
};

using ChannelRecords = std::array<ChannelRecord, kMidiChannels>;

// Short General MIDI Level 1 name of a program ("Acoustic Grand" ...); empty when out of range.
std::string GeneralMidiName(int program);
// Name of the channel's instrument.
std::string GetInstrument(const ChannelRecords& records, int channel);

}  // namespace cx
