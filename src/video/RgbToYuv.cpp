#include "video/RgbToYuv.h"

#include "video/FfmpegApi.h"

namespace cx {

RgbToYuv::~RgbToYuv() {
    if (m_sws) m_av.sws_freeContext(m_sws);
}

bool RgbToYuv::Open(int width, int height, std::string& error) {
    m_width = width;
    m_height = height;
    // QImage's RGB32 is 0xffRRGGBB in native order: B, G, R, 0xff in memory.
    m_sws = m_av.sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P,
                                SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!m_sws) {
        error = "cannot convert pictures of " + std::to_string(width) + "x" +
                std::to_string(height) + " for the video";
        return false;
    }
    // HD video is BT.709; players assume so for untagged 720p and up too.
    const int* bt709 = m_av.sws_getCoefficients(SWS_CS_ITU709);
    m_av.sws_setColorspaceDetails(m_sws, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return true;
}

void RgbToYuv::Convert(const QImage& picture, std::uint8_t* const planes[3], const int strides[3]) {
    const QImage rgb =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    const std::uint8_t* src[1] = {rgb.constBits()};
    const int srcStride[1] = {static_cast<int>(rgb.bytesPerLine())};
    m_av.sws_scale(m_sws, src, srcStride, 0, m_height, planes, strides);
}

}  // namespace cx
