#include "recording/VoiceFile.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "platform/AtomicFile.h"

namespace cx {
namespace {

// A RIFF length field is 32 bits and counts 36 header bytes besides the data.
constexpr std::uint64_t kMaxVoiceData = std::numeric_limits<std::uint32_t>::max() - 36;

void PutLe32(std::string& bytes, std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Whole frames only: a trailing half sample would shift everything after it.
std::string_view WholeFrames(const RecordFormat& format, std::string_view samples) {
    const auto block = static_cast<std::size_t>(format.BlockAlign());
    return samples.substr(0, samples.size() - samples.size() % block);
}

VoiceFileResult Fail(std::string reason) {
    VoiceFileResult r;
    r.reason = std::move(reason);
    return r;
}

}  // namespace

VoiceFileResult BuildVoiceFile(const RecordFormat& format, double songSeconds, double startSeconds,
                               std::string_view takeSamples) {
    const std::string_view take = WholeFrames(format, takeSamples);
    const std::uint64_t start = FrameAlignedBytes(format, startSeconds);
    const std::uint64_t song = FrameAlignedBytes(format, songSeconds);
    const std::uint64_t data = std::max<std::uint64_t>(song, start + take.size());
    if (data > kMaxVoiceData) return Fail("the voice file would pass the 4 GB limit of WAV");
    VoiceFileResult r;
    r.bytes = PcmWavHeader(format, static_cast<std::uint32_t>(data));
    r.bytes.resize(kVoiceHeaderBytes + data, '\0');
    std::copy(take.begin(), take.end(),
              r.bytes.begin() + static_cast<std::ptrdiff_t>(kVoiceHeaderBytes + start));
    r.ok = true;
    return r;
}

VoiceFileResult UpdateVoiceFile(std::string_view existing, const RecordFormat& takeFormat,
                                double startSeconds, std::string_view takeSamples) {
    const PcmWavInfo info = ReadPcmWav(existing);
    if (!info.ok) return Fail("the voice file cannot be updated: " + info.reason);
    if (!(info.format == takeFormat)) {
        return Fail("the voice file was recorded in another format (" +
                    std::to_string(info.format.samplesPerSecond) + " Hz, " +
                    std::to_string(info.format.channels) + " channels)");
    }
    const std::string_view take = WholeFrames(takeFormat, takeSamples);
    const std::uint64_t start = FrameAlignedBytes(takeFormat, startSeconds);
    const std::uint64_t data = std::max<std::uint64_t>(info.dataBytes, start + take.size());
    if (data > kMaxVoiceData) return Fail("the voice file would pass the 4 GB limit of WAV");

    // Head, the data (grown with silence when the take runs past it), and
    // whatever chunks followed the data.
    const std::string_view head = existing.substr(0, info.dataOffset);
    const std::string_view oldData = existing.substr(info.dataOffset, info.dataBytes);
    const std::string_view tail = existing.substr(info.dataOffset + info.dataBytes);
    VoiceFileResult r;
    r.bytes.reserve(head.size() + data + tail.size());
    r.bytes.append(head);
    r.bytes.append(oldData);
    r.bytes.resize(head.size() + data, '\0');
    std::copy(take.begin(), take.end(),
              r.bytes.begin() + static_cast<std::ptrdiff_t>(head.size() + start));
    r.bytes.append(tail);
    if (data != info.dataBytes) {
        PutLe32(r.bytes, info.dataOffset - 4, data);
        PutLe32(r.bytes, 4, r.bytes.size() - 8);
    }
    r.ok = true;
    return r;
}

std::string PlaceTake(const std::filesystem::path& takePath, const std::filesystem::path& voicePath,
                      double songSeconds, double startSeconds) {
    const ReadResult takeFile = ReadWholeFile(takePath);
    if (!takeFile.bytes) return "cannot read the recording: " + takeFile.error;
    const PcmWavInfo take = ReadPcmWav(*takeFile.bytes);
    if (!take.ok) return "the recording is damaged: " + take.reason;
    const std::string_view samples =
        std::string_view(*takeFile.bytes).substr(take.dataOffset, take.dataBytes);

    std::error_code ec;
    VoiceFileResult placed;
    if (std::filesystem::exists(voicePath, ec)) {
        const ReadResult voice = ReadWholeFile(voicePath);
        if (!voice.bytes) return "cannot read the voice file: " + voice.error;
        placed = UpdateVoiceFile(*voice.bytes, take.format, startSeconds, samples);
    } else {
        placed = BuildVoiceFile(take.format, songSeconds, startSeconds, samples);
    }
    if (!placed.ok) return placed.reason;
    if (voicePath.has_parent_path())
        std::filesystem::create_directories(voicePath.parent_path(), ec);
    const std::string error = WriteFileAtomically(voicePath, placed.bytes);
    if (!error.empty()) return error;
    std::filesystem::remove(takePath, ec);
    return {};
}

}  // namespace cx
