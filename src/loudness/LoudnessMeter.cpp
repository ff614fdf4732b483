#include "loudness/LoudnessMeter.h"

#include <dlfcn.h>
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace cx {
namespace {

// libebur128 is opened on the first measure, not when the player starts.
struct Ebur128 {
    decltype(&ebur128_init) init = nullptr;
    decltype(&ebur128_destroy) destroy = nullptr;
    decltype(&ebur128_add_frames_float) addFrames = nullptr;
    decltype(&ebur128_loudness_global) global = nullptr;
    decltype(&ebur128_true_peak) truePeak = nullptr;
};

template <typename F>
bool Bind(void* library, const char* name, F& to) {
    to = reinterpret_cast<F>(dlsym(library, name));
    return to != nullptr;
}

const Ebur128* Library() {
    static const Ebur128 api = [] {
        Ebur128 a;
        void* library = dlopen("libebur128.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!library) return a;
        if (!Bind(library, "ebur128_init", a.init) ||
            !Bind(library, "ebur128_destroy", a.destroy) ||
            !Bind(library, "ebur128_add_frames_float", a.addFrames) ||
            !Bind(library, "ebur128_loudness_global", a.global) ||
            !Bind(library, "ebur128_true_peak", a.truePeak)) {
            a.init = nullptr;
        }
        return a;
    }();
    return api.init ? &api : nullptr;
}

}  // namespace

struct LoudnessMeter::State {
    const Ebur128* api = nullptr;
    ebur128_state* st = nullptr;
};

bool LoudnessMeter::Available() {
    return Library() != nullptr;
}

LoudnessMeter::LoudnessMeter(int sampleRate, int channels) : m_channels(channels) {
    const Ebur128* api = Library();
    if (!api || sampleRate < kMinRate || sampleRate > kMaxRate || channels < 1 || channels > 2)
        return;
    ebur128_state* st =
        api->init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                  EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (st) m_state = new State{api, st};
}

LoudnessMeter::~LoudnessMeter() {
    if (!m_state) return;
    m_state->api->destroy(&m_state->st);
    delete m_state;
}

void LoudnessMeter::Add(const float* interleaved, std::size_t frames) {
    if (m_state && frames > 0) m_state->api->addFrames(m_state->st, interleaved, frames);
}

LoudnessReading LoudnessMeter::Reading() const {
    constexpr double kMinusInf = -std::numeric_limits<double>::infinity();
    LoudnessReading r{kMinusInf, kMinusInf};
    if (!m_state) return r;
    double global = kMinusInf;
    if (m_state->api->global(m_state->st, &global) == EBUR128_SUCCESS && std::isfinite(global))
        r.integratedLufs = global;
    double peak = 0;
    for (int c = 0; c < m_channels; ++c) {
        double p = 0;
        if (m_state->api->truePeak(m_state->st, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    if (peak > 0) r.truePeakDbtp = 20.0 * std::log10(peak);
    return r;
}

}  // namespace cx
