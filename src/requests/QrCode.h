// A QR code of a text as a picture (black modules on white, with the quiet
// zone), for the karaoke and host windows.
#pragma once

#include <QImage>
#include <string>

namespace cx {

// A square picture at most `side` pixels wide; null when the text cannot be
// encoded.
QImage PaintQrCode(const std::string& text, int side);

}  // namespace cx
