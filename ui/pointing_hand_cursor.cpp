#include "pointing_hand_cursor.h"

#include <array>

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace vortaxel::ui {
namespace {

// '#' outline, '.' fill, ' ' transparent.
constexpr std::array<const char*, 32> kHand = {
    "                                ", //
    "           ##                   ", //
    "          #..#                  ", //
    "          #..#                  ", //
    "          #..#                  ", //
    "          #..#                  ", //
    "          #..###                ", //
    "          #..#..###             ", //
    "          #..#..#..##           ", //
    "          #..#..#..#.#          ", //
    "       ## #..#..#..#..#         ", //
    "      #..##........#..#         ", //
    "      #...#...........#         ", //
    "       #..............#         ", //
    "        #.............#         ", //
    "        #.............#         ", //
    "         #...........#          ", //
    "         #...........#          ", //
    "          #.........#           ", //
    "          #.........#           ", //
    "          ###########           ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
};

} // namespace

QCursor PointingHandCursor() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const char c = kHand[static_cast<std::size_t>(y)][x];
            if (c == '#') {
                image.setPixel(x, y, qRgb(0, 0, 0));
            } else if (c == '.') {
                image.setPixel(x, y, qRgb(255, 255, 255));
            }
        }
    }
    return QCursor(QPixmap::fromImage(image), 12, 1);
}

} // namespace vortaxel::ui
