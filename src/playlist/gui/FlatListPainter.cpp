#include "playlist/gui/FlatListPainter.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace cx {

QColor ColorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t BgrFromColor(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

QFont FlatListLook::Font() const {
    QFont font;
    if (!fontName.isEmpty()) font.setFamily(fontName);
    if (fontSize > 0) font.setPointSize(fontSize);
    return font;
}

FlatListMetrics MeasureFlatList(const FlatListModel& list, const QFont& font) {
    // The playing row is bold: its columns must fit too.
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    FlatListMetrics m;
    m.padding = std::max(3, fm.height() / 4);
    m.rowHeight = fm.height() + m.padding;
    m.markerWidth = std::max(6, fm.height() / 2);
    m.numberWidth = fm.horizontalAdvance(QString::number(std::max(1, list.ListCount())) + ".");
    m.timeWidth = fm.horizontalAdvance(QStringLiteral("00:00"));
    return m;
}

int VisibleRowsFor(const FlatListMetrics& metrics, int height) {
    return std::max(1, height / std::max(1, metrics.rowHeight));
}

int RowAt(const FlatListModel& list, const FlatListMetrics& metrics, int y) {
    if (y < 0) return -1;
    const int index = list.TopIndex() + y / std::max(1, metrics.rowHeight);
    return list.Valid(index) ? index : -1;
}

int DropRowAt(const FlatListModel& list, const FlatListMetrics& metrics, int y) {
    const int row = std::max(1, metrics.rowHeight);
    // The upper half of a row drops before it, the lower half after it.
    const int index = list.TopIndex() + (std::max(0, y) + row / 2) / row;
    return std::clamp(index, 0, list.ListCount());
}

namespace {

// Below these contrast ratios a selection fill or a text is hard to see.
constexpr double kMinFillContrast = 1.6;
constexpr double kMinTextContrast = 3.0;
// The highlight the program's windows use; a hidden selection takes a tint of it.
QColor Accent() {
    return QColor(0x3d, 0x9b, 0xe9);
}

double Luminance(const QColor& c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    const auto mix = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QColor Opposite(const QColor& c) {
    return Luminance(c) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor Readable(const QColor& text, const QColor& on) {
    return ContrastRatio(text, on) >= kMinTextContrast ? text : Opposite(on);
}

QColor SelectionFill(const FlatListLook& look) {
    if (ContrastRatio(look.selected, look.back) >= kMinFillContrast) return look.selected;
    for (const double t : {0.45, 0.6, 0.75}) {
        const QColor tint = Mix(look.back, Accent(), t);
        if (ContrastRatio(tint, look.back) >= kMinFillContrast) return tint;
    }
    return Mix(look.back, Opposite(look.back), 0.35);
}

// The colours of one kind of row, worked out once per paint.
struct RowInk {
    QColor fill;  // invalid: the list's background shows
    QColor text;
    QColor playing;
    QColor missing;
};

RowInk InkOn(const FlatListLook& look, const QColor& fill, bool filled) {
    RowInk ink;
    if (filled) ink.fill = fill;
    ink.text = Readable(look.fore, fill);
    ink.playing = Readable(look.playing, fill);
    ink.missing = Mix(ink.text, fill, 0.5);
    return ink;
}

void PaintPlayingMark(QPainter& painter, const QRect& box, const QColor& colour) {
    const int h = std::min(box.width(), box.height() / 2);
    const int top = box.center().y() - h / 2;
    const QPointF mark[] = {QPointF(box.left(), top), QPointF(box.left(), top + h),
                            QPointF(box.left() + h * 0.85, top + h / 2.0)};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(mark, 3);
    painter.restore();
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void PaintFlatList(QPainter& painter, const FlatListModel& list, const FlatListLook& look,
                   QSize size, bool focused, int dropBefore) {
    const QFont font = look.Font();
    const FlatListMetrics m = MeasureFlatList(list, font);
    painter.fillRect(QRect(QPoint(0, 0), size), look.back);
    const RowInk plain = InkOn(look, look.back, false);
    const RowInk selected = InkOn(look, SelectionFill(look), true);
    const int rows = VisibleRowsFor(m, size.height()) + 1;  // a partly visible last row too
    for (int r = 0; r < rows; ++r) {
        const int index = list.TopIndex() + r;
        if (!list.Valid(index)) break;
        const QRect row(0, r * m.rowHeight, size.width(), m.rowHeight);
        const RowInk& ink = list.Selected(index) ? selected : plain;
        if (ink.fill.isValid()) painter.fillRect(row, ink.fill);
        if (focused && index == list.ListIndex()) {
            painter.setPen(look.border);
            painter.drawRect(row.adjusted(0, 0, -1, -1));
        }
        const auto& item = list.Item(index);
        const bool playing = index == list.CurrentPlaying();
        QFont rowFont = font;
        rowFont.setBold(playing);
        rowFont.setItalic(item.missing);
        rowFont.setStrikeOut(item.missing);
        const QFontMetrics fm(rowFont);
        painter.setFont(rowFont);
        const QRect markRect(m.padding, row.top(), m.markerWidth, row.height());
        if (playing) PaintPlayingMark(painter, markRect, ink.playing);
        painter.setPen(playing ? ink.playing : item.missing ? ink.missing : ink.text);
        const QRect numberRect(markRect.right() + 1, row.top(), m.numberWidth, row.height());
        painter.drawText(numberRect, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(index + 1) + ".");
        const QRect timeRect(row.right() - m.padding - m.timeWidth, row.top(), m.timeWidth,
                             row.height());
        const QString time = QString::fromStdString(item.ListTime);
        painter.drawText(timeRect, Qt::AlignRight | Qt::AlignVCenter, time);
        const int textLeft = numberRect.right() + m.padding * 2;
        const int textRight =
            time.isEmpty() ? row.right() - m.padding : timeRect.left() - m.padding;
        const QRect textRect(textLeft, row.top(), std::max(0, textRight - textLeft), row.height());
        const QString text = fm.elidedText(QString::fromStdString(item.ListString), Qt::ElideRight,
                                           textRect.width());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    if (dropBefore >= 0) {
        const int y = (dropBefore - list.TopIndex()) * m.rowHeight;
        painter.fillRect(QRect(0, std::max(0, y - 1), size.width(), 2),
                         Readable(look.border, look.back));
    }
}

QImage RenderFlatList(const FlatListModel& list, const FlatListLook& look, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    PaintFlatList(painter, list, look, size, true);
    return image;
}

}  // namespace cx
