#include "recording/RecordFormat.h"

#include <cmath>

#include "lyrics/WavHeader.h"

namespace cx {
namespace {

void PutLe(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

RecordFormat RecordFormatFromSettings(int quality, int mode) {
    RecordFormat f;
    switch (quality) {
        case 0:
        case 11025:
            f.samplesPerSecond = 11025;
            break;
        case 2:
        case 44100:
            f.samplesPerSecond = 44100;
            break;
        default:
            f.samplesPerSecond = 22050;
            break;
    }
    f.channels = mode == 1 ? 1 : 2;
    return f;
}

std::uint64_t FrameAlignedBytes(const RecordFormat& format, double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) return 0;
    const auto frames = static_cast<std::uint64_t>(std::floor(seconds * format.samplesPerSecond));
    return frames * static_cast<std::uint64_t>(format.BlockAlign());
}

std::string PcmWavHeader(const RecordFormat& format, std::uint32_t dataBytes) {
    std::string h;
    h.reserve(kVoiceHeaderBytes);
    h += "RIFF";
    PutLe(h, dataBytes + 36, 4);
    h += "WAVEfmt ";
    PutLe(h, 16, 4);
    PutLe(h, 1, 2);  // PCM
    PutLe(h, static_cast<std::uint32_t>(format.channels), 2);
    PutLe(h, static_cast<std::uint32_t>(format.samplesPerSecond), 4);
    PutLe(h, static_cast<std::uint32_t>(format.BytesPerSecond()), 4);
    PutLe(h, static_cast<std::uint32_t>(format.BlockAlign()), 2);
    PutLe(h, kRecordBitsPerSample, 2);
    h += "data";
    PutLe(h, dataBytes, 4);
    return h;
}

PcmWavInfo ReadPcmWav(std::string_view bytes) {
    PcmWavInfo info;
    const WavHeader h = ParseWavHeader(bytes, bytes.size());
    if (!h.ok) {
        info.reason = "not a WAV file";
        return info;
    }
    if (h.FormatTag != 1 || h.BitsPerSample != kRecordBitsPerSample) {
        info.reason = "not 16-bit PCM";
        return info;
    }
    if (h.Channels < 1 || h.Channels > 2 || h.SampleRate < 1000 || h.SampleRate > 192000) {
        info.reason = "unexpected channel count or sample rate";
        return info;
    }
    info.format.channels = h.Channels;
    info.format.samplesPerSecond = static_cast<int>(h.SampleRate);
    info.dataOffset = static_cast<std::size_t>(h.HeaderSize);
    info.dataBytes = static_cast<std::size_t>(h.DataSize);
    info.ok = true;
    return info;
}

}  // namespace cx
