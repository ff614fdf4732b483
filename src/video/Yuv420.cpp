#include "video/Yuv420.h"

#include <memory>

#include "video/FfmpegApi.h"
#include "video/RgbToYuv.h"

namespace cx {

namespace {

double PlaneSsim(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int w,
                 int h) {
    constexpr int kWindow = 8, kStep = 4;
    constexpr double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0;
    long windows = 0;
    for (int y0 = 0; y0 + kWindow <= h; y0 += kStep) {
        for (int x0 = 0; x0 + kWindow <= w; x0 += kStep) {
            double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
            for (int y = y0; y < y0 + kWindow; ++y) {
                for (int x = x0; x < x0 + kWindow; ++x) {
                    const double pa = a[std::size_t(y) * w + x], pb = b[std::size_t(y) * w + x];
                    sa += pa, sb += pb, saa += pa * pa, sbb += pb * pb, sab += pa * pb;
                }
            }
            constexpr double n = kWindow * kWindow;
            const double ma = sa / n, mb = sb / n;
            const double va = saa / n - ma * ma, vb = sbb / n - mb * mb, cov = sab / n - ma * mb;
            total +=
                ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
            ++windows;
        }
    }
    return windows ? total / static_cast<double>(windows) : 1.0;
}

}  // namespace

bool ConvertToYuv420(const QImage& picture, Yuv420& out, std::string& error) {
    const FfmpegApi* av = LoadFfmpeg(error);
    if (!av) return false;
    RgbToYuv convert(*av);
    if (!convert.Open(picture.width(), picture.height(), error)) return false;
    out.width = picture.width();
    out.height = picture.height();
    const int cw = (out.width + 1) / 2, ch = (out.height + 1) / 2;
    out.y.assign(std::size_t(out.width) * out.height, 0);
    out.u.assign(std::size_t(cw) * ch, 0);
    out.v.assign(std::size_t(cw) * ch, 0);
    std::uint8_t* planes[3] = {out.y.data(), out.u.data(), out.v.data()};
    const int strides[3] = {out.width, cw, cw};
    convert.Convert(picture, planes, strides);
    return true;
}

double Ssim420(const Yuv420& a, const Yuv420& b) {
    if (a.width != b.width || a.height != b.height || a.y.size() != b.y.size() ||
        a.u.size() != b.u.size() || a.v.size() != b.v.size())
        return 0;
    const int cw = (a.width + 1) / 2, ch = (a.height + 1) / 2;
    return (4 * PlaneSsim(a.y, b.y, a.width, a.height) + PlaneSsim(a.u, b.u, cw, ch) +
            PlaneSsim(a.v, b.v, cw, ch)) /
           6;
}

}  // namespace cx
