#include "cdg/CdgRender.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace cx {

QImage RenderCdgScreen(const CdgScreen& screen) {
    QImage image(kCdgWidth, kCdgHeight, QImage::Format_RGB32);
    // RGB32 rows are 300 * 4 bytes, already 4-byte aligned: no padding.
    screen.ComposeRgb(reinterpret_cast<std::uint32_t*>(image.bits()));
    return image;
}

QRect FitCdgRect(QSize area) {
    if (area.isEmpty()) return {};
    // Compare area.w / area.h with 300 / 216 in integers.
    const long long w = area.width(), h = area.height();
    QSize fit;
    if (w * kCdgHeight <= h * kCdgWidth) {
        fit = QSize(area.width(), static_cast<int>(std::max(1LL, w * kCdgHeight / kCdgWidth)));
    } else {
        fit = QSize(static_cast<int>(std::max(1LL, h * kCdgWidth / kCdgHeight)), area.height());
    }
    return QRect(QPoint((area.width() - fit.width()) / 2, (area.height() - fit.height()) / 2), fit);
}

QImage ScaleCdgFrame(const QImage& frame, QSize size, bool smooth) {
    QImage out(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    out.fill(Qt::black);
    const QRect target = FitCdgRect(out.size());
    if (target.isEmpty() || frame.isNull()) return out;
    const QImage scaled = frame.scaled(target.size(), Qt::IgnoreAspectRatio,
                                       smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    QPainter painter(&out);
    painter.drawImage(target.topLeft(), scaled);
    return out;
}

QImage PaintIdlePicture(QSize size) {
    QImage out(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, out.height());
    sky.setColorAt(0.0, QColor(12, 18, 48));
    sky.setColorAt(1.0, QColor(2, 2, 10));
    painter.fillRect(out.rect(), sky);
    // A disc in the middle: grooves, a sheen and the hole.
    const QPointF centre(out.width() / 2.0, out.height() / 2.0);
    const double radius = std::min(out.width(), out.height()) * 0.32;
    QRadialGradient sheen(centre, radius);
    sheen.setColorAt(0.0, QColor(200, 210, 240));
    sheen.setColorAt(0.35, QColor(90, 110, 170));
    sheen.setColorAt(1.0, QColor(40, 50, 90));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sheen);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 40), std::max(1.0, radius / 60)));
    for (double r = radius * 0.4; r < radius; r += radius / 12) painter.drawEllipse(centre, r, r);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(2, 2, 10));
    painter.drawEllipse(centre, radius * 0.12, radius * 0.12);
    return out;
}

}  // namespace cx
