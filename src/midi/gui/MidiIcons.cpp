#include "midi/gui/MidiIcons.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
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

// Draws each form at the size and state asked for, when first asked: a
// window with sixteen channel strips would otherwise paint hundreds of
// pixmaps it may never show.
class ShapeIconEngine final : public QIconEngine {
public:
    ShapeIconEngine(const QColor& colour, Draw on, Draw off)
        : m_colour(colour),
          m_dim(QColor::fromHsv(colour.hsvHue(), colour.hsvSaturation() / 3,
                                std::min(255, colour.value() / 2 + 110))),
          m_on(std::move(on)),
          m_off(std::move(off)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const int side = std::max(1, std::min(size.width(), size.height()));
        const bool disabled = mode == QIcon::Disabled;
        const quint64 key = (quint64(side) << 2) | (disabled ? 2u : 0u) | (state == QIcon::On ? 1u : 0u);
        auto it = m_cache.find(key);
        if (it == m_cache.end())
            it = m_cache.insert(
                key, Paint(side, disabled ? m_dim : m_colour, state == QIcon::On ? m_on : m_off));
        return *it;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QIconEngine* clone() const override { return new ShapeIconEngine(*this); }

private:
    QColor m_colour;
    QColor m_dim;
    Draw m_on;
    Draw m_off;
    QHash<quint64, QPixmap> m_cache;
};

QIcon Build(const QColor& colour, const Draw& on, const Draw& off) {
    return QIcon(new ShapeIconEngine(colour, on, off));
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
