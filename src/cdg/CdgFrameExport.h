// Writes every frame of a CD+G song as a numbered PNG file. The decoder runs
// ahead on the calling thread while a pool of workers scales, encodes and
// writes; a frame whose picture equals the one before is not encoded again
// but gets the same bytes. Output is the same whatever the thread count.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>

#include "cdg/CdgPlayer.h"

namespace cx {

// Workers beyond this gain nothing on a 300 x 216 picture.
inline constexpr int kCdgMaxExportThreads = 64;

struct CdgFrameExportOptions {
    int fps = 25;
    int scale = 1;        // 1..16
    bool smooth = false;  // filtered rather than repeated pixels when scaling
    int threads = 0;      // encoding workers; 0 = one a core
    bool reuse = true;    // unchanged frames reuse the bytes of the one before
};

struct CdgFrameExportResult {
    bool ok = false;
    std::string error;         // the first failure, by frame number, when !ok
    std::int64_t frames = 0;   // files written
    std::int64_t encoded = 0;  // of them, encoded rather than reused
    double seconds = 0;        // wall time
    double FramesPerSecond() const { return seconds > 0 ? frames / seconds : 0.0; }
};

// "frame-000042.png".
std::string CdgFrameFileName(std::int64_t frame);

// The picture as PNG bytes, with a fast compression level. Pictures of at
// most 256 colours (every unfiltered CD+G frame) are stored with a palette,
// which holds the same pixels in a third of the time and space. The same
// picture always gives the same bytes.
QByteArray EncodeCdgFramePng(const QImage& frame);

// Frame k shows the screen after every packet due by k / fps seconds, from
// 0 up to the end of the song, into `dir` (created when missing). `player`
// holds a freshly loaded song; the channels switched on it apply.
CdgFrameExportResult ExportCdgFrames(CdgPlayer& player, const std::string& dir,
                                     const CdgFrameExportOptions& options);

}  // namespace cx
