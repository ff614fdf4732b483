#include "scoring/Microphone.h"
#include "playback/SdlAudio.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace cx {
namespace {

constexpr int kMaxChannels = 8;
constexpr int kChunkFrames = 256;

}  // namespace

bool Microphone::Open(const std::string& device, std::string& error) {
    Close();
    if (!StartSdlAudio(error)) return false;
    m_sdlStarted = true;
    SDL_AudioSpec want{};
    want.freq = m_sink.SampleRate();
    want.format = AUDIO_F32SYS;
    want.channels = 1;
    want.samples = kMicrophoneBufferFrames;
    want.callback = &Microphone::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // The rate must be the tracker's; the channels may be what the device has.
    m_device = SDL_OpenAudioDevice(device.empty() ? nullptr : device.c_str(), 1, &want, &have,
                                   SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (m_device == 0) {
        error = SDL_GetError();
        if (error.empty()) error = "the microphone cannot be opened";
        Close();
        return false;
    }
    m_channels = std::clamp<int>(have.channels, 1, kMaxChannels);
    m_bufferSeconds = static_cast<double>(have.samples) / have.freq;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void Microphone::Close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);  // no callback runs after this
        m_device = 0;
    }
    if (m_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlStarted = false;
    }
}

void Microphone::Callback(void* user, unsigned char* stream, int length) {
    auto* self = static_cast<Microphone*>(user);
    const auto* in = reinterpret_cast<const float*>(stream);
    const int channels = self->m_channels;
    std::size_t frames = static_cast<std::size_t>(length) / sizeof(float) / channels;
    float mono[kChunkFrames];
    while (frames > 0) {
        const std::size_t n = std::min<std::size_t>(frames, kChunkFrames);
        for (std::size_t i = 0; i < n; ++i) {
            float sum = 0;
            for (int c = 0; c < channels; ++c) sum += in[i * channels + c];
            mono[i] = sum / channels;
        }
        self->m_sink.PushSamples(mono, n);
        in += n * channels;
        frames -= n;
    }
}

}  // namespace cx
