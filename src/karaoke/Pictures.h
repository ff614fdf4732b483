// Background pictures: decoding and laying them out over the lyric area.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>

namespace cx {

// Picture layouts.
inline constexpr int kLayoutActualSize = 0;
inline constexpr int kLayoutTile = 1;
inline constexpr int kLayoutStretch = 2;
// Pictures larger than this on either side are refused rather than decoded.
inline constexpr int kMaxPictureSide = 16384;

// The preferred-picture names that are not files: the program's own picture
// and no picture at all.
inline constexpr const char* kDefaultPicturePath = "default";
inline constexpr const char* kNoPicturePath = "empty";
// The program's own background picture is drawn at this size.
inline constexpr int kDefaultPictureWidth = 800;
inline constexpr int kDefaultPictureHeight = 600;

// Decodes a BMP, JPEG, PNG or GIF file at its own pixel size; a null image when
// the file is missing or cannot be decoded. kDefaultPicturePath gives the
// program's own picture and kNoPicturePath none.
QImage DecodePicture(const std::string& path);

// The program's own background: a night stage with a warm spotlight and a
// soft band of stars, drawn once and kept (the same image every call).
const QImage& DefaultPicture();

// The background of the lyric area: the colour, the picture placed by `layout`,
// and a timeline picture, when given, stretched over the whole area.
QImage LayoutBackground(QSize area, std::uint32_t backColor, const QImage& picture, int layout,
                        const QImage& timelinePicture);

}  // namespace cx
