// Pictures in the video's colour space: 8-bit Y, U and V planes with the
// colour halved both ways (4:2:0), BT.709 limited range as the encoder writes.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace cx {

struct Yuv420 {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> y, u, v;  // rows without padding; u, v (w+1)/2 x (h+1)/2
};

// The picture converted as the encoder converts it; false with `error` when
// FFmpeg cannot be loaded. Sizes must be even.
bool ConvertToYuv420(const QImage& picture, Yuv420& out, std::string& error);

// Structural similarity of two pictures of the same size: the mean over 8x8
// windows (every 4 pixels) of each plane, the planes weighted by their size
// (Y 4, U 1, V 1). 1 is identical; 0 when the sizes differ.
double Ssim420(const Yuv420& a, const Yuv420& b);

}  // namespace cx
