// Converts RGB32 pictures into the encoder's 4:2:0 planes (BT.709, limited
// range), one converter per picture size.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

struct SwsContext;

namespace cx {

struct FfmpegApi;

class RgbToYuv {
public:
    explicit RgbToYuv(const FfmpegApi& av) : m_av(av) {}
    ~RgbToYuv();
    RgbToYuv(const RgbToYuv&) = delete;
    RgbToYuv& operator=(const RgbToYuv&) = delete;

    bool Open(int width, int height, std::string& error);
    // `picture` is of the opened size; it is read as RGB32.
    void Convert(const QImage& picture, std::uint8_t* const planes[3], const int strides[3]);

private:
    const FfmpegApi& m_av;
    SwsContext* m_sws = nullptr;
    int m_width = 0, m_height = 0;
};

}  // namespace cx
