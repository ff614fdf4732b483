// The player's button icons, drawn as simple shapes so they stay sharp at any
// screen density and need no picture files.
#pragma once

#include <QColor>
#include <QIcon>

class QPainter;

#include "playback/player/PlayerCommands.h"

namespace cx {

// The icon of a command in the given colour (also a dimmed disabled form).
QIcon PlayerIcon(Command command, const QColor& colour);
// The program's icon (window and notification area).
QIcon AppIcon();
// Paints the program's icon into a size x size square (installed icon files).
void PaintAppIcon(QPainter& painter, int size);

}  // namespace cx
