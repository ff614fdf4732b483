#include "karaoke/Pictures.h"

#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>

#include "karaoke/LyricLayout.h"

namespace cx {

namespace {

QImage DrawDefaultPicture() {
    const int w = kDefaultPictureWidth, h = kDefaultPictureHeight;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The night sky: deep blue at the top to violet near the stage.
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(12, 16, 48));
    sky.setColorAt(0.6, QColor(46, 30, 92));
    sky.setColorAt(1.0, QColor(92, 40, 110));
    p.fillRect(img.rect(), sky);
    // Stars from a fixed little generator, so every run draws the same sky.
    std::uint32_t seed = 0x2545F491u;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    for (int i = 0; i < 140; ++i) {
        const int x = static_cast<int>(next() % w);
        const int y = static_cast<int>(next() % (h * 55 / 100));
        const int a = 90 + static_cast<int>(next() % 150);
        const double r = 0.6 + (next() % 10) / 8.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 250, 230, a));
        p.drawEllipse(QPointF(x, y), r, r);
    }
    // Two spotlight beams from above the stage.
    for (const int sx : {w / 4, w * 3 / 4}) {
        QLinearGradient beam(sx, 0, w / 2, h);
        beam.setColorAt(0.0, QColor(255, 220, 150, 90));
        beam.setColorAt(1.0, QColor(255, 200, 120, 0));
        QPolygonF cone;
        cone << QPointF(sx - 12, 0) << QPointF(sx + 12, 0) << QPointF(w / 2 + 170, h * 0.86)
             << QPointF(w / 2 - 170, h * 0.86);
        p.setBrush(beam);
        p.drawPolygon(cone);
    }
    // The glow where the beams meet the stage.
    QRadialGradient glow(w / 2.0, h * 0.86, w * 0.32);
    glow.setColorAt(0.0, QColor(255, 214, 140, 150));
    glow.setColorAt(1.0, QColor(255, 214, 140, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(w / 2.0, h * 0.86), w * 0.32, h * 0.09);
    // The stage floor and a row of sound waves along it.
    QLinearGradient floor(0, h * 0.86, 0, h);
    floor.setColorAt(0.0, QColor(40, 18, 52));
    floor.setColorAt(1.0, QColor(14, 8, 24));
    p.fillRect(QRectF(0, h * 0.86, w, h * 0.14), floor);
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        QPainterPath wave;
        const double base = h * (0.92 + 0.025 * k);
        wave.moveTo(0, base);
        for (int x = 0; x <= w; x += 20) wave.lineTo(x, base + 6 * std::sin((x + 60.0 * k) / 48.0));
        p.setPen(QPen(QColor(255, 190, 120, 70 - 18 * k), 2));
        p.drawPath(wave);
    }
    return img;
}

}  // namespace

const QImage& DefaultPicture() {
    static const QImage picture = DrawDefaultPicture();
    return picture;
}

QImage DecodePicture(const std::string& path) {
    if (path.empty() || path == kNoPicturePath) return {};
    if (path == kDefaultPicturePath) return DefaultPicture();
    QImageReader reader(QString::fromStdString(path));
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
        return {};
    QImage img = reader.read();
    if (img.isNull()) return {};
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage LayoutBackground(QSize area, std::uint32_t backColor, const QImage& picture, int layout,
                        const QImage& timelinePicture) {
    QImage bg(std::max(1, area.width()), std::max(1, area.height()), QImage::Format_RGB32);
    bg.fill(ToQColor(backColor));
    QPainter p(&bg);
    if (!timelinePicture.isNull()) {
        p.drawImage(bg.rect(), timelinePicture);
        return bg;
    }
    if (picture.isNull()) return bg;
    switch (layout) {
        case kLayoutStretch:
            p.drawImage(bg.rect(), picture);
            break;
        case kLayoutTile:
            for (int y = 0; y < bg.height(); y += picture.height())
                for (int x = 0; x < bg.width(); x += picture.width()) p.drawImage(x, y, picture);
            break;
        default:
            p.drawImage(0, 0, picture);
            break;
    }
    return bg;
}

}  // namespace cx
