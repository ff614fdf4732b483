#include "playback/AudioEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "playback/FileDecoder.h"
#include "playback/SeqValue.h"
#include "playback/StreamingSource.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace cx {
namespace {

// Source frames handed to the pitch engine at a time.
constexpr std::size_t kFeedFrames = 256;
// Useful limits of the tempo and key controls; wider values are clamped.
constexpr float kMinTempoPercent = -50.0f;
constexpr float kMaxTempoPercent = 100.0f;
constexpr float kMaxSemitones = 12.0f;
// "Leave unchanged" values of the classic interface.
constexpr float kTempoUnchanged = -100.0f;
constexpr int kPanUnchanged = -101;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Flushes denormals to zero on the audio thread while a render runs.
class DenormalGuard {
public:
    DenormalGuard() {
#if defined(__SSE__)
        m_saved = _mm_getcsr();
        _mm_setcsr(m_saved | 0x8040);  // flush-to-zero and denormals-are-zero
#endif
    }
    ~DenormalGuard() {
#if defined(__SSE__)
        _mm_setcsr(m_saved);
#endif
    }

private:
    unsigned m_saved = 0;
};

}  // namespace

// What the output thread publishes about a channel after each block.
struct Timing {
    double positionEnd = 0;  // source frame after the last frame rendered
    double speed = 1;        // source frames per output frame in that block
    double seekBase = 0;     // where the last seek landed
    std::int64_t stampNs = 0;
    std::uint32_t blockFrames = 0;
    std::uint32_t produced = 0;  // frames of sound in that render
};

// Timing shared with clocks, which may outlive the channel.
struct ChannelTiming {
    SeqValue<Timing> timing;
    std::atomic<std::int64_t> pendingSeek{-1};
    std::shared_ptr<const AudioEngine::OutputTiming> output;
    int sourceRate = 44100;
    int outputRate = 44100;

    // The source frame being heard now.
    double AudibleFrame() const {
        const std::int64_t pending = pendingSeek.load();
        if (pending >= 0) return static_cast<double>(pending);
        const Timing t = timing.Load();
        if (t.stampNs == 0 || !output->realTime.load()) return t.positionEnd;
        const double latency = static_cast<double>(output->latencyFrames.load());
        const double elapsed =
            static_cast<double>(NowNs() - t.stampNs) * 1e-9 * static_cast<double>(outputRate);
        const double heardInBlock = std::min(elapsed - latency, static_cast<double>(t.blockFrames));
        const double start = t.positionEnd - t.speed * t.blockFrames;
        return std::max(t.seekBase, start + t.speed * heardInBlock);
    }
};

struct AudioEngine::Channel {
    struct Fx {
        AudioHandle handle;
        int priority;
        std::unique_ptr<Effect> effect;
    };
    struct Dsp {
        AudioHandle handle;
        int priority;
        DspProc proc;
        void* user;
    };
    // An immutable list the output thread walks; replaced whole on change.
    struct Chain {
        std::array<Effect*, kMaxEffects> effects{};
        std::size_t effectCount = 0;
        std::array<Dsp, kMaxDsps> dsps{};
        std::size_t dspCount = 0;
    };

    AudioHandle handle = 0;
    std::unique_ptr<AudioSource> source;
    StreamingSource* streaming = nullptr;
    ChannelInfo info;
    std::unique_ptr<TimeStretcher> stretcher;
    std::shared_ptr<ChannelTiming> timing = std::make_shared<ChannelTiming>();

    // Set by the control thread, read by the output thread.
    std::atomic<float> tempoPercent{0};
    std::atomic<float> semitones{0};
    std::atomic<int> volume{100};
    std::atomic<int> pan{0};
    std::atomic<bool> playing{false};
    std::atomic<bool> ended{false};
    std::atomic<const Chain*> chain{nullptr};

    // Control thread only.
    std::vector<Fx> effects;
    std::vector<Dsp> dsps;
    std::unique_ptr<Chain> chainOwned;

    // Output thread only.
    bool stretchActive = false;
    bool sourceEnded = false;
    bool flushed = false;
    double position = 0;
    double seekBase = 0;
    float lastLeftGain = -1, lastRightGain = -1;
    std::array<float, kFeedFrames * 2> feed{};
};

struct AudioEngine::Entry {
    enum class Kind { Stream, Channel, Fx, Dsp } kind;
    AudioHandle channel;  // the owning channel's handle
};

