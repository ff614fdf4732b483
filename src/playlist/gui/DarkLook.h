// The program's own look: a compact dark palette over the platform style.
#pragma once

class QWidget;

namespace cx {

// Gives the window and its children the dark palette.
void ApplyDarkLook(QWidget* window);

}  // namespace cx
