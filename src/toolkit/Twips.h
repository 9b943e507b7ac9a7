#pragma once

#include <QRect>

#include <cmath>

// The window is laid out in twips (1/1440 inch); at 96 dpi 15 make a pixel.
namespace Twips {

constexpr int kPerPixel = 15;

// To the nearest pixel, so a 1-pixel line at y always lies on row round(y / 15).
inline int toPixel(double twips)
{
    return int(std::floor(twips / kPerPixel + 0.5));
}

inline QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixel(left), toPixel(top), toPixel(width), toPixel(height));
}

} // namespace Twips
