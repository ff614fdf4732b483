#include "cdg/CdgFrameExport.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "cdg/CdgRender.h"

namespace cx {
namespace {

// Qt maps PNG quality 80 to zlib level 1: the fastest level that still
// compresses. Flat CD+G pictures gain little from the slower levels.
constexpr int kPngQuality = 80;
constexpr qsizetype kPaletteColors = 256;
// Runs of frames on their way per encoder; the decoder is far quicker than encoding.
constexpr std::size_t kQueuedRunsPerEncoder = 4;

// Colour to palette index, by open addressing in twice as many slots as
// the palette has entries, so that probes stay short.
class ColorIndex {
public:
    // The colour's index, added when new; -1 once the palette is full.
    int Find(QRgb c) {
        std::uint32_t slot = (c * kHashFactor) >> (32 - kSlotBits);
        while (m_used[slot]) {
            if (m_keys[slot] == c) return m_index[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (m_table.size() == kPaletteColors) return -1;
        m_used[slot] = true;
        m_keys[slot] = c;
        m_index[slot] = static_cast<std::uint8_t>(m_table.size());
        m_table.push_back(c);
        return m_index[slot];
    }
    const QList<QRgb>& Table() const { return m_table; }

private:
    static constexpr int kSlotBits = 9;
    static constexpr std::uint32_t kSlots = 1u << kSlotBits;
    static constexpr std::uint32_t kHashFactor = 2654435761u;  // Knuth's multiplicative hash
    std::array<QRgb, kSlots> m_keys{};
    std::array<std::uint8_t, kSlots> m_index{};
    std::array<bool, kSlots> m_used{};
    QList<QRgb> m_table;
};

// The same pixels with a colour table, or a null image past 256 colours.
QImage ToPalette(const QImage& rgb) {
    QImage out(rgb.size(), QImage::Format_Indexed8);
    ColorIndex colors;
    QRgb last = 0;  // never a pixel: pixels are made opaque
    int lastIndex = 0;
    const int width = rgb.width(), height = rgb.height();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* row = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb c = in[x] | 0xFF000000u;
            if (c != last) {
                lastIndex = colors.Find(c);
                if (lastIndex < 0) return {};
                last = c;
            }
            row[x] = static_cast<uchar>(lastIndex);
        }
    }
    out.setColorTable(colors.Table());
    return out;
}

bool WriteBytes(const std::string& path, const QByteArray& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool wrote = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                   f) == static_cast<std::size_t>(bytes.size());
    return (std::fclose(f) == 0) && wrote;
}

// A decoded picture and the run of frames that show it.
struct FrameJob {
    QImage frame;  // 300 x 216, unscaled
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::int64_t order = 0;  // place among the runs
};

// A run's picture as PNG, waiting for the writer.
struct EncodedRun {
    QByteArray png;
    std::int64_t first = 0;
    std::int64_t count = 0;
};

// Encoders take runs in any order; one writer creates the files in frame
// order, since file creation in one folder does not go faster on more
// threads (they only contend for the folder).
class ExportRun {
public:
    ExportRun(std::string dir, const CdgFrameExportOptions& o, std::size_t capacity)
        : m_dir(std::move(dir)), m_options(o), m_capacity(std::max<std::size_t>(1, capacity)) {}

    // Decoder: waits while `capacity` runs are on their way. False once a write failed.
    bool Push(FrameJob job) {
        std::unique_lock lock(m_mutex);
        m_space.wait(lock, [&] { return m_inFlight < m_capacity || m_failed; });
        if (m_failed) return false;
        job.order = m_pushed++;
        ++m_inFlight;
        m_jobs.push_back(std::move(job));
        m_jobReady.notify_one();
        return true;
    }

    // A 300 x 216 picture to compose into: one handed back after encoding when
    // there is one. Fresh pictures for every frame would make the allocator
    // map and fault in new pages each time.
    QImage TakeCanvas() {
        {
            std::lock_guard lock(m_mutex);
            if (!m_canvases.empty()) {
                QImage canvas = std::move(m_canvases.back());
                m_canvases.pop_back();
                return canvas;
            }
        }
        return QImage(kCdgWidth, kCdgHeight, QImage::Format_RGB32);
    }

    // Takes a picture back when nothing else holds it.
    void Recycle(QImage&& canvas) {
        if (canvas.isNull() || !canvas.isDetached()) return;
        std::lock_guard lock(m_mutex);
        if (m_canvases.size() < m_capacity + 2) m_canvases.push_back(std::move(canvas));
    }

    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_jobReady.notify_all();
        m_encodedReady.notify_all();
    }

