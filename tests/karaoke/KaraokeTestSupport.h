// Small lyrics models and settings the karaoke tests share.
#pragma once

#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "karaoke/GuiContext.h"
#include "karaoke/KaraokeSettings.h"
#include "lyrics/LyricsModel.h"

namespace cx::test {

using Line = std::vector<std::pair<std::string, double>>;  // pieces and start times

// A model whose lines are made of the given pieces.
inline LyricsModel MakeModel(const std::vector<Line>& lines) {
    LyricsModel m;
    for (const auto& line : lines) {
        std::string text;
        for (const auto& [piece, t] : line) text += piece;
        for (size_t i = 0; i < line.size(); ++i)
            m.Lyrics.push_back({text, line[i].first, line[i].second, i + 1 == line.size()});
    }
    return m;
}

// Settings with an installed font and colours that are easy to tell apart.
inline KaraokeSettings TestSettings() {
    EnsureGuiContext();
    KaraokeSettings s;
    s.LyricsFont = "DejaVu Sans";
    s.LyricsFontSize = 20;
    s.LyricsColor = 0x00FFFFFF;           // white
    s.LyricsHighlightColor = 0x0000FF00;  // green
    s.LyricsOutlineColor1 = 0x000000FF;   // red
    s.LyricsOutlineColor2 = 0x0000FFFF;
    s.LyricsOutlineColor3 = 0x00FF00FF;
    s.LyricsOutlineColor4 = 0x00FFFF00;
    s.LyricsBackColor = 0x00400000;  // dark blue
    s.LyricsOutlineWidth = 0;
    s.DisplayMode = 1;
    s.ShowLyricsTitle = true;
    s.LyricsPicLayout = 0;
    return s;
}

// A picture with a different colour at every pixel, and one of a single colour.
inline QImage Pattern(QSize size, int seed = 0) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb((x * 3 + seed) & 255, (y * 5 + seed) & 255, seed & 255));
    return img;
}

inline QImage Solid(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

inline QRgb Rgb(std::uint32_t bgr) {
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline int CountColor(const QImage& img, QRgb color, QRect r = QRect()) {
    if (r.isNull()) r = img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
    return n;
}

}  // namespace cx::test
