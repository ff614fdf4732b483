// The voice file updater over any existing file: a take is placed at some
// song time into whatever bytes stand in the voice file. Beyond not crashing:
// what it writes reads back as a voice file holding the take where it began,
// every other sample and every byte around the data as they were.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "recording/VoiceFile.h"

namespace {

// Takes and start times stay small: the updater's cost is linear in them and
// nothing it decides depends on their size.
constexpr std::size_t kMaxStartFrames = 4096;
constexpr int kRates[] = {11025, 22050, 44100};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string TakeBytes(std::size_t size) {
    std::string take(size, '\0');
    for (std::size_t i = 0; i < size; ++i) take[i] = static_cast<char>(0x11 + i * 7);
    return take;
}

bool LengthField(std::size_t at, std::size_t dataOffset) {
    return (at >= 4 && at < 8) || (at + 4 >= dataOffset && at < dataOffset);
}

void CheckUpdate(std::string_view existing, const cx::RecordFormat& format, double start,
                 const std::string& take) {
    const cx::VoiceFileResult r = cx::UpdateVoiceFile(existing, format, start, take);
    if (!r.ok) {
        Check(!r.reason.empty());
        return;
    }
    const cx::PcmWavInfo before = cx::ReadPcmWav(existing);
    const cx::PcmWavInfo after = cx::ReadPcmWav(r.bytes);
    Check(before.ok && after.ok && after.format == format);
    Check(after.dataOffset == before.dataOffset);
    const std::size_t from = cx::FrameAlignedBytes(format, start);
    const std::size_t to = from + take.size();
    Check(after.dataBytes == std::max(before.dataBytes, to));
    const bool grown = after.dataBytes != before.dataBytes;
    for (std::size_t i = 0; i < before.dataOffset; ++i)
        Check(r.bytes[i] == existing[i] || (grown && LengthField(i, before.dataOffset)));
    const std::string_view oldData = existing.substr(before.dataOffset, before.dataBytes);
    for (std::size_t i = 0; i < after.dataBytes; ++i) {
        const char expected = i >= from && i < to ? take[i - from]
                              : i < oldData.size() ? oldData[i]
                                                   : '\0';
        Check(r.bytes[after.dataOffset + i] == expected);
    }
    const std::string_view tail = existing.substr(before.dataOffset + before.dataBytes);
    Check(std::string_view(r.bytes).substr(after.dataOffset + after.dataBytes) == tail);
}

void CheckBuild(const cx::RecordFormat& format, double song, double start,
                const std::string& take) {
    const cx::VoiceFileResult r = cx::BuildVoiceFile(format, song, start, take);
    Check(r.ok);
    const cx::PcmWavInfo info = cx::ReadPcmWav(r.bytes);
    Check(info.ok && info.format == format && info.dataOffset == cx::kVoiceHeaderBytes);
    const std::size_t from = cx::FrameAlignedBytes(format, start);
    Check(info.dataBytes ==
          std::max<std::size_t>(cx::FrameAlignedBytes(format, song), from + take.size()));
    Check(r.bytes.compare(info.dataOffset + from, take.size(), take) == 0);
}

}  // namespace

// Bytes 0..3 choose the take: its channels and rate, the frame it starts at
// and its length in frames; the rest is the voice file already there.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    cx::RecordFormat format;
    format.channels = (data[0] & 1) ? 1 : 2;
    format.samplesPerSecond = kRates[(data[0] >> 1) % 3];
    const std::size_t startFrame = (data[1] | (data[2] << 8)) % kMaxStartFrames;
    const double start = static_cast<double>(startFrame) / format.samplesPerSecond;
    const std::string take = TakeBytes(static_cast<std::size_t>(data[3]) * format.BlockAlign());
    const std::string_view existing(reinterpret_cast<const char*>(data) + 4, size - 4);

    CheckUpdate(existing, format, start, take);
    CheckBuild(format, static_cast<double>(data[3]) / 100.0, start, take);
    return 0;
}
