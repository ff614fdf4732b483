#include "midi/gui/MidiIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace cx {
namespace {

// Every shape is drawn on a 24 x 24 grid and scaled to each size.
using Draw = std::function<void(QPainter&, const QColor&)>;

QPixmap Paint(int size, const QColor& colour, const Draw& draw) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p, colour);
    return pm;
}

QIcon Build(const QColor& colour, const Draw& on, const Draw& off) {
    QIcon icon;
    const QColor dim = QColor::fromHsv(colour.hsvHue(), colour.hsvSaturation() / 3,
                                       std::min(255, colour.value() / 2 + 110));
    for (int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(Paint(size, colour, on), QIcon::Normal, QIcon::On);
        icon.addPixmap(Paint(size, colour, off), QIcon::Normal, QIcon::Off);
        icon.addPixmap(Paint(size, dim, on), QIcon::Disabled, QIcon::On);
        icon.addPixmap(Paint(size, dim, off), QIcon::Disabled, QIcon::Off);
    }
    return icon;
}

QPen Stroke(const QColor& c, double width = 2.2) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Lock(QPainter& p, const QColor& c, bool closed) {
    p.setPen(Stroke(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(7.5, 11);
    shackle.lineTo(7.5, 7.5);
    shackle.arcTo(QRectF(7.5, 3, 9, 9), 180, -180);
    shackle.lineTo(16.5, closed ? 11 : 8);
    if (!closed) shackle.translate(4, -1.5);
    p.drawPath(shackle);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(5, 11, 14, 10), 2, 2);
}

void Speaker(QPainter& p, const QColor& c, bool sounding) {
    p.setPen(Stroke(c, 1.6));
    p.setBrush(c);
    QPolygonF body;
    body << QPointF(3, 9) << QPointF(7, 9) << QPointF(12, 4.5) << QPointF(12, 19.5)
         << QPointF(7, 15) << QPointF(3, 15);
    p.drawPolygon(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(c));
    if (sounding) {
        p.drawArc(QRectF(10, 8, 6, 8), -60 * 16, 120 * 16);
        p.drawArc(QRectF(10, 4.5, 11, 15), -60 * 16, 120 * 16);
    } else {
        p.drawLine(QPointF(15, 9), QPointF(21, 15));
        p.drawLine(QPointF(21, 9), QPointF(15, 15));
    }
}

void Power(QPainter& p, const QColor& c, bool on) {
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(c, on ? 2.6 : 1.8));
    p.drawArc(QRectF(4.5, 5, 15, 15), 120 * 16, -300 * 16);
    p.drawLine(QPointF(12, 3), QPointF(12, 12));
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(20.5, 3.5), 2.2, 2.2);
    }
}

void Note(QPainter& p, const QColor& c) {
    p.setPen(Stroke(c));
    p.setBrush(c);
    p.drawEllipse(QRectF(4, 15, 6.5, 5));
    p.drawEllipse(QRectF(13.5, 13, 6.5, 5));
    p.setBrush(Qt::NoBrush);
    QPolygonF beam;
    beam << QPointF(10.2, 17.5) << QPointF(10.2, 5.5) << QPointF(19.8, 3.5) << QPointF(19.8, 15.5);
    p.drawPolyline(beam);
}

}  // namespace

QIcon LockIcon(const QColor& colour) {
    return Build(
        colour, [](QPainter& p, const QColor& c) { Lock(p, c, true); },
        [](QPainter& p, const QColor& c) { Lock(p, c, false); });
}

QIcon SpeakerIcon(const QColor& colour) {
    return Build(
        colour, [](QPainter& p, const QColor& c) { Speaker(p, c, true); },
        [](QPainter& p, const QColor& c) { Speaker(p, c, false); });
}

QIcon PowerIcon(const QColor& colour) {
    return Build(
        colour, [](QPainter& p, const QColor& c) { Power(p, c, true); },
        [](QPainter& p, const QColor& c) { Power(p, c, false); });
}

QIcon NoteIcon(const QColor& colour) {
    const Draw note = [](QPainter& p, const QColor& c) { Note(p, c); };
    return Build(colour, note, note);
}

}  // namespace cx
