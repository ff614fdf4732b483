#include "karaoke/Pictures.h"

#include <QImageReader>
#include <QPainter>
#include <QString>

#include "karaoke/LyricLayout.h"

namespace cx {

QImage DecodePicture(const std::string& path) {
    if (path.empty()) return {};
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
