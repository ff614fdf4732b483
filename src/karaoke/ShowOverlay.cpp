#include "karaoke/ShowOverlay.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace cx {
namespace {

constexpr double kCardWidth = 0.7;  // of the picture
constexpr double kCardHeight = 0.5;
constexpr double kTickerHeight = 0.09;
constexpr int kMinTextPixels = 8;
constexpr double kJoinAlone = 0.5;  // the QR code's side, of the height, with no card
constexpr double kJoinBesideCard = 0.22;
constexpr double kJoinMargin = 0.02;  // of the height

QFont SizedFont(int pixels, bool bold) {
    QFont f;
    f.setPixelSize(std::max(kMinTextPixels, pixels));
    f.setBold(bold);
    return f;
}

// A singer's name or a title can be as long as a guest typed it: the text
// shrinks to fit the line, down to half its size, and is elided past that.
void DrawFitted(QPainter& p, const QRectF& rect, const std::string& text, QFont font) {
    const QString s = QString::fromStdString(text);
    const double width = rect.width() * 0.94;
    const int full = font.pixelSize();
    while (font.pixelSize() > std::max(kMinTextPixels, full / 2) &&
           QFontMetrics(font).horizontalAdvance(s) > width)
        font.setPixelSize(font.pixelSize() - 1);
    p.setFont(font);
    p.drawText(rect, Qt::AlignCenter,
               QFontMetrics(font).elidedText(s, Qt::ElideRight, static_cast<int>(width)));
}

void PaintCard(QPainter& p, const ShowCard& card, const QRectF& box) {
    QPainterPath path;
    path.addRoundedRect(box, box.height() / 10, box.height() / 10);
    p.fillPath(path, QColor::fromRgba(kShowCardColour));
    const double line = box.height() / 4;
    const QRectF heading(box.left(), box.top() + line * 0.3, box.width(), line * 1.3);
    const QRectF title(box.left(), heading.bottom(), box.width(), line);
    const QRectF countdown(box.left(), title.bottom(), box.width(), line * 1.1);
    p.setPen(Qt::white);
    DrawFitted(p, heading, card.heading, SizedFont(static_cast<int>(line * 0.8), true));
    p.setPen(QColor(0xFF, 0xE0, 0x80));
    DrawFitted(p, title, card.title, SizedFont(static_cast<int>(line * 0.55), false));
    p.setPen(Qt::white);
    p.setFont(SizedFont(static_cast<int>(line * 0.6), true));
    p.drawText(countdown, Qt::AlignCenter, QString::fromStdString(card.countdown));
}

void PaintTicker(QPainter& p, const ShowCard& card, QSize size) {
    const int h = std::max(kMinTextPixels + 4, static_cast<int>(size.height() * kTickerHeight));
    const QRect strip(0, size.height() - h, size.width(), h);
    p.fillRect(strip, QColor(0, 0, 0, 180));
    p.setFont(SizedFont(h * 6 / 10, false));
    p.setPen(Qt::white);
    const QString text = QString::fromStdString(card.ticker);
    const int textWidth = QFontMetrics(p.font()).horizontalAdvance(text);
    // Enters at the right edge and leaves at the left, then again.
    const double span = size.width() + textWidth;
    const double moved = std::fmod(std::max(0.0, card.tickerOffset), span);
    p.drawText(QRectF(size.width() - moved, strip.top(), textWidth + 1, h),
               Qt::AlignVCenter | Qt::AlignLeft, text);
}

// The QR code on white (its quiet zone needs it) with the address and the
// code under it, dark on white so a phone's camera and a guest read both.
double JoinLine(double side, bool besideCard) {
    return std::max<double>(kMinTextPixels + 2, side / (besideCard ? 6 : 8));
}

QRectF JoinPanelRect(const ShowCard& card, QSize size) {
    const bool besideCard = card.card;
    const double h = size.height(), margin = kJoinMargin * h;
    const double side = JoinQrSide(size, besideCard);
    const double line = JoinLine(side, besideCard);
    const double panelWidth = side * (besideCard ? 1.9 : 1.6) + 2 * margin;
    const double panelHeight = side + 2.4 * line + 2 * margin;
    const double tickerTop = card.ticker.empty() ? h : h * (1 - kTickerHeight);
    const QPointF at =
        besideCard ? QPointF(size.width() - panelWidth - margin, tickerTop - panelHeight - margin)
                   : QPointF((size.width() - panelWidth) / 2, (tickerTop - panelHeight) / 2);
    return QRectF(at, QSizeF(panelWidth, panelHeight));
}

// Centred, unless the join panel stands in its corner: then it rises above
// the panel, or where there is no room for that keeps left of it, narrower
// if it must, so neither hides the other.
QRectF CardRect(QSize size, const QRectF& panel) {
    QRectF box((1 - kCardWidth) / 2 * size.width(), (1 - kCardHeight) / 2 * size.height() * 0.8,
               kCardWidth * size.width(), kCardHeight * size.height());
    if (panel.isEmpty() || !box.intersects(panel)) return box;
    const double margin = kJoinMargin * size.height();
    if (panel.top() - margin - box.height() >= margin) {
        box.moveBottom(panel.top() - margin);
        return box;
    }
    const double right = panel.left() - margin;
    box.moveRight(right);
    if (box.left() < margin) box.setLeft(std::min(margin, right));
    return box;
}

void PaintJoinPanel(QPainter& p, const ShowCard& card, QSize size, const QRectF& panel) {
    const bool besideCard = card.card;
    const double margin = kJoinMargin * size.height();
    const double side = JoinQrSide(size, besideCard);
    const double line = JoinLine(side, besideCard);
    QPainterPath path;
    path.addRoundedRect(panel, margin, margin);
    p.fillPath(path, Qt::white);
    const QRectF box(panel.center().x() - side / 2, panel.top() + margin, side, side);
    // Drawn at its own size when it fits: scaled modules blur for a camera.
    QRectF code(QPointF(), QSizeF(card.joinQr.size()).scaled(box.size(), Qt::KeepAspectRatio));
    if (card.joinQr.width() <= side) code.setSize(card.joinQr.size());
    code.moveCenter(box.center());
    p.drawImage(code, card.joinQr);
    p.setPen(Qt::black);
    const QRectF address(panel.left(), box.bottom(), panel.width(), line * 1.1);
    DrawFitted(p, address, card.joinAddress, SizedFont(static_cast<int>(line * 0.7), false));
    p.setFont(SizedFont(static_cast<int>(line * 0.9), true));
    p.drawText(QRectF(panel.left(), address.bottom(), panel.width(), line * 1.3), Qt::AlignCenter,
               QString::fromStdString(card.joinCode));
}

}  // namespace

int JoinQrSide(QSize size, bool besideCard) {
    return static_cast<int>(
        std::min(size.height() * (besideCard ? kJoinBesideCard : kJoinAlone), size.width() * 0.45));
}

QImage PaintShowOverlay(const ShowCard& card, QSize size) {
    if ((!card.card && card.ticker.empty() && card.joinQr.isNull()) || size.isEmpty()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const ShowPlaces places = PlaceShow(card, size);
    if (card.card) PaintCard(p, card, places.card);
    if (!card.ticker.empty()) PaintTicker(p, card, size);
    if (!card.joinQr.isNull()) PaintJoinPanel(p, card, size, places.joinPanel);
    return image;
}

ShowPlaces PlaceShow(const ShowCard& card, QSize size) {
    ShowPlaces places;
    if (!card.joinQr.isNull()) places.joinPanel = JoinPanelRect(card, size);
    if (card.card) places.card = CardRect(size, places.joinPanel);
    return places;
}

}  // namespace cx