AudioEngine::AudioEngine(int outputRate, PitchEngine pitchEngine)
    : m_outputRate(outputRate > 0 ? outputRate : 44100),
      m_pitchEngine(pitchEngine),
      m_songGain(m_outputRate) {}

AudioEngine::~AudioEngine() {
    for (auto& slot : m_live) slot.store(nullptr);
    WaitForRender();
}

void AudioEngine::SetOutputLatency(std::size_t latencyFrames, bool realTime) {
    m_output->latencyFrames.store(latencyFrames);
    m_output->realTime.store(realTime);
}

AudioHandle AudioEngine::NewHandle() {
    if (m_nextHandle == 0) ++m_nextHandle;  // 0 is never a valid handle
    return m_nextHandle++;
}

const AudioEngine::Entry* AudioEngine::FindEntry(AudioHandle h) const {
    auto it = m_entries.find(h);
    return it == m_entries.end() ? nullptr : &it->second;
}

AudioEngine::Channel* AudioEngine::FindChannel(AudioHandle h) const {
    const Entry* e = FindEntry(h);
    if (!e || (e->kind != Entry::Kind::Channel && e->kind != Entry::Kind::Stream)) return nullptr;
    auto it = m_owned.find(e->channel);
    return it == m_owned.end() ? nullptr : it->second.get();
}

