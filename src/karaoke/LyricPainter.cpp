#include "karaoke/LyricPainter.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace cx {

namespace {

// Text width as the layout measures it, widened to the ink so nothing is cut.
int StampWidth(const QFontMetrics& fm, const QString& text) {
    const int advance = fm.horizontalAdvance(text);
    const QRect ink = fm.boundingRect(text);
    return std::max({1, advance, ink.right() + 1});
}

// One-bit mask of `text` drawn at (0, 0).
std::vector<std::uint8_t> TextMask(const QFont& font, const QString& text, int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        DrawPlainText(p, font, text.toStdString(), 0, 0, Qt::white);
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            mask[static_cast<std::size_t>(y) * w + x] = qAlpha(row[x]) ? 1 : 0;
    }
    return mask;
}

// Grows a w x h mask by n pixels to the right and down (a box of n + 1 offsets).
std::vector<std::uint8_t> Dilate(const std::vector<std::uint8_t>& in, int w, int h, int n, int& ow,
                                 int& oh) {
    ow = w + n;
    oh = h + n;
    std::vector<std::uint8_t> horiz(static_cast<std::size_t>(ow) * h, 0);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = &in[static_cast<std::size_t>(y) * w];
        std::uint8_t* dst = &horiz[static_cast<std::size_t>(y) * ow];
        int count = 0;
        for (int x = 0; x < ow; ++x) {
            if (x < w) count += src[x];
            if (x - n - 1 >= 0 && x - n - 1 < w) count -= src[x - n - 1];
            dst[x] = count > 0;
        }
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(ow) * oh, 0);
    for (int x = 0; x < ow; ++x) {
        int count = 0;
        for (int y = 0; y < oh; ++y) {
            if (y < h) count += horiz[static_cast<std::size_t>(y) * ow + x];
            if (y - n - 1 >= 0 && y - n - 1 < h)
                count -= horiz[static_cast<std::size_t>(y - n - 1) * ow + x];
            out[static_cast<std::size_t>(y) * ow + x] = count > 0;
        }
    }
    return out;
}

}  // namespace

const QImage& StampCache::Outline(const QFont& font, const std::string& text,
                                  const OutlineRule& rule) {
    const std::string key = font.key().toStdString() + '\x1f' + std::to_string(rule.Lo) + ',' +
                            std::to_string(rule.Hi) + ',' + std::to_string(rule.Color) + '\x1f' +
                            text;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->Key == key) {
            std::rotate(it, it + 1, m_entries.end());
            return m_entries.back().Image;
        }
    }
    ++m_renders;
    const QString qtext = QString::fromStdString(text);
    const QFontMetrics fm(font);
    const int w = StampWidth(fm, qtext);
    const int h = std::max(1, fm.height());
    int ow = 0, oh = 0;
    const auto grown = Dilate(TextMask(font, qtext, w, h), w, h, rule.Hi - rule.Lo, ow, oh);
    QImage img(ow, oh, QImage::Format_ARGB32_Premultiplied);
    const QRgb color = ToQColor(rule.Color).rgb();
    for (int y = 0; y < oh; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < ow; ++x)
            row[x] = grown[static_cast<std::size_t>(y) * ow + x] ? color : 0;
    }
    if (m_entries.size() >= kEntries) m_entries.erase(m_entries.begin());
    m_entries.push_back({key, std::move(img)});
    return m_entries.back().Image;
}

namespace {

void DrawQText(QPainter& p, const QFont& font, const QString& text, int x, int y,
               const QColor& color) {
    if (text.isEmpty()) return;
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QPoint(x, y + QFontMetrics(font).ascent()), text);
}

}  // namespace

void DrawPlainText(QPainter& p, const QFont& font, const std::string& text, int x, int y,
                   const QColor& color) {
    DrawQText(p, font, QString::fromStdString(text), x, y, color);
}

void DrawOutline(QPainter& p, const QFont& font, const std::string& text, int x, int y,
                 int outlineWidth, const LyricColors& colors, StampCache& cache) {
    const auto rule = OutlineFor(outlineWidth, colors);
    if (!rule || text.empty()) return;
    p.drawImage(x + rule->Lo, y + rule->Lo, cache.Outline(font, text, *rule));
}

