#include "cdg/CdgFrameExport.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "cdg/CdgRender.h"

namespace cx {
namespace {

// Qt maps PNG quality 80 to zlib level 1: the fastest level that still
// compresses. Flat CD+G pictures gain little from the slower levels.
constexpr int kPngQuality = 80;
constexpr int kPaletteColors = 256;
// Decoded frames waiting per worker; the decoder is far quicker than encoding.
constexpr std::size_t kQueuedFramesPerWorker = 4;

// The same pixels with a colour table, or a null image past 256 colours.
QImage ToPalette(const QImage& rgb) {
    QImage out(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    QRgb last = 0;  // never a pixel: pixels are made opaque
    int lastIndex = 0;
    const int width = rgb.width(), height = rgb.height();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* row = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb c = in[x] | 0xFF000000u;
            if (c != last) {
                const auto it = std::find(table.cbegin(), table.cend(), c);
                if (it == table.cend()) {
                    if (table.size() == kPaletteColors) return {};
                    table.push_back(c);
                    lastIndex = static_cast<int>(table.size()) - 1;
                } else {
                    lastIndex = static_cast<int>(it - table.cbegin());
                }
                last = c;
            }
            row[x] = static_cast<uchar>(lastIndex);
        }
    }
    out.setColorTable(table);
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
};

class ExportRun {
public:
    ExportRun(std::string dir, const CdgFrameExportOptions& o, std::size_t capacity)
        : m_dir(std::move(dir)), m_options(o), m_capacity(std::max<std::size_t>(1, capacity)) {}

    // Decoder side: waits while the queue is full. False once a write failed.
    bool Push(FrameJob job) {
        std::unique_lock lock(m_mutex);
        m_space.wait(lock, [&] { return m_queue.size() < m_capacity || m_failed; });
        if (m_failed) return false;
        m_queue.push_back(std::move(job));
        m_ready.notify_one();
        return true;
    }

    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_ready.notify_all();
    }

    void Work() {
        for (FrameJob job; Pop(job);) Write(job);
    }

    // Encodes the job's picture once and writes it under each of its frame names.
    void Write(const FrameJob& job) {
        const QImage picture =
            m_options.scale == 1
                ? job.frame
                : ScaleCdgFrame(job.frame, job.frame.size() * m_options.scale, m_options.smooth);
        const QByteArray png = EncodeCdgFramePng(picture);
        m_encoded.fetch_add(1, std::memory_order_relaxed);
        for (std::int64_t k = job.first; k < job.first + job.count; ++k) {
            const std::string path = (std::filesystem::path(m_dir) / CdgFrameFileName(k)).string();
            if (png.isEmpty() || !WriteBytes(path, png)) {
                Fail(k, "cannot write " + path);
                return;
            }
            m_written.fetch_add(1, std::memory_order_relaxed);
        }
    }

    bool Failed() {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }

    void Finish(CdgFrameExportResult& r) const {
        r.frames = m_written.load();
        r.encoded = m_encoded.load();
        r.ok = !m_failed;
        r.error = m_error;
    }

private:
    bool Pop(FrameJob& job) {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return !m_queue.empty() || m_closed || m_failed; });
        if (m_failed || m_queue.empty()) return false;
        job = std::move(m_queue.front());
        m_queue.pop_front();
        m_space.notify_one();
        return true;
    }

    // Keeps the failure of the lowest frame and stops everyone.
    void Fail(std::int64_t frame, std::string message) {
        std::lock_guard lock(m_mutex);
        if (!m_failed || frame < m_failedFrame) {
            m_failedFrame = frame;
            m_error = std::move(message);
        }
        m_failed = true;
        m_ready.notify_all();
        m_space.notify_all();
    }

    const std::string m_dir;
    const CdgFrameExportOptions m_options;
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_ready, m_space;
    std::deque<FrameJob> m_queue;
    bool m_closed = false;
    bool m_failed = false;
    std::int64_t m_failedFrame = 0;
    std::string m_error;
    std::atomic<std::int64_t> m_written{0}, m_encoded{0};
};

int WorkerCount(int requested) {
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
    const int workers = WorkerCount(options.threads);
    // One worker: no threads at all, each frame written before the next is decoded.
    const bool sequential = workers == 1;
    ExportRun run(dir, options, workers * kQueuedFramesPerWorker);
    std::vector<std::thread> pool;
    if (!sequential)
        for (int i = 0; i < workers; ++i) pool.emplace_back([&run] { run.Work(); });
    auto hand = [&](FrameJob job) {
        if (!sequential) return run.Push(std::move(job));
        run.Write(job);
        return !run.Failed();
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
        QImage frame = RenderCdgScreen(player.Screen());
        // Changes can cancel out (an XOR highlight drawn twice): compare pixels.
        if (options.reuse && pending.count > 0 && frame == pending.frame) {
            pendingRevision = revision;
            ++pending.count;
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
