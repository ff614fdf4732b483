#include "lyrics/WavHeader.h"

namespace cx {
namespace {

std::uint32_t Le32(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

std::uint16_t Le16(std::string_view s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

}  // namespace

bool LooksLikeWav(std::string_view head) {
    return head.size() >= 12 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "WAVE";
}

WavHeader ParseWavHeader(std::string_view head, std::uint64_t fileSize) {
    WavHeader h;
    if (!LooksLikeWav(head)) return h;
    bool haveFormat = false;
    std::size_t pos = 12;
    for (int n = 0; n < kMaxWavChunks && pos + 8 <= head.size(); ++n) {
        const std::string_view id = head.substr(pos, 4);
        const std::uint64_t size = Le32(head, pos + 4);
        const std::size_t body = pos + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= head.size()) {
            h.FormatTag = Le16(head, body);
            h.Channels = Le16(head, body + 2);
            h.SampleRate = Le32(head, body + 4);
            h.BytesPerSecond = Le32(head, body + 8);
            h.BitsPerSample = Le16(head, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            h.HeaderSize = body;
            const std::uint64_t left = fileSize > body ? fileSize - body : 0;
            h.DataSize = size < left ? size : left;
            h.ok = haveFormat;
            return h;
        }
        // Chunks are padded to an even size.
        const std::uint64_t next = body + size + (size & 1);
        if (next > head.size()) break;
        pos = static_cast<std::size_t>(next);
    }
    return h;
}

}  // namespace cx
