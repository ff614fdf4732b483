// Painting the CD+G screen: pure functions from the model to images.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include "cdg/CdgScreen.h"

namespace cx {

// The 300 x 216 picture of `screen`: drawing area through the fine offsets,
// framed by the border ring.
QImage RenderCdgScreen(const CdgScreen& screen);

// The largest rectangle of the screen's aspect ratio centred in `area`.
QRect FitCdgRect(QSize area);

// `frame` scaled into an image of `size`, aspect ratio kept, the rest black.
// Sharp scaling repeats pixels; smooth scaling filters them.
QImage ScaleCdgFrame(const QImage& frame, QSize size, bool smooth);

// The picture shown while no CD+G graphics are drawn.
QImage PaintIdlePicture(QSize size);

}  // namespace cx