void AudioEngine::WaitForRender() const {
    // After a pointer is unpublished, a render already under way may still hold
    // it; a render that starts later cannot see it.
    const std::uint64_t count = m_renderCount.load();
    while (m_inRender.load() && m_renderCount.load() == count) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

AudioHandle AudioEngine::StreamCreateFile(const std::string& path, bool decodeOnly, bool offline,
                                          std::string* error) {
    std::string why;
    auto decoder = FileDecoder::Open(path, why);
    if (!decoder) {
        if (error) *error = why;
        return 0;
    }
    auto channel = std::make_unique<Channel>();
    channel->info = {decoder->SampleRate(), decoder->Channels()};
    auto source = std::make_unique<StreamingSource>(std::move(decoder), offline);
    channel->streaming = source.get();
    channel->source = std::move(source);
    channel->timing->sourceRate = channel->info.frequency;
    channel->timing->outputRate = m_outputRate;
    if (!decodeOnly) return AddChannel(std::move(channel));
    const AudioHandle h = NewHandle();
    channel->handle = h;
    m_entries[h] = {Entry::Kind::Stream, h};
    m_owned[h] = std::move(channel);
    return h;
}

AudioHandle AudioEngine::AddChannel(std::unique_ptr<Channel> channel) {
    auto slot = std::find_if(m_live.begin(), m_live.end(),
                             [](const auto& s) { return s.load() == nullptr; });
    if (slot == m_live.end()) return 0;
    channel->stretcher = TimeStretcher::Create(m_pitchEngine, channel->info.frequency);
    channel->timing->output = m_output;
    channel->chainOwned = std::make_unique<Channel::Chain>();
    channel->chain.store(channel->chainOwned.get());
    const AudioHandle h = NewHandle();
    channel->handle = h;
    Channel* raw = channel.get();
    m_entries[h] = {Entry::Kind::Channel, h};
    m_owned[h] = std::move(channel);
    slot->store(raw);
    return h;
}

AudioHandle AudioEngine::TempoCreate(AudioHandle stream) {
    const Entry* e = FindEntry(stream);
    if (!e || e->kind != Entry::Kind::Stream) return 0;
    auto channel = std::move(m_owned[stream]);
    m_owned.erase(stream);
    m_entries.erase(stream);
    return AddChannel(std::move(channel));
}

AudioHandle AudioEngine::CreateSourceChannel(std::unique_ptr<AudioSource> source, int channels) {
    if (!source || source->SampleRate() <= 0) return 0;
    auto channel = std::make_unique<Channel>();
    channel->info = {source->SampleRate(), channels};
    channel->timing->sourceRate = channel->info.frequency;
    channel->timing->outputRate = m_outputRate;
    channel->source = std::move(source);
    return AddChannel(std::move(channel));
}

ChannelInfo AudioEngine::ChannelGetInfo(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? c->info : ChannelInfo{};
}

void AudioEngine::Free(AudioHandle h) {
    const Entry* e = FindEntry(h);
    if (!e) return;
    if (e->kind == Entry::Kind::Fx) {
        ChannelRemoveFX(e->channel, h);
        return;
    }
    if (e->kind == Entry::Kind::Dsp) {
        ChannelRemoveDSP(e->channel, h);
        return;
    }
    const AudioHandle owner = e->channel;
    auto it = m_owned.find(owner);
    if (it == m_owned.end()) return;
    for (auto& slot : m_live) {
        if (slot.load() == it->second.get()) slot.store(nullptr);
    }
    WaitForRender();
    for (const auto& fx : it->second->effects) m_entries.erase(fx.handle);
    for (const auto& dsp : it->second->dsps) m_entries.erase(dsp.handle);
    m_entries.erase(owner);
    m_owned.erase(it);
}

bool AudioEngine::TempoSet(AudioHandle h, float tempoPercent, float pitchSemitones) {
    Channel* c = FindChannel(h);
    if (!c || !c->stretcher) return false;
    if (tempoPercent != kTempoUnchanged) {
        c->tempoPercent.store(std::clamp(tempoPercent, kMinTempoPercent, kMaxTempoPercent));
    }
    if (pitchSemitones != kTempoUnchanged) {
        c->semitones.store(std::clamp(pitchSemitones, -kMaxSemitones, kMaxSemitones));
    }
    return true;
}

float AudioEngine::TempoGet(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? c->tempoPercent.load() : 0.0f;
}

float AudioEngine::PitchGet(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? c->semitones.load() : 0.0f;
}

bool AudioEngine::ChannelPlay(AudioHandle h, bool restart) {
    Channel* c = FindChannel(h);
    if (!c || !c->stretcher) return false;
    // A channel played to its end starts again from the beginning.
    if (restart || c->ended.load()) SetPositionFrames(h, 0);
    c->playing.store(true);
    return true;
}

bool AudioEngine::ChannelStop(AudioHandle h) {
    Channel* c = FindChannel(h);
    if (!c) return false;
    c->playing.store(false);
    return true;
}

bool AudioEngine::ChannelIsPlaying(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c && c->playing.load() && !c->ended.load();
}

bool AudioEngine::ChannelEnded(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c && c->ended.load();
}

std::size_t AudioEngine::LastRenderedFrames(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? c->timing->timing.Load().produced : 0;
}

std::int64_t AudioEngine::LengthFrames(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? std::max<std::int64_t>(0, c->source->LengthFrames()) : 0;
}

std::int64_t AudioEngine::PositionFrames(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    if (!c) return 0;
    const double frame = c->timing->AudibleFrame();
    const std::int64_t length = c->source->LengthFrames();
    auto whole = static_cast<std::int64_t>(std::floor(frame + 1e-6));
    if (length >= 0) whole = std::min(whole, length);
    return std::max<std::int64_t>(0, whole);
}

bool AudioEngine::SetPositionFrames(AudioHandle h, std::int64_t frame) {
    Channel* c = FindChannel(h);
    if (!c) return false;
    const std::int64_t length = c->source->LengthFrames();
    frame = std::max<std::int64_t>(0, length >= 0 ? std::min(frame, length) : frame);
    c->ended.store(false);
    c->timing->pendingSeek.store(frame);
    return true;
}

double AudioEngine::LengthSeconds(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? static_cast<double>(LengthFrames(h)) / c->info.frequency : 0.0;
}

double AudioEngine::PositionSeconds(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    return c ? c->timing->AudibleFrame() / c->info.frequency : 0.0;
}

bool AudioEngine::SetPositionSeconds(AudioHandle h, double seconds) {
    const Channel* c = FindChannel(h);
    if (!c) return false;
    return SetPositionFrames(h,
                             static_cast<std::int64_t>(std::llround(seconds * c->info.frequency)));
}

std::int64_t AudioEngine::ChannelGetLength(AudioHandle h) const {
    return LengthFrames(h) * kBytesPerFrame;
}

std::int64_t AudioEngine::ChannelGetPosition(AudioHandle h) const {
    return PositionFrames(h) * kBytesPerFrame;
}

bool AudioEngine::ChannelSetPosition(AudioHandle h, std::int64_t bytes) {
    return SetPositionFrames(h, bytes / kBytesPerFrame);
}

double AudioEngine::ChannelBytes2Seconds(AudioHandle h, std::int64_t bytes) const {
    const Channel* c = FindChannel(h);
    if (!c || bytes < 0) return c ? -1.0 : 0.0;
    return static_cast<double>(bytes / kBytesPerFrame) / c->info.frequency;
}

std::int64_t AudioEngine::ChannelSeconds2Bytes(AudioHandle h, double seconds) const {
    const Channel* c = FindChannel(h);
    if (!c || !(seconds >= 0)) return c ? -1 : 0;
    return static_cast<std::int64_t>(seconds * c->info.frequency) * kBytesPerFrame;
}

bool AudioEngine::ChannelSetAttributes(AudioHandle h, int frequency, int volume, int pan) {
    Channel* c = FindChannel(h);
    if (!c) return false;
    (void)frequency;  // playback rate follows the source; tempo changes go through TempoSet
    if (volume != -1) c->volume.store(std::clamp(volume, 0, 100));
    if (pan != kPanUnchanged) c->pan.store(std::clamp(pan, -100, 100));
    return true;
}

ChannelAttributes AudioEngine::ChannelGetAttributes(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    if (!c) return {};
    return {c->info.frequency, c->volume.load(), c->pan.load()};
}

namespace {
template <class T>
void InsertByPriority(std::vector<T>& list, T item) {
    auto at = std::find_if(list.begin(), list.end(),
                           [&](const T& x) { return x.priority < item.priority; });
    list.insert(at, std::move(item));
}
}  // namespace

AudioHandle AudioEngine::ChannelSetFX(AudioHandle h, FxType type, int priority) {
    Channel* c = FindChannel(h);
    if (!c || !c->stretcher || c->effects.size() >= kMaxEffects) return 0;
    auto effect = Effect::Create(type, c->info.frequency);
    if (!effect) return 0;
    const AudioHandle fx = NewHandle();
    InsertByPriority(c->effects, Channel::Fx{fx, priority, std::move(effect)});
    m_entries[fx] = {Entry::Kind::Fx, c->handle};
    auto chain = std::make_unique<Channel::Chain>(*c->chainOwned);
    chain->effectCount = c->effects.size();
    for (std::size_t i = 0; i < c->effects.size(); ++i)
        chain->effects[i] = c->effects[i].effect.get();
    c->chain.store(chain.get());
    WaitForRender();
    c->chainOwned = std::move(chain);
    return fx;
}

bool AudioEngine::ChannelRemoveFX(AudioHandle h, AudioHandle fx) {
    Channel* c = FindChannel(h);
    if (!c) return false;
    auto it = std::find_if(c->effects.begin(), c->effects.end(),
                           [&](const Channel::Fx& f) { return f.handle == fx; });
    if (it == c->effects.end()) return false;
    auto removed = std::move(it->effect);
    c->effects.erase(it);
    m_entries.erase(fx);
    auto chain = std::make_unique<Channel::Chain>(*c->chainOwned);
    chain->effects = {};
    chain->effectCount = c->effects.size();
    for (std::size_t i = 0; i < c->effects.size(); ++i)
        chain->effects[i] = c->effects[i].effect.get();
    c->chain.store(chain.get());
    WaitForRender();
    c->chainOwned = std::move(chain);
    return true;
}

bool AudioEngine::FXSetParameters(AudioHandle fx, const FxParameters& p) {
    const Entry* e = FindEntry(fx);
    if (!e || e->kind != Entry::Kind::Fx) return false;
    Channel* c = FindChannel(e->channel);
    for (auto& f : c->effects) {
        if (f.handle == fx) return f.effect->SetParameters(p);
    }
    return false;
}

bool AudioEngine::FXGetParameters(AudioHandle fx, FxParameters& p) const {
    const Entry* e = FindEntry(fx);
    if (!e || e->kind != Entry::Kind::Fx) return false;
    const Channel* c = FindChannel(e->channel);
    for (const auto& f : c->effects) {
        if (f.handle == fx) {
            p = f.effect->GetParameters();
            return true;
        }
    }
    return false;
}

AudioHandle AudioEngine::ChannelSetDSP(AudioHandle h, DspProc proc, void* user, int priority) {
    Channel* c = FindChannel(h);
    if (!c || !c->stretcher || !proc || c->dsps.size() >= kMaxDsps) return 0;
    const AudioHandle dsp = NewHandle();
    InsertByPriority(c->dsps, Channel::Dsp{dsp, priority, proc, user});
    m_entries[dsp] = {Entry::Kind::Dsp, c->handle};
    auto chain = std::make_unique<Channel::Chain>(*c->chainOwned);
    chain->dspCount = c->dsps.size();
    std::copy(c->dsps.begin(), c->dsps.end(), chain->dsps.begin());
    c->chain.store(chain.get());
    WaitForRender();
    c->chainOwned = std::move(chain);
    return dsp;
}

bool AudioEngine::ChannelRemoveDSP(AudioHandle h, AudioHandle dsp) {
    Channel* c = FindChannel(h);
    if (!c) return false;
    auto it = std::find_if(c->dsps.begin(), c->dsps.end(),
                           [&](const Channel::Dsp& d) { return d.handle == dsp; });
    if (it == c->dsps.end()) return false;
    c->dsps.erase(it);
    m_entries.erase(dsp);
    auto chain = std::make_unique<Channel::Chain>(*c->chainOwned);
    chain->dspCount = c->dsps.size();
    std::copy(c->dsps.begin(), c->dsps.end(), chain->dsps.begin());
    c->chain.store(chain.get());
    WaitForRender();
    c->chainOwned = std::move(chain);
    return true;
}

std::uint64_t AudioEngine::UnderrunFrames() const {
    std::uint64_t total = 0;
    for (const auto& [h, c] : m_owned) {
        if (c->streaming) total += c->streaming->UnderrunFrames();
    }
    return total;
}

// ---- output thread ----

std::size_t AudioEngine::Produce(Channel& c, float* out, std::size_t frames) {
    const double tempo = 1.0 + c.tempoPercent.load(std::memory_order_relaxed) / 100.0;
    const double semitones = c.semitones.load(std::memory_order_relaxed);
    const double rate = static_cast<double>(c.info.frequency) / m_outputRate;
    const bool needStretch = tempo != 1.0 || semitones != 0.0 || rate != 1.0;
    if (needStretch && !c.stretchActive) {
        // Engaged on the first change and kept until the next seek, so that
        // moving back to normal never jumps by the engine's latency.
        c.stretcher->SetParameters(tempo, semitones, rate);
        c.stretcher->Reset();
        c.stretchActive = true;
        c.flushed = false;
    }
    if (!c.stretchActive) {
        const std::size_t n = c.source->Render(out, frames);
        if (n < frames) c.sourceEnded = true;
        c.position += static_cast<double>(n);
        return n;
    }
    c.stretcher->SetParameters(tempo, semitones, rate);
    std::size_t produced = 0;
    while (produced < frames) {
        const std::size_t got = c.stretcher->Retrieve(out + 2 * produced, frames - produced);
        produced += got;
        if (got > 0) continue;
        if (c.sourceEnded) {
            if (c.flushed) break;
            c.stretcher->Flush();
            c.flushed = true;
            continue;
        }
        const std::size_t n = c.source->Render(c.feed.data(), kFeedFrames);
        if (n < kFeedFrames) c.sourceEnded = true;
        if (n > 0) c.stretcher->Feed(c.feed.data(), n);
    }
    c.position += static_cast<double>(produced) * tempo * rate;
    return produced;
}

void AudioEngine::RenderChannel(Channel& c, float* out, std::size_t frames) {
    const std::int64_t seek = c.timing->pendingSeek.load();
    if (seek >= 0) {
        c.source->SeekFrame(seek);
        c.stretchActive = false;
        c.sourceEnded = false;
        c.flushed = false;
        c.position = static_cast<double>(seek);
        c.seekBase = c.position;
        const Channel::Chain* chain = c.chain.load();
        for (std::size_t i = 0; i < chain->effectCount; ++i) chain->effects[i]->Reset();
    }
    std::size_t done = 0;
    std::size_t produced = 0;
    double speed = 1.0;
    while (done < frames) {
        const std::size_t want = std::min(kMaxBlock, frames - done);
        float* block = m_mixScratch.data();
        const double before = c.position;
        if (c.streaming && !c.streaming->Ready()) {
            // The decoder has not caught up with a start or a seek yet: wait
            // in silence, keeping the position where the sound will start.
            if (produced == 0) speed = 0.0;
            break;
        }
        const std::size_t n = Produce(c, block, want);
        produced += n;
        if (n > 0) speed = (c.position - before) / static_cast<double>(n);
        std::fill(block + 2 * n, block + 2 * want, 0.0f);

        const Channel::Chain* chain = c.chain.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < chain->effectCount; ++i)
            chain->effects[i]->Process(block, want);
        for (std::size_t i = 0; i < chain->dspCount; ++i) {
            const auto& d = chain->dsps[i];
            d.proc(d.handle, c.handle, block, n * kBytesPerFrame, d.user);
        }

        // Volume and balance, ramped over the block so changes do not click.
        const float volume = static_cast<float>(c.volume.load(std::memory_order_relaxed)) / 100.0f;
        const float pan = static_cast<float>(c.pan.load(std::memory_order_relaxed)) / 100.0f;
        const float left = volume * (pan > 0 ? 1.0f - pan : 1.0f);
        const float right = volume * (pan < 0 ? 1.0f + pan : 1.0f);
        if (c.lastLeftGain < 0) {
            c.lastLeftGain = left;
            c.lastRightGain = right;
        }
        for (std::size_t i = 0; i < want; ++i) {
            const float t = static_cast<float>(i + 1) / static_cast<float>(want);
            const float gl = c.lastLeftGain + (left - c.lastLeftGain) * t;
            const float gr = c.lastRightGain + (right - c.lastRightGain) * t;
            out[2 * (done + i)] += block[2 * i] * gl;
            out[2 * (done + i) + 1] += block[2 * i + 1] * gr;
        }
        c.lastLeftGain = left;
        c.lastRightGain = right;
        done += want;
        if (n < want) {
            // Through the stretcher the position is counted from output
            // frames and can stop a few frames short of the source's end;
            // the player ends a song when the position reaches its length.
            const std::int64_t length = c.source->LengthFrames();
            if (length > 0) c.position = std::max(c.position, static_cast<double>(length));
            c.ended.store(true);
            break;
        }
    }
    Timing t;
    t.positionEnd = c.position;
    t.speed = speed;
    t.seekBase = c.seekBase;
    t.blockFrames = static_cast<std::uint32_t>(frames);
    t.produced = static_cast<std::uint32_t>(produced);
    t.stampNs = NowNs();
    c.timing->timing.Store(t);
    if (seek >= 0) {
        std::int64_t expected = seek;
        c.timing->pendingSeek.compare_exchange_strong(expected, -1);
    }
}

