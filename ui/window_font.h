#pragma once

#include <QFont>
#include <QStringList>

namespace morvexa {

// Fonts tried for the windows, in order: the Song typeface the layout was
// drawn with, then fonts known to keep art aligned.
inline const QStringList kWindowFontFamilies = {"宋体", "SimSun", "AR PL UMing CN", "Noto Sans Mono CJK SC",
                                                "WenQuanYi Zen Hei Mono"};

// The height of a row in the windows' symbol lists, to suit the 12-pixel
// window font.
inline constexpr int kListItemHeight = 12;

// Whether every printable ASCII character is equally wide and every
// double-byte character exactly twice as wide, so that art lines stay
// aligned.
bool KeepsArtAligned(const QFont& font);

// The first installed family of kWindowFontFamilies that keeps art aligned
// at this pixel size, or the system's fixed-pitch font.
QFont WindowFont(int pixelSize);

}  // namespace morvexa
