// The MIDI window's icons, drawn as simple shapes so they stay sharp at any
// screen density and need no picture files. Each has an On and an Off form
// for checkable buttons.
#pragma once

#include <QColor>
#include <QIcon>

namespace cx {

QIcon LockIcon(const QColor& colour);     // closed when On, open when Off
QIcon SpeakerIcon(const QColor& colour);  // sounding when On, crossed out when Off
QIcon PowerIcon(const QColor& colour);    // lit when On
QIcon NoteIcon(const QColor& colour);     // the instrument picker

}  // namespace cx