void AudioEngine::Render(float* out, std::size_t frames) {
    m_inRender.store(true);
    DenormalGuard guard;
    std::fill(out, out + 2 * frames, 0.0f);
    for (auto& slot : m_live) {
        Channel* c = slot.load();
        if (c && c->playing.load(std::memory_order_relaxed) &&
            !c->ended.load(std::memory_order_relaxed)) {
            RenderChannel(*c, out, frames);
        }
    }
    m_songGain.Process(out, frames);
    ApplyMasterGain(out, frames);
    m_renderCount.fetch_add(1);
    m_inRender.store(false);
}

void AudioEngine::ApplyMasterGain(float* out, std::size_t frames) {
    const float target = m_masterMuted.load(std::memory_order_relaxed) ? 0.0f : 1.0f;
    if (target == 1.0f && m_masterGain == 1.0f) return;
    // About 5 ms at 44.1 kHz from full to silence.
    constexpr float kStep = 1.0f / 256.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        if (m_masterGain < target) m_masterGain = std::min(target, m_masterGain + kStep);
        if (m_masterGain > target) m_masterGain = std::max(target, m_masterGain - kStep);
        out[2 * i] *= m_masterGain;
        out[2 * i + 1] *= m_masterGain;
    }
}

class AudioEngine::ChannelClock final : public AudioClock {
public:
    explicit ChannelClock(std::shared_ptr<ChannelTiming> timing) : m_timing(std::move(timing)) {}
    double AudiblePositionSeconds() const override {
        return m_timing->AudibleFrame() / m_timing->sourceRate;
    }

private:
    std::shared_ptr<ChannelTiming> m_timing;
};

std::unique_ptr<AudioClock> AudioEngine::MakeClock(AudioHandle h) const {
    const Channel* c = FindChannel(h);
    if (!c) return nullptr;
    return std::make_unique<ChannelClock>(c->timing);
}

}  // namespace cx
