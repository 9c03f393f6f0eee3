#pragma once

#include <QFont>
#include <QImage>

// Artwork of the about box, drawn in code so that no image file has to ship with the
// programs: a pass/fail timing-scan grid with its passing eye, and an eye diagram.

inline constexpr int kAboutPictureWidth = 380;
inline constexpr int kAboutPictureHeight = 110;

/// The 380 x 110 picture shown under the about box's texts (24-bit RGB).
[[nodiscard]] QImage MakeAboutPicture();

/// A square program icon of the given size, for programs that set no window icon.
[[nodiscard]] QImage MakeAboutIcon(int nSize = 32);

/// The font at the largest pixel size whose line (ascent + descent) is at most nPixels
/// high: a font "n pixels high" means the height of its text line here.
[[nodiscard]] QFont FitCellHeight(QFont font, int nPixels);
