#include "karaoke/ScoreChart.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace cx {
namespace {

const QColor kBackdrop(0, 0, 0, 170);
const QColor kText(255, 255, 255);
const QColor kBaseLine(255, 255, 255, 90);
// Best verdict first, as the verdicts are declared.
constexpr std::array<QRgb, 6> kVerdictColours = {0xFF3CDC5Au, 0xFF8CDC46u, 0xFFE6C83Cu,
                                                 0xFFF09632u, 0xFFDC503Cu, 0xFF963C3Cu};
// The total's share of the chart's height.
constexpr double kHeadingShare = 0.28;

}  // namespace

QRgb VerdictColour(Verdict v) {
    const auto i = static_cast<std::size_t>(v);
    return kVerdictColours[std::min(i, kVerdictColours.size() - 1)];
}

QImage PaintScoreChart(const SongScore& score, QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(image.rect(), kBackdrop);
    const double margin = std::max(4.0, image.height() * 0.06);
    const QRectF inner = QRectF(image.rect()).adjusted(margin, margin, -margin, -margin);
    const QRectF heading(inner.left(), inner.top(), inner.width(), inner.height() * kHeadingShare);
    QFont font = p.font();
    font.setPixelSize(std::max(8, static_cast<int>(heading.height() * 0.8)));
    font.setBold(true);
    p.setFont(font);
    p.setPen(kText);
    p.drawText(heading, Qt::AlignCenter,
               score.TotalText.empty() ? QString::number(score.Total)
                                       : QString::fromStdString(score.TotalText));
    const QRectF bars(inner.left(), heading.bottom() + margin / 2, inner.width(),
                      inner.bottom() - heading.bottom() - margin / 2);
    const double step =
        bars.width() / static_cast<double>(std::max<std::size_t>(1, score.Lines.size()));
    for (std::size_t i = 0; i < score.Lines.size(); ++i) {
        const LineScore& line = score.Lines[i];
        // Even a line not sung at all keeps a sliver, so every line is seen.
        const double h = std::max(2.0, std::clamp(line.Share, 0.0, 1.0) * bars.height());
        p.fillRect(QRectF(bars.left() + i * step + step * 0.15, bars.bottom() - h, step * 0.7, h),
                   QColor::fromRgba(VerdictColour(line.Rating)));
    }
    p.fillRect(QRectF(bars.left(), bars.bottom(), bars.width(), 1), kBaseLine);
    return image;
}

QSize ScoreChartSize(QSize frame) {
    return QSize(frame.width(), std::max(1, static_cast<int>(frame.height() * kScoreChartHeight)));
}

void OverlayScoreChart(QImage& frame, const QImage& chart) {
    if (frame.isNull() || chart.isNull()) return;
    QPainter(&frame).drawImage(0, static_cast<int>(frame.height() * kScoreChartTop), chart);
}

}  // namespace cx
