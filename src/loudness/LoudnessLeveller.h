// Brings each song the player starts to the loudness target. A song with a
// known reading (measured before, or stored by the song library) gets its
// gain at once; any other starts at unity while a worker thread measures it,
// and glides to its gain when the measure arrives. Playback never waits.
//
// All operations run on the UI thread; only the measure runs on the worker.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

#include "loudness/Loudness.h"
#include "playback/SongLoudness.h"

namespace cx {

class LoudnessLeveller {
public:
    // Readings kept in memory; the oldest half goes when it is full.
    static constexpr std::size_t kMaxCachedReadings = 4096;
    // Until this far into the song a gain that arrives is applied at once:
    // a jump there is not noticed, a glide would be.
    static constexpr double kJumpBeforeSeconds = 1.0;

    using Measure = std::function<std::optional<LoudnessReading>(
        const std::string& path, const MeasureOptions& options, std::string& error)>;

    // `measure` is MeasureLoudness unless a test gives its own.
    explicit LoudnessLeveller(GainStage& stage, Measure measure = {});
    ~LoudnessLeveller();
    LoudnessLeveller(const LoudnessLeveller&) = delete;
    LoudnessLeveller& operator=(const LoudnessLeveller&) = delete;

    void ApplySettings(bool on, double targetLufs);
    // The SoundFont MIDI songs are measured with (the player's own).
    void SetSoundFont(const std::string& soundFont) { m_soundFont = soundFont; }

    // The player started (or resumed) `path`; a song already started does nothing.
    void SongStarted(const std::string& path);
    // From the playback tick: applies a measure that finished.
    void Poll(double positionSeconds);
    // A reading from elsewhere (the song library) for the song playing now.
    void SetSongLoudness(const LoudnessReading& reading, double positionSeconds);
    // A stored reading of a file as it is now: when the song starts, its gain
    // is there at once and nothing is measured.
    void StoreReading(const std::string& path, const LoudnessReading& reading);

    const SongLoudness& Control() const { return m_control; }
    // The song playing has no measure yet and one is under way.
    bool Measuring() const;
    // Why the last measure of the current song failed; empty when none did.
    const std::string& LastError() const { return m_lastError; }

private:
    // The file as it is now: a changed file is measured again.
    using Key = std::tuple<std::string, std::uintmax_t, std::int64_t>;
    struct Finished {
        std::string path;
        std::optional<LoudnessReading> reading;
        std::string error;
    };
    static std::optional<Key> KeyOf(const std::string& path);
    void Request(const std::string& path);
    void Work();

    SongLoudness m_control;
    Measure m_measure;
    std::string m_soundFont;
    std::string m_current;
    std::string m_lastError;
    std::map<Key, LoudnessReading> m_cache;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::string> m_request;  // guarded by m_mutex
    std::string m_requestFont;             // guarded by m_mutex
    std::optional<Finished> m_finished;    // guarded by m_mutex
    bool m_busy = false;                   // guarded by m_mutex
    bool m_quit = false;                   // guarded by m_mutex
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;  // started with the first measure
};

}  // namespace cx
