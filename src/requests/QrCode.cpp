#include "requests/QrCode.h"

#include <qrencode.h>

#include <QPainter>
#include <memory>

namespace cx {

namespace {

// Modules of white around the symbol, as the QR standard asks.
constexpr int kQuietZone = 4;

}  // namespace

QImage PaintQrCode(const std::string& text, int side) {
    if (text.empty() || side <= 0) return {};
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code) return {};
    const int modules = code->width + 2 * kQuietZone;
    const int scale = side / modules;
    if (scale < 1) return {};
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + kQuietZone) * scale, (y + kQuietZone) * scale, scale, scale,
                                 Qt::black);
    return image;
}

}  // namespace cx
