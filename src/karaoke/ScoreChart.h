// The end of a song sung along, on the title page: the total and a bar a
// line, as high as the line was sung right and coloured by its verdict. A
// pure function of the score and the size.
#pragma once

#include <QImage>
#include <QSize>

#include "scoring/SingAlong.h"

namespace cx {

// The chart's place in the lyric area: its lower part, under the title.
inline constexpr double kScoreChartTop = 0.55;
inline constexpr double kScoreChartHeight = 0.4;

// The colour of a line's bar.
QRgb VerdictColour(Verdict v);

// A picture of `size` with the chart; the backdrop is half transparent.
QImage PaintScoreChart(const SongScore& score, QSize size);

// The chart's size over a frame of `frame` pixels.
QSize ScoreChartSize(QSize frame);

// Draws a chart painted at ScoreChartSize over `frame` at its place.
void OverlayScoreChart(QImage& frame, const QImage& chart);

}  // namespace cx
