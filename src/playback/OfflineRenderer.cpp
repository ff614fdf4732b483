#include "playback/OfflineRenderer.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace cx {

RenderResult OfflineRenderer::Run(AudioHandle channel, std::int64_t toFrame,
                                  const std::function<bool(const float*, std::size_t)>& sink) {
    RenderResult result;
    m_engine.SetOutputLatency(0, false);
    if (!m_engine.ChannelPlay(channel)) {
        result.error = "nothing to render";
        return result;
    }
    std::vector<float> block(kBlockFrames * 2);
    const auto start = std::chrono::steady_clock::now();
    while (m_engine.ChannelIsPlaying(channel)) {
        const double before = static_cast<double>(m_engine.PositionFrames(channel));
        if (toFrame >= 0 && before >= static_cast<double>(toFrame)) break;
        m_engine.Render(block.data(), kBlockFrames);
        std::size_t keep = kBlockFrames;
        const double after = static_cast<double>(m_engine.PositionFrames(channel));
        if (toFrame >= 0 && after > static_cast<double>(toFrame) && after > before) {
            // Cut the last block where the source reaches the end point.
            const double fraction = (static_cast<double>(toFrame) - before) / (after - before);
            keep = static_cast<std::size_t>(std::ceil(fraction * kBlockFrames));
        }
        // The final block is padded with silence past the end of the sound.
        if (m_engine.ChannelEnded(channel))
            keep = std::min(keep, m_engine.LastRenderedFrames(channel));
        if (!sink(block.data(), keep)) {
            result.error = "cannot write the output";
            break;
        }
        result.frames += static_cast<std::int64_t>(keep);
    }
    m_engine.ChannelStop(channel);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double audio = static_cast<double>(result.frames) / m_engine.OutputRate();
    result.realTimeFactor = result.seconds > 0 ? audio / result.seconds : 0.0;
    return result;
}

RenderResult OfflineRenderer::RunToMemory(AudioHandle channel, std::int64_t toFrame,
                                          std::vector<float>& out) {
    return Run(channel, toFrame, [&](const float* data, std::size_t frames) {
        out.insert(out.end(), data, data + 2 * frames);
        return true;
    });
}

RenderResult OfflineRenderer::RunToFile(AudioHandle channel, std::int64_t toFrame,
                                        const std::string& path) {
    const std::filesystem::path target(path);
    std::filesystem::path temp = target;
    temp += ".part";
    SF_INFO info{};
    info.samplerate = m_engine.OutputRate();
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(temp.c_str(), SFM_WRITE, &info);
    if (!file) {
        RenderResult r;
        r.error = std::string("cannot write ") + path + ": " + sf_strerror(nullptr);
        return r;
    }
    RenderResult result = Run(channel, toFrame, [&](const float* data, std::size_t frames) {
        return sf_writef_float(file, data, static_cast<sf_count_t>(frames)) ==
               static_cast<sf_count_t>(frames);
    });
    sf_close(file);
    std::error_code ec;
    if (result.error.empty()) {
        std::filesystem::rename(temp, target, ec);
        if (ec) result.error = "cannot write " + path + ": " + ec.message();
    }
    if (!result.error.empty()) std::filesystem::remove(temp, ec);
    return result;
}

}  // namespace cx
