// The pitch lane over the karaoke picture: the current line's notes as bars
// (filled as they are sung right), the singer's pitch as a trace and a mark
// at the present moment. A pure function of the state and the size.
#pragma once

#include <QImage>
#include <QSize>

#include "scoring/LaneState.h"

namespace cx {

// The lane's share of the lyric area's height, at the top.
inline constexpr double kPitchLaneHeightShare = 0.3;
// Semitones shown above and below the line's notes.
inline constexpr int kLaneMarginSemitones = 3;

// A transparent image of `size` with the lane drawn on it.
QImage PaintPitchLane(const LaneState& state, QSize size);

// Draws the lane over the top of `frame` (kPitchLaneHeightShare of it).
void OverlayPitchLane(QImage& frame, const LaneState& state);

}  // namespace cx
