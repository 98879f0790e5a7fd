#pragma once

#include <QRect>
#include <QSize>

namespace vortaxel::ui {

/// Window geometry is laid out in twips; 15 twips make one pixel at 96 dots per inch, and Qt scales
/// device-independent pixels on denser screens.
constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

inline QSize TwipsSize(int width, int height) {
    return {TwipsToPixels(width), TwipsToPixels(height)};
}

} // namespace vortaxel::ui
