// Screen measures of the window's design: twips (1/1440 inch) at the 15
// twips to a pixel the design was drawn at.
#pragma once

#include <QRect>

namespace rosterly {

inline constexpr int kTwipsPerPixel = 15;

// Nearest pixel; halves round up.
constexpr int twipsToPixels(int twips) {
    return (2 * twips + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

}  // namespace rosterly