namespace {

int TextWidth(const QFont& font, const std::string& text) {
    return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
}

// The sung part of one row of the current line, and how far into it the
// current piece starts, in pixels.
struct SungRow {
    QString Text;
    int DoneWidth = 0;
    int FullWidth = 0;
};

SungRow SungPart(const BandLine& row, const QString& sung, int pieceStart, const QFontMetrics& fm) {
    SungRow r;
    if (sung.length() > row.From) {
        r.Text = row.Continued ? sung.mid(row.From, QString::fromStdString(row.Text).length())
                               : sung.mid(row.From);
    }
    r.FullWidth = fm.horizontalAdvance(r.Text);
    const int done = std::clamp(pieceStart - row.From, 0, static_cast<int>(r.Text.length()));
    r.DoneWidth = done == r.Text.length() ? r.FullWidth : fm.horizontalAdvance(r.Text.left(done));
    return r;
}

// Where the ball goes: the row holding the current piece's start.
struct BallPlace {
    int Left = 0;
    int Top = 0;
    int PieceX = 0;  // the piece's start from the row's text
    int Below = 0;   // the row's distance below the line's first row
};

void DrawBall(QPainter& p, const BandSpec& desc, const BallPlace& at) {
    const int th = QFontMetrics(desc.Font).height();
    const int r = th / 6;
    QPointF centre;
    bool rimmed = true;
    switch (desc.Ball) {
        case BallKind::None:
            return;
        case BallKind::OverPiece:
        case BallKind::OverPieceRimmed:
            centre = QPointF(at.Left + 3 + at.PieceX + th / 4, at.Below + th / 6 + 1);
            rimmed = desc.Ball == BallKind::OverPieceRimmed;
            break;
        case BallKind::Marker:
            centre = QPointF(at.Left - th / 2, at.Top + th / 2 + 3);
            break;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(ToQColor(desc.BallColor));
    if (rimmed) {
        p.setPen(QPen(ToQColor(desc.Colors.Outline1), 2));
    } else {
        p.setPen(QPen(ToQColor(desc.BallColor), 1));
    }
    p.drawEllipse(centre, r, r);
}

}  // namespace

QImage PaintBand(const BandSpec& desc, StampCache& cache) {
    QImage band;
    PaintBandInto(band, desc, cache);
    return band;
}

void PaintBandInto(QImage& band, const BandSpec& desc, StampCache& cache) {
    const QSize size(std::max(1, desc.Width), std::max(1, desc.Height));
    if (band.size() != size || band.format() != QImage::Format_ARGB32_Premultiplied)
        band = QImage(size, QImage::Format_ARGB32_Premultiplied);
    band.fill(Qt::transparent);
    QPainter p(&band);
    const QFontMetrics fm(desc.Font);
    const QColor fore = ToQColor(desc.Colors.Fore);
    const QColor high = ToQColor(desc.Colors.Highlight);
    const QString sung = QString::fromStdString(desc.SungText);
    const int pieceStart = std::max(
        0, static_cast<int>(sung.length() - QString::fromStdString(desc.PieceText).length()));

    // The sung part of each current row; the sweep runs through the current
    // piece across the rows it spans.
    std::vector<SungRow> sungRows(desc.Lines.size());
    int pieceWidth = 0;
    for (std::size_t i = 0; i < desc.Lines.size(); ++i) {
        if (!desc.Lines[i].Current || desc.LineMode) continue;
        sungRows[i] = SungPart(desc.Lines[i], sung, pieceStart, fm);
        pieceWidth += sungRows[i].FullWidth - sungRows[i].DoneWidth;
    }
    int sweepLeft = desc.Sweep >= 1
                        ? pieceWidth
                        : static_cast<int>(std::lround(std::max(0.0, desc.Sweep) * pieceWidth));

    std::optional<BallPlace> ball;
    int firstTop = 0;
    for (std::size_t i = 0; i < desc.Lines.size(); ++i) {
        const BandLine& line = desc.Lines[i];
        if (line.Text.empty()) continue;
        const int left = LineLeft(desc.Width, TextWidth(desc.Font, line.Text));
        DrawOutline(p, desc.Font, line.Text, left, line.Top, desc.OutlineWidth, desc.Colors, cache);
        const int tx = left + 4, ty = line.Top + 4;
        if (!line.Current) {
            DrawPlainText(p, desc.Font, line.Text, tx, ty, fore);
            continue;
        }
        if (!ball) firstTop = line.Top;
        if (!ball || line.From <= pieceStart) {
            const bool whole = line.From == 0 && !line.Continued;
            const int pieceX =
                whole ? TextWidth(desc.Font, desc.SungText) - TextWidth(desc.Font, desc.PieceText)
                      : sungRows[i].DoneWidth;
            ball = BallPlace{left, line.Top, pieceX, line.Top - firstTop};
        }
        if (desc.LineMode) {
            DrawPlainText(p, desc.Font, line.Text, tx, ty, high);
            continue;
        }
        DrawPlainText(p, desc.Font, line.Text, tx, ty, fore);
        const SungRow& r = sungRows[i];
        const int reach = std::min(r.FullWidth - r.DoneWidth, sweepLeft);
        sweepLeft -= reach;
        if (r.DoneWidth + reach >= r.FullWidth) {
            DrawQText(p, desc.Font, r.Text, tx, ty, high);
        } else if (r.DoneWidth + reach > 0) {
            p.save();
            p.setClipRect(QRect(0, 0, tx + r.DoneWidth + reach, band.height()));
            DrawQText(p, desc.Font, r.Text, tx, ty, high);
            p.restore();
        }
    }
    if (ball && !desc.LineMode) DrawBall(p, desc, *ball);
}
QImage ComposeFrame(const QImage& background, const QImage* band, int bandTop) {
    QImage frame = background.convertToFormat(QImage::Format_RGB32);
    if (band && !band->isNull()) {
        QPainter p(&frame);
        p.drawImage(0, bandTop, *band);
    }
    return frame;
}

void ComposeFrameInto(QImage& frame, const QImage& background, const QImage* band, int bandTop,
                      ComposedFrame& last) {
    const bool fits = background.format() == QImage::Format_RGB32 &&
                      frame.format() == QImage::Format_RGB32 && frame.size() == background.size() &&
                      frame.bytesPerLine() == background.bytesPerLine();
    if (!fits) {
        frame = ComposeFrame(background, band, bandTop);
    } else {
        const int h = frame.height();
        int from = 0, to = h;
        if (last.BackgroundKey == background.cacheKey() && last.FrameKey == frame.cacheKey()) {
            from = std::clamp(last.Top, 0, h);
            to = std::clamp(last.Top + last.Rows, from, h);
        }
        if (to > from) {
            std::memcpy(frame.scanLine(from), background.constScanLine(from),
                        static_cast<std::size_t>(to - from) *
                            static_cast<std::size_t>(frame.bytesPerLine()));
        }
        if (band && !band->isNull()) {
            QPainter p(&frame);
            p.drawImage(0, bandTop, *band);
        }
    }
    const bool drawn = band && !band->isNull();
    last = {background.cacheKey(), frame.cacheKey(), bandTop, drawn ? band->height() : 0};
}

}  // namespace cx