    void EncodeLoop() {
        for (;;) {
            FrameJob job;
            {
                std::unique_lock lock(m_mutex);
                m_jobReady.wait(lock, [&] { return !m_jobs.empty() || m_closed || m_failed; });
                if (m_failed || m_jobs.empty()) return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            EncodedRun run = Encode(job);
            Recycle(std::move(job.frame));
            std::lock_guard lock(m_mutex);
            m_encoded.emplace(job.order, std::move(run));
            m_encodedReady.notify_all();
        }
    }

    void WriteLoop() {
        for (;;) {
            EncodedRun run;
            {
                std::unique_lock lock(m_mutex);
                m_encodedReady.wait(lock, [&] {
                    return m_failed || m_encoded.count(m_nextWrite) > 0 ||
                           (m_closed && m_nextWrite == m_pushed);
                });
                const auto it = m_encoded.find(m_nextWrite);
                if (m_failed || it == m_encoded.end()) return;
                run = std::move(it->second);
                m_encoded.erase(it);
                ++m_nextWrite;
            }
            if (!Write(run)) return;
            std::lock_guard lock(m_mutex);
            --m_inFlight;
            m_space.notify_one();
        }
    }

    // Scales and encodes the job's picture once for all its frames.
    EncodedRun Encode(const FrameJob& job) {
        const QImage picture =
            m_options.scale == 1
                ? job.frame
                : ScaleCdgFrame(job.frame, job.frame.size() * m_options.scale, m_options.smooth);
        m_encodedCount.fetch_add(1, std::memory_order_relaxed);
        return {EncodeCdgFramePng(picture), job.first, job.count};
    }

    // The same bytes under each frame name of the run.
    bool Write(const EncodedRun& run) {
        for (std::int64_t k = run.first; k < run.first + run.count; ++k) {
            const std::string path = (std::filesystem::path(m_dir) / CdgFrameFileName(k)).string();
            if (run.png.isEmpty() || !WriteBytes(path, run.png)) {
                Fail("cannot write " + path);
                return false;
            }
            m_written.fetch_add(1, std::memory_order_relaxed);
        }
        return true;
    }

    void Finish(CdgFrameExportResult& r) {
        std::lock_guard lock(m_mutex);
        r.frames = m_written.load();
        r.encoded = m_encodedCount.load();
        r.ok = !m_failed;
        r.error = m_error;
    }

private:
    // Frames are written in order, so the first failure is the one to tell.
    void Fail(std::string message) {
        std::lock_guard lock(m_mutex);
        if (!m_failed) m_error = std::move(message);
        m_failed = true;
        m_jobReady.notify_all();
        m_encodedReady.notify_all();
        m_space.notify_all();
    }

    const std::string m_dir;
    const CdgFrameExportOptions m_options;
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_jobReady, m_encodedReady, m_space;
    std::deque<FrameJob> m_jobs;
    std::vector<QImage> m_canvases;
    std::map<std::int64_t, EncodedRun> m_encoded;
    std::size_t m_inFlight = 0;
    std::int64_t m_pushed = 0, m_nextWrite = 0;
    bool m_closed = false;
    bool m_failed = false;
    std::string m_error;
    std::atomic<std::int64_t> m_written{0}, m_encodedCount{0};
};

int EncoderCount(int requested) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(requested > 0 ? requested : cores, 1, kCdgMaxExportThreads);
}

}  // namespace

std::string CdgFrameFileName(std::int64_t frame) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    return name;
}

QByteArray EncodeCdgFramePng(const QImage& frame) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(kPngQuality);
    const QImage palette = ToPalette(frame.convertToFormat(QImage::Format_RGB32));
    if (!writer.write(palette.isNull() ? frame : palette)) return {};
    return bytes;
}

CdgFrameExportResult ExportCdgFrames(CdgPlayer& player, const std::string& dir,
                                     const CdgFrameExportOptions& options) {
    CdgFrameExportResult result;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        result.error = "cannot create " + dir + ": " + ec.message();
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    const int encoders = EncoderCount(options.threads);
    // One encoder: no threads at all, each frame written before the next is decoded.
    const bool sequential = encoders == 1;
    ExportRun run(dir, options, encoders * kQueuedRunsPerEncoder);
    std::vector<std::thread> pool;
    if (!sequential) {
        for (int i = 0; i < encoders; ++i) pool.emplace_back([&run] { run.EncodeLoop(); });
        pool.emplace_back([&run] { run.WriteLoop(); });
    }
    auto hand = [&](FrameJob job) {
        if (!sequential) return run.Push(std::move(job));
        const EncodedRun encoded = run.Encode(job);
        run.Recycle(std::move(job.frame));
        return run.Write(encoded);
    };

    const double fps = std::max(1, options.fps);
    const double duration = player.Song().DurationSeconds();
    player.PlayCDG();
    FrameJob pending;
    std::uint64_t pendingRevision = 0;
    bool going = true;
    for (std::int64_t k = 0; going && k / fps <= duration; ++k) {
        player.Tick(k / fps);
        const std::uint64_t revision = player.Screen().Revision();
        if (options.reuse && pending.count > 0 && revision == pendingRevision) {
            ++pending.count;
            continue;
        }
        QImage frame = run.TakeCanvas();
        // RGB32 rows of 300 pixels are 4-byte aligned: no padding.
        player.Screen().ComposeRgb(reinterpret_cast<std::uint32_t*>(frame.bits()));
        // Changes can cancel out (an XOR highlight drawn twice): compare pixels.
        if (options.reuse && pending.count > 0 && frame == pending.frame) {
            pendingRevision = revision;
            ++pending.count;
            run.Recycle(std::move(frame));
            continue;
        }
        if (pending.count > 0) going = hand(std::move(pending));
        pending = FrameJob{std::move(frame), k, 1};
        pendingRevision = revision;
    }
    if (going && pending.count > 0) hand(std::move(pending));
    run.Close();
    for (auto& t : pool) t.join();
    run.Finish(result);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace cx
