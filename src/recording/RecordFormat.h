// The PCM format of a take and of a song's voice file, and the 44-byte WAV
// header both carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cx {

inline constexpr int kRecordBitsPerSample = 16;
inline constexpr std::size_t kVoiceHeaderBytes = 44;

struct RecordFormat {
    int channels = 2;
    int samplesPerSecond = 22050;

    int BlockAlign() const { return channels * kRecordBitsPerSample / 8; }
    int BytesPerSecond() const { return samplesPerSecond * BlockAlign(); }
    bool operator==(const RecordFormat&) const = default;
};

// The format the settings ask for. `quality` is the stored rate (11025,
// 22050, 44100) or the older index 0..2; `mode` 1 is mono, anything else
// stereo. Unknown rates fall back to 22050.
RecordFormat RecordFormatFromSettings(int quality, int mode);

// Bytes from the start of the sample data to `seconds`, rounded down to a
// whole sample frame so that channels and sample halves never swap.
std::uint64_t FrameAlignedBytes(const RecordFormat& format, double seconds);

// "RIFF" .. "data" with the lengths for `dataBytes` of samples.
std::string PcmWavHeader(const RecordFormat& format, std::uint32_t dataBytes);

// What a WAV file holds, read from its bytes.
struct PcmWavInfo {
    bool ok = false;
    std::string reason;  // why not, when !ok
    RecordFormat format;
    std::size_t dataOffset = 0;
    std::size_t dataBytes = 0;  // clamped to what the file holds
};

// Accepts 16-bit PCM WAV with one or two channels; anything else gets a reason.
PcmWavInfo ReadPcmWav(std::string_view bytes);

}  // namespace cx
