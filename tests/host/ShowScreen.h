// What the show stories look at in the real player: the karaoke window's
// pixels, and the song library the host searches.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <atomic>

#include "app/Application.h"
#include "karaoke/gui/Lyric.h"
#include "library/SongLibrary.h"

namespace cx::test {

// Pixels of `colour` in every second row and column of the karaoke window.
inline int ShownPixels(Application& app, QRgb colour, QImage::Format format) {
    const QImage shown = app.LyricWindow()->grab().toImage().convertToFormat(format);
    int n = 0;
    for (int y = 0; y < shown.height(); y += 2)
        for (int x = 0; x < shown.width(); x += 2) n += shown.pixel(x, y) == colour;
    return n;
}

// The songs in `folder`, scanned into the library the player shares.
inline void ScanIntoLibrary(const std::filesystem::path& folder) {
    SongLibrary library(SongLibrary::DefaultPath());
    ASSERT_TRUE(library.Open());
    std::atomic<bool> cancel{false};
    library.ScanFolder(folder.string(), {}, cancel);
}

}  // namespace cx::test
