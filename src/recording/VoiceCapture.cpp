#include "recording/VoiceCapture.h"
#include "playback/SdlAudio.h"

#include <SDL2/SDL.h>

#include <chrono>
#include <cstring>
#include <system_error>

namespace cx {
namespace {

constexpr auto kWriterPause = std::chrono::milliseconds(5);

std::int16_t Sample(const unsigned char* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace

void CaptureSink::Prepare(const RecordFormat& format) {
    const auto bytes = static_cast<std::size_t>(kCaptureRingSeconds * format.BytesPerSecond());
    if (!m_ring || m_ring->Capacity() < bytes) m_ring = std::make_unique<ByteRing>(bytes);
    unsigned char scratch[256];
    while (m_ring->Read(scratch, sizeof scratch) > 0) {
    }
    std::uint32_t frame = 0;
    while (m_heads.Pop(frame)) {
    }
    m_overrunBytes = 0;
    m_channels = format.channels;
}

void CaptureSink::Take(const unsigned char* data, std::size_t length) {
    const std::size_t copied = m_ring->Write(data, length);
    if (copied < length) m_overrunBytes.fetch_add(length - copied, std::memory_order_relaxed);
    if (length >= 2) {
        const auto left = static_cast<std::uint16_t>(Sample(data));
        const auto right =
            m_channels == 2 && length >= 4 ? static_cast<std::uint16_t>(Sample(data + 2)) : left;
        // A full queue only means the meter has not looked lately.
        m_heads.Push(static_cast<std::uint32_t>(left) | (static_cast<std::uint32_t>(right) << 16));
    }
}

VoiceCapture::~VoiceCapture() {
    Stop();
}

bool VoiceCapture::Start(const std::string& device, const RecordFormat& format,
                         const std::filesystem::path& takeFile, std::string& error,
                         CaptureError& kind) {
    kind = CaptureError::None;
    if (Running()) return true;
    m_format = format;
    m_takePath = takeFile;
    m_written = 0;
    m_writeError.clear();
    if (!takeFile.empty()) {
        std::error_code ec;
        std::filesystem::remove(takeFile, ec);  // a leftover of the same name goes first
        m_file = std::fopen(takeFile.c_str(), "wb");
        const std::string header = PcmWavHeader(format, 0);
        if (!m_file || std::fwrite(header.data(), 1, header.size(), m_file) != header.size()) {
            error = "cannot create " + takeFile.string();
            kind = CaptureError::CreateFile;
            if (m_file) std::fclose(m_file);
            m_file = nullptr;
            std::filesystem::remove(takeFile, ec);
            return false;
        }
    }
    m_sink.Prepare(format);
    m_chunk.assign(static_cast<std::size_t>(kCaptureBufferFrames * format.BlockAlign()) * 4, 0);

    if (!StartSdlAudio(error)) {
        kind = CaptureError::Device;
        TakeReport ignored;
        CloseFile(ignored);
        std::error_code ec;
        if (!takeFile.empty()) std::filesystem::remove(takeFile, ec);
        return false;
    }
    m_sdlStarted = true;
    SDL_AudioSpec want{};
    want.freq = format.samplesPerSecond;
    want.format = AUDIO_S16LSB;  // what WAV stores
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = kCaptureBufferFrames;
    want.callback = &VoiceCapture::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(device.empty() ? nullptr : device.c_str(), 1, &want, &have, 0);
    if (m_device == 0) {
        error = SDL_GetError();
        if (error.empty()) error = "the recording device cannot be opened";
        kind = CaptureError::Device;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlStarted = false;
        TakeReport ignored;
        CloseFile(ignored);
        std::error_code ec;
        if (!takeFile.empty()) std::filesystem::remove(takeFile, ec);
        return false;
    }
    m_stopWriter = false;
    m_writer = std::thread([this] { WriterLoop(); });
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void VoiceCapture::Callback(void* user, unsigned char* stream, int length) {
    static_cast<VoiceCapture*>(user)->m_sink.Take(stream, static_cast<std::size_t>(length));
}

void VoiceCapture::Drain() {
    for (;;) {
        const std::size_t n = m_sink.Read(m_chunk.data(), m_chunk.size());
        if (n == 0) return;
        if (!m_file) continue;  // the level meter only
        if (std::fwrite(m_chunk.data(), 1, n, m_file) != n && m_writeError.empty()) {
            m_writeError = "writing the recording failed (disk full?)";
        }
        m_written += n;
    }
}

void VoiceCapture::WriterLoop() {
    while (!m_stopWriter.load(std::memory_order_acquire)) {
        Drain();
        std::this_thread::sleep_for(kWriterPause);
    }
    Drain();
}

void VoiceCapture::CloseFile(TakeReport& report) {
    if (!m_file) return;
    // A completed take always has a whole number of frames.
    const auto block = static_cast<std::uint64_t>(m_format.BlockAlign());
    const std::uint64_t data = m_written - m_written % block;
    const std::string header = PcmWavHeader(m_format, static_cast<std::uint32_t>(data));
    if (std::fseek(m_file, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), m_file) != header.size()) {
        if (report.error.empty()) report.error = "completing the recording's header failed";
    }
    if (std::fclose(m_file) != 0 && report.error.empty())
        report.error = "closing the recording failed";
    m_file = nullptr;
    report.dataBytes = data;
}

TakeReport VoiceCapture::Stop() {
    TakeReport report;
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);  // no callback runs after this
        m_device = 0;
    }
    if (m_writer.joinable()) {
        m_stopWriter = true;
        m_writer.join();
    }
    if (m_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlStarted = false;
    }
    report.overrunBytes = m_sink.TakeOverruns();
    report.error = m_writeError;
    CloseFile(report);
    return report;
}

std::vector<std::string> VoiceCapture::ListDevices(std::string& error) {
    std::vector<std::string> names;
    if (!StartSdlAudio(error)) return names;
    const int count = SDL_GetNumAudioDevices(1);
    for (int i = 0; i < count; ++i) {
        if (const char* name = SDL_GetAudioDeviceName(i, 1)) names.emplace_back(name);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return names;
}

}  // namespace cx
