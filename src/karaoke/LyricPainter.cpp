#include "karaoke/LyricPainter.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

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

void DrawPlainText(QPainter& p, const QFont& font, const std::string& text, int x, int y,
                   const QColor& color) {
    if (text.empty()) return;
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QPoint(x, y + QFontMetrics(font).ascent()), QString::fromStdString(text));
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

void DrawBall(QPainter& p, const BandSpec& desc, int lineLeft, int lineTop) {
    const int th = QFontMetrics(desc.Font).height();
    const int r = th / 6;
    QPointF centre;
    bool rimmed = true;
    switch (desc.Ball) {
        case BallKind::None:
            return;
        case BallKind::OverPiece:
        case BallKind::OverPieceRimmed:
            centre = QPointF(lineLeft + 3 + TextWidth(desc.Font, desc.SungText) -
                                 TextWidth(desc.Font, desc.PieceText) + th / 4,
                             th / 6 + 1);
            rimmed = desc.Ball == BallKind::OverPieceRimmed;
            break;
        case BallKind::Marker:
            centre = QPointF(lineLeft - th / 2, lineTop + th / 2 + 3);
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
    QImage band(std::max(1, desc.Width), std::max(1, desc.Height),
                QImage::Format_ARGB32_Premultiplied);
    band.fill(Qt::transparent);
    QPainter p(&band);
    const QColor fore = ToQColor(desc.Colors.Fore);
    const QColor high = ToQColor(desc.Colors.Highlight);
    int currentLeft = 0, currentTop = 0;
    bool haveCurrent = false;
    for (const auto& line : desc.Lines) {
        if (line.Text.empty()) continue;
        const int left = LineLeft(desc.Width, TextWidth(desc.Font, line.Text));
        DrawOutline(p, desc.Font, line.Text, left, line.Top, desc.OutlineWidth, desc.Colors, cache);
        const int tx = left + 4, ty = line.Top + 4;
        if (!line.Current) {
            DrawPlainText(p, desc.Font, line.Text, tx, ty, fore);
            continue;
        }
        haveCurrent = true;
        currentLeft = left;
        currentTop = line.Top;
        if (desc.LineMode) {
            DrawPlainText(p, desc.Font, line.Text, tx, ty, high);
        } else {
            DrawPlainText(p, desc.Font, line.Text, tx, ty, fore);
            DrawPlainText(p, desc.Font, desc.SungText, tx, ty, high);
        }
    }
    if (haveCurrent && !desc.LineMode) DrawBall(p, desc, currentLeft, currentTop);
    return band;
}

QImage ComposeFrame(const QImage& background, const QImage* band, int bandTop) {
    QImage frame = background.convertToFormat(QImage::Format_RGB32);
    if (band && !band->isNull()) {
        QPainter p(&frame);
        p.drawImage(0, bandTop, *band);
    }
    return frame;
}

}  // namespace cx
