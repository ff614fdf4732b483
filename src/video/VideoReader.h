// Reads back a video file: its streams, length and size, the pictures shown
// at given times in 4:2:0, and the sound mixed to mono. For checking what
// the exporter wrote against what the player shows.
#pragma once

#include <string>
#include <vector>

#include "video/Yuv420.h"

namespace cx {

struct VideoReadout {
    bool ok = false;
    std::string error;
    std::string videoCodec, soundCodec;  // FFmpeg's codec names ("h264", "aac")
    int width = 0, height = 0;
    double seconds = 0;            // of the container
    long frames = 0;               // pictures decoded
    std::vector<Yuv420> pictures;  // one per time asked: the picture shown then
    std::vector<float> sound;      // mono, from the start
    int soundRate = 0;
};

// Decodes the whole file; `times` must be in increasing order.
VideoReadout ReadVideo(const std::string& path, const std::vector<double>& times, bool wantSound);

}  // namespace cx
