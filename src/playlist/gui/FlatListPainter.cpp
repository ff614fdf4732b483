#include "playlist/gui/FlatListPainter.h"

#include <QFontMetrics>
#include <algorithm>

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

void PaintFlatList(QPainter& painter, const FlatListModel& list, const FlatListLook& look,
                   QSize size, bool focused) {
    const QFont font = look.Font();
    const FlatListMetrics m = MeasureFlatList(list, font);
    painter.fillRect(QRect(QPoint(0, 0), size), look.back);
    QFont boldFont = font;
    boldFont.setBold(true);
    const int rows = VisibleRowsFor(m, size.height()) + 1;  // a partly visible last row too
    for (int r = 0; r < rows; ++r) {
        const int index = list.TopIndex() + r;
        if (!list.Valid(index)) break;
        const QRect row(0, r * m.rowHeight, size.width(), m.rowHeight);
        if (list.Selected(index)) painter.fillRect(row, look.selected);
        if (focused && index == list.ListIndex()) {
            painter.setPen(look.border);
            painter.drawRect(row.adjusted(0, 0, -1, -1));
        }
        const bool playing = index == list.CurrentPlaying();
        const QFont& rowFont = playing ? boldFont : font;
        const QFontMetrics fm(rowFont);
        painter.setFont(rowFont);
        painter.setPen(playing ? look.playing : look.fore);
        const auto& item = list.Item(index);
        const QRect numberRect(m.padding, row.top(), m.numberWidth, row.height());
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
}

QImage RenderFlatList(const FlatListModel& list, const FlatListLook& look, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    PaintFlatList(painter, list, look, size, true);
    return image;
}

}  // namespace cx
