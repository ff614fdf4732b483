#include "loudness/LoudnessLeveller.h"

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace cx {

LoudnessLeveller::LoudnessLeveller(GainStage& stage, Measure measure)
    : m_control(stage), m_measure(std::move(measure)) {
    if (!m_measure) {
        m_measure = [](const std::string& path, const MeasureOptions& options, std::string& error) {
            return MeasureLoudness(path, options, error);
        };
    }
}

LoudnessLeveller::~LoudnessLeveller() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_cancel = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

void LoudnessLeveller::ApplySettings(bool on, double targetLufs) {
    m_control.SetSettings(on, targetLufs);
}

std::optional<LoudnessLeveller::Key> LoudnessLeveller::KeyOf(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    const auto time = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    return Key{path, size, static_cast<std::int64_t>(time.time_since_epoch().count())};
}

void LoudnessLeveller::StoreReading(const std::string& path, const LoudnessReading& reading) {
    const auto key = KeyOf(path);
    if (!key) return;
    if (m_cache.size() >= kMaxCachedReadings) {
        auto end = m_cache.begin();
        std::advance(end, static_cast<std::ptrdiff_t>(m_cache.size() / 2));
        m_cache.erase(m_cache.begin(), end);
    }
    m_cache[*key] = reading;
}

void LoudnessLeveller::SongStarted(const std::string& path) {
    if (path == m_current) return;
    m_current = path;
    m_lastError.clear();
    if (path.empty()) return m_control.NewSong();
    if (const auto key = KeyOf(path)) {
        if (const auto it = m_cache.find(*key); it != m_cache.end()) {
            m_control.SetSongLoudness(it->second, true);
            return;
        }
    }
    m_control.NewSong();
    Request(path);
}

void LoudnessLeveller::Request(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        m_request = path;
        m_requestFont = m_soundFont;
        // A measure of an earlier song is of no use any more.
        m_cancel = true;
        if (!m_worker.joinable()) m_worker = std::thread([this] { Work(); });
    }
    m_wake.notify_all();
}

void LoudnessLeveller::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_request; });
        if (m_quit) return;
        const std::string path = std::move(*m_request);
        m_request.reset();
        MeasureOptions options;
        options.soundFont = m_requestFont;
        options.stop = &m_cancel;
        m_cancel = false;
        m_busy = true;
        lock.unlock();
        Finished done{path, std::nullopt, {}};
        done.reading = m_measure(path, options, done.error);
        lock.lock();
        m_busy = false;
        if (!m_cancel) m_finished = std::move(done);
    }
}

void LoudnessLeveller::Poll(double positionSeconds) {
    std::optional<Finished> done;
    {
        std::lock_guard lock(m_mutex);
        if (!m_finished) return;
        done.swap(m_finished);
    }
    if (done->reading) StoreReading(done->path, *done->reading);
    if (done->path != m_current) return;
    if (!done->reading) {
        m_lastError = done->error;  // the song keeps its own level
        return;
    }
    m_control.SetSongLoudness(*done->reading, positionSeconds < kJumpBeforeSeconds);
}

void LoudnessLeveller::SetSongLoudness(const LoudnessReading& reading, double positionSeconds) {
    if (m_current.empty()) return;
    StoreReading(m_current, reading);
    m_control.SetSongLoudness(reading, positionSeconds < kJumpBeforeSeconds);
}

bool LoudnessLeveller::Measuring() const {
    std::lock_guard lock(m_mutex);
    return m_busy || m_request.has_value() || m_finished.has_value();
}

}  // namespace cx
