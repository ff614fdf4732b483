#include <SDL2/SDL.h>

#include "playback/AudioOutput.h"
#include "playback/SdlAudio.h"

namespace cx {

SdlOutput::SdlOutput(AudioEngine& engine, std::string deviceName, std::size_t bufferFrames)
    : m_engine(engine), m_deviceName(std::move(deviceName)), m_bufferFrames(bufferFrames) {}

SdlOutput::~SdlOutput() {
    Stop();
}

void SdlOutput::Callback(void* user, unsigned char* stream, int len) {
    auto* self = static_cast<SdlOutput*>(user);
    const auto frames = static_cast<std::size_t>(len) / static_cast<std::size_t>(kBytesPerFrame);
    self->m_engine.Render(reinterpret_cast<float*>(stream), frames);
}

bool SdlOutput::Start(std::string& error) {
    if (m_device != 0) return true;
    if (!StartSdlAudio(error)) return false;
    m_sdlStarted = true;
    SDL_AudioSpec want{};
    want.freq = m_engine.OutputRate();
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(m_bufferFrames);
    want.callback = &SdlOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts to whatever the hardware wants, so the mix keeps its format.
    m_device = SDL_OpenAudioDevice(m_deviceName.empty() ? nullptr : m_deviceName.c_str(), 0, &want,
                                   &have, 0);
    if (m_device == 0) {
        error = "cannot open audio device" +
                (m_deviceName.empty() ? std::string() : " \"" + m_deviceName + "\"") + ": " +
                SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlStarted = false;
        return false;
    }
    // SDL reports no latency; the buffer just filled waits behind the one
    // playing, so one buffer is the best estimate it allows.
    m_engine.SetOutputLatency(have.samples, true);
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void SdlOutput::Stop() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlStarted = false;
    }
}

std::vector<std::string> SdlOutput::ListDevices(bool capture, std::string& error) {
    std::vector<std::string> names;
    if (!StartSdlAudio(error)) return names;
    const int count = SDL_GetNumAudioDevices(capture ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        if (const char* name = SDL_GetAudioDeviceName(i, capture ? 1 : 0)) names.emplace_back(name);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return names;
}

}  // namespace cx
