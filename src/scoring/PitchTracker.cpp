#include "scoring/PitchTracker.h"

#include <aubio/aubio.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>

namespace cx {
namespace {

constexpr const char* kAubioLibrary = "libaubio.so.5";

// aubio's entry points, looked up once when the first tracker is made.
struct AubioApi {
    decltype(&new_aubio_pitch) NewPitch = nullptr;
    decltype(&del_aubio_pitch) DelPitch = nullptr;
    decltype(&aubio_pitch_do) Do = nullptr;
    decltype(&aubio_pitch_set_unit) SetUnit = nullptr;
    decltype(&aubio_pitch_set_silence) SetSilence = nullptr;
    decltype(&aubio_pitch_set_tolerance) SetTolerance = nullptr;
    decltype(&aubio_pitch_get_confidence) Confidence = nullptr;
    std::string Error;
};

template <class T>
bool Find(void* lib, const char* name, T& fn) {
    fn = reinterpret_cast<T>(dlsym(lib, name));
    return fn != nullptr;
}

AubioApi LoadAubio() {
    AubioApi api;
    void* lib = dlopen(kAubioLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        api.Error = std::string("pitch tracking needs aubio: ") + (why ? why : kAubioLibrary);
        return api;
    }
    // The library stays loaded for the life of the process.
    if (!Find(lib, "new_aubio_pitch", api.NewPitch) ||
        !Find(lib, "del_aubio_pitch", api.DelPitch) || !Find(lib, "aubio_pitch_do", api.Do) ||
        !Find(lib, "aubio_pitch_set_unit", api.SetUnit) ||
        !Find(lib, "aubio_pitch_set_silence", api.SetSilence) ||
        !Find(lib, "aubio_pitch_set_tolerance", api.SetTolerance) ||
        !Find(lib, "aubio_pitch_get_confidence", api.Confidence)) {
        api.NewPitch = nullptr;
        api.Error = "pitch tracking needs aubio: " + std::string(kAubioLibrary) + " is incomplete";
    }
    return api;
}

int WindowFor(int rate, double lowestPitch) {
    const double samples =
        kPitchWindowPeriods * rate / MidiToHz(std::max(kLowestSungPitch * 1.0, lowestPitch));
    int window = kMinPitchWindow;
    // aubio reads a whole hop into every window.
    while ((window < samples || window < rate * kPitchHopSeconds) && window < kMaxPitchWindow)
        window *= 2;
    return window;
}

const AubioApi& Aubio() {
    static const AubioApi api = LoadAubio();  // thread-safe, once
    return api;
}

}  // namespace

struct PitchTracker::Impl {
    const AubioApi& Api;
    aubio_pitch_t* Pitch = nullptr;
    std::vector<float> In;
    float Out = 0;
    fvec_t InVec{};
    fvec_t OutVec{};

    Impl(const AubioApi& api, int window, int hop, int rate) : Api(api), In(std::size_t(hop)) {
        Pitch = api.NewPitch("yinfft", static_cast<uint_t>(window), static_cast<uint_t>(hop),
                             static_cast<uint_t>(rate));
        if (!Pitch) return;
        api.SetUnit(Pitch, "midi");
        api.SetSilence(Pitch, kPitchSilenceDb);
        api.SetTolerance(Pitch, kYinFftTolerance);
        InVec = {static_cast<uint_t>(hop), In.data()};
        OutVec = {1, &Out};
    }
    ~Impl() {
        if (Pitch) Api.DelPitch(Pitch);
    }
};

PitchTracker::PitchTracker(int sampleRate, double lowestPitch)
    : m_rate(std::max(8000, sampleRate)),
      m_hop(static_cast<int>(std::lround(m_rate * kPitchHopSeconds))),
      m_window(WindowFor(m_rate, lowestPitch)),
      m_hopBuffer(static_cast<std::size_t>(m_hop)) {
    const AubioApi& api = Aubio();
    if (!api.NewPitch) {
        m_error = api.Error;
        return;
    }
    auto impl = std::make_unique<Impl>(api, m_window, m_hop, m_rate);
    if (!impl->Pitch) {
        m_error = "aubio could not make a pitch tracker";
        return;
    }
    m_impl = std::move(impl);
}

PitchTracker::~PitchTracker() = default;

bool PitchTracker::AubioAvailable() {
    return Aubio().NewPitch != nullptr;
}

std::size_t PitchTracker::Fill(const float* samples, std::size_t count) {
    const std::size_t n = std::min(count, static_cast<std::size_t>(m_hop) - m_filled);
    std::copy(samples, samples + n, m_hopBuffer.begin() + static_cast<std::ptrdiff_t>(m_filled));
    m_filled += n;
    return n;
}

PitchFrame PitchTracker::Analyse() {
    m_filled = 0;
    m_consumed += static_cast<std::size_t>(m_hop);
    PitchFrame frame;
    // The window ends at the newest sample; its middle is what it hears.
    frame.Time = (static_cast<double>(m_consumed) - m_window / 2.0) / m_rate;
    if (!m_impl) return frame;
    std::copy(m_hopBuffer.begin(), m_hopBuffer.end(), m_impl->In.begin());
    m_impl->Api.Do(m_impl->Pitch, &m_impl->InVec, &m_impl->OutVec);
    const float p = m_impl->Out;
    // YIN-FFT gates itself (its tolerance gives 0 for an unclear period) and
    // reports no confidence in aubio 0.4; other versions may.
    const float reported = m_impl->Api.Confidence(m_impl->Pitch);
    frame.Confidence = reported > 0 ? reported : (p > 0 ? 1.0f : 0.0f);
    if (frame.Confidence >= kMinPitchConfidence && p >= kLowestSungPitch && p <= kHighestSungPitch)
        frame.Pitch = p;
    return frame;
}

std::vector<PitchFrame> PitchTracker::Track(const float* samples, std::size_t count) {
    std::vector<PitchFrame> frames;
    frames.reserve(count / static_cast<std::size_t>(m_hop) + 1);
    Push(samples, count, [&](const PitchFrame& f) { frames.push_back(f); });
    return frames;
}

double HzToMidi(double hz) {
    return hz > 0 ? 69.0 + 12.0 * std::log2(hz / 440.0) : 0.0;
}

double MidiToHz(double midi) {
    return 440.0 * std::exp2((midi - 69.0) / 12.0);
}

}  // namespace cx
