// Drawing the playlist: number, text and time per row, the playing row, the
// selection and the focus frame. A pure function of the list and a size, so
// the control and tests draw the same picture.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>
#include <cstdint>

#include "playlist/FlatListModel.h"

namespace cx {

// Settings store colours as 0x00BBGGRR.
QColor ColorFromBgr(std::uint32_t bgr);
std::uint32_t BgrFromColor(const QColor& color);

struct FlatListLook {
    QColor back{0x1b, 0x1d, 0x22};
    QColor fore = ColorFromBgr(12760231);     // normal text
    QColor selected = ColorFromBgr(0);        // selected row background
    QColor playing = ColorFromBgr(16777215);  // text of the playing row
    QColor border = ColorFromBgr(11705750);   // focus frame
    QString fontName;                         // empty: the application font
    int fontSize = 0;                         // points; 0: the application size

    QFont Font() const;
};

struct FlatListMetrics {
    int rowHeight = 16;
    int markerWidth = 0;  // the playing mark before the number
    int numberWidth = 0;  // "<count>." of the widest number
    int timeWidth = 0;    // "00:00"
    int padding = 4;
};

// Contrast ratio of two colours by their relative luminance: 1 (the same) to 21.
double ContrastRatio(const QColor& a, const QColor& b);

FlatListMetrics MeasureFlatList(const FlatListModel& list, const QFont& font);
// Whole rows that fit in a height (at least 1).
int VisibleRowsFor(const FlatListMetrics& metrics, int height);
// The item under a point, or -1.
int RowAt(const FlatListModel& list, const FlatListMetrics& metrics, int y);
// Where items dropped at a point would go: the index they would stand before
// (ListCount() below the last item).
int DropRowAt(const FlatListModel& list, const FlatListMetrics& metrics, int y);

// Selected rows are filled, the playing row carries a mark and bold text, a
// missing file is dimmed and struck through; colours the user chose are kept
// unless they would hide the selection or the text. `dropBefore` >= 0 draws
// the place where dragged items would land.
void PaintFlatList(QPainter& painter, const FlatListModel& list, const FlatListLook& look,
                   QSize size, bool focused, int dropBefore = -1);
QImage RenderFlatList(const FlatListModel& list, const FlatListLook& look, QSize size);

}  // namespace cx
