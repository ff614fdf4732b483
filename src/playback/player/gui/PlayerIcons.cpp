#include "playback/player/gui/PlayerIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace cx {
namespace {

constexpr int kSize = 64;  // drawn large, scaled down by Qt for every density

void Triangle(QPainterPath& path, QPointF a, QPointF b, QPointF c) {
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
}

void Draw(QPainter& p, Command command, const QColor& c) {
    QPainterPath fill;
    QPen pen(c, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    switch (command) {
        case Command::Play:
            Triangle(fill, {20, 12}, {52, 32}, {20, 52});
            break;
        case Command::Pause:
            fill.addRoundedRect(16, 12, 11, 40, 2, 2);
            fill.addRoundedRect(37, 12, 11, 40, 2, 2);
            break;
        case Command::Stop:
            fill.addRoundedRect(15, 15, 34, 34, 3, 3);
            break;
        case Command::Previous:
            fill.addRect(12, 14, 7, 36);
            Triangle(fill, {52, 14}, {22, 32}, {52, 50});
            break;
        case Command::Next:
            fill.addRect(45, 14, 7, 36);
            Triangle(fill, {12, 14}, {42, 32}, {12, 50});
            break;
        case Command::Mute:
            fill.addRect(8, 24, 12, 16);
            Triangle(fill, {14, 32}, {32, 12}, {32, 52});
            p.drawPath(fill);
            fill = {};
            p.setPen(pen);
            p.drawLine(40, 24, 56, 40);
            p.drawLine(56, 24, 40, 40);
            break;
        case Command::Record:
            p.setBrush(QColor(0xe5, 0x48, 0x4d));
            p.drawEllipse(QPointF(32, 32), 17, 17);
            break;
        case Command::SwitchMicrophone:
            fill.addRoundedRect(24, 8, 16, 30, 8, 8);
            p.drawPath(fill);
            fill = {};
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(16, 16, 32, 30), 180 * 16, 180 * 16);
            p.drawLine(32, 47, 32, 56);
            p.drawLine(22, 56, 42, 56);
            break;
        case Command::YourVoice:
            fill.addRoundedRect(8, 10, 48, 32, 10, 10);
            Triangle(fill, {18, 38}, {30, 38}, {14, 54});
            p.drawPath(fill);
            fill = {};
            p.setPen(QPen(QColor(0x26, 0x29, 0x30), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(20, 26, 20, 26);
            p.drawLine(32, 20, 32, 32);
            p.drawLine(44, 26, 44, 26);
            break;
        case Command::UserList:
            for (int i = 0; i < 4; ++i) {
                fill.addEllipse(QPointF(12, 16 + i * 11), 3.5, 3.5);
                fill.addRoundedRect(20, 13 + i * 11, 34, 6, 2, 2);
            }
            break;
        case Command::Controls:
            p.setPen(pen);
            for (int i = 0; i < 3; ++i) p.drawLine(16 + i * 16, 10, 16 + i * 16, 54);
            p.setPen(Qt::NoPen);
            fill.addRoundedRect(9, 36, 14, 8, 2, 2);
            fill.addRoundedRect(25, 18, 14, 8, 2, 2);
            fill.addRoundedRect(41, 30, 14, 8, 2, 2);
            break;
        case Command::Editor:
            p.translate(32, 32);
            p.rotate(45);
            fill.addRoundedRect(-7, -26, 14, 40, 2, 2);
            Triangle(fill, {-7, 16}, {7, 16}, {0, 28});
            break;
        case Command::Fullscreen:
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({{10, 24}, {10, 10}, {24, 10}}));
            p.drawPolyline(QPolygonF({{40, 10}, {54, 10}, {54, 24}}));
            p.drawPolyline(QPolygonF({{54, 40}, {54, 54}, {40, 54}}));
            p.drawPolyline(QPolygonF({{24, 54}, {10, 54}, {10, 40}}));
            break;
        case Command::FileOpen:
            fill.moveTo(6, 16);
            fill.lineTo(24, 16);
            fill.lineTo(29, 21);
            fill.lineTo(52, 21);
            fill.lineTo(52, 28);
            fill.lineTo(14, 28);
            fill.lineTo(6, 50);
            fill.closeSubpath();
            fill.moveTo(16, 32);
            fill.lineTo(60, 32);
            fill.lineTo(50, 52);
            fill.lineTo(8, 52);
            fill.closeSubpath();
            break;
        case Command::Preferences: {
            QPainterPath gear;
            for (int i = 0; i < 8; ++i) {
                p.save();
                p.translate(32, 32);
                p.rotate(i * 45);
                p.drawRoundedRect(QRectF(-5, -27, 10, 12), 2, 2);
                p.restore();
            }
            gear.addEllipse(QPointF(32, 32), 19, 19);
            gear.addEllipse(QPointF(32, 32), 8, 8);
            fill = gear;
            break;
        }
        default:  // the menu
            for (int i = 0; i < 3; ++i) fill.addRoundedRect(10, 14 + i * 15, 44, 6, 3, 3);
            break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    fill.setFillRule(Qt::OddEvenFill);
    p.drawPath(fill);
}

QPixmap Render(Command command, const QColor& colour) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, command, colour);
    return pixmap;
}

}  // namespace

QIcon PlayerIcon(Command command, const QColor& colour) {
    QIcon icon;
    icon.addPixmap(Render(command, colour), QIcon::Normal);
    QColor dim = colour;
    dim.setAlphaF(0.35f);
    icon.addPixmap(Render(command, dim), QIcon::Disabled);
    return icon;
}

void PaintAppIcon(QPainter& p, int size) {
    p.save();
    p.scale(size / double(kSize), size / double(kSize));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3d, 0x9b, 0xe9));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    Draw(p, Command::SwitchMicrophone, Qt::white);
    p.restore();
}

QIcon AppIcon() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    PaintAppIcon(p, kSize);
    return QIcon(pixmap);
}

}  // namespace cx
