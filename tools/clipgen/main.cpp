// Draws the busy animation: a magnifying glass searching over a page, written as an RLE8 AVI clip.
#include "avi_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <numbers>

namespace {

using vortaxel::ui::IndexedClip;

constexpr int kWidth = 48;
constexpr int kHeight = 40;
constexpr int kFrames = 16;

enum Colour : std::uint8_t { Background, PageWhite, PageEdge, TextLine, Lens, Rim, Handle, Glint };

class Canvas {
public:
    Canvas() : pixels_(static_cast<std::size_t>(kWidth * kHeight), Background) {}

    void Set(int x, int y, std::uint8_t colour) {
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) {
            pixels_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = colour;
        }
    }

    void Rect(int x0, int y0, int x1, int y1, std::uint8_t colour) {
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                Set(x, y, colour);
            }
        }
    }

    /// Fills the points whose distance from (cx, cy) lies in [inner, outer].
    void Ring(double cx, double cy, double inner, double outer, std::uint8_t colour) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d >= inner && d <= outer) {
                    Set(x, y, colour);
                }
            }
        }
    }

    void Line(double x0, double y0, double x1, double y1, double halfWidth, std::uint8_t colour) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const double px = x + 0.5;
                const double py = y + 0.5;
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                double t = ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy);
                t = std::clamp(t, 0.0, 1.0);
                if (std::hypot(px - x0 - t * dx, py - y0 - t * dy) <= halfWidth) {
                    Set(x, y, colour);
                }
            }
        }
    }

    std::vector<std::uint8_t> Take() { return std::move(pixels_); }

private:
    std::vector<std::uint8_t> pixels_;
};

std::vector<std::uint8_t> DrawFrame(int frame) {
    Canvas canvas;
    canvas.Rect(6, 3, 31, 36, PageEdge);
    canvas.Rect(7, 4, 30, 35, PageWhite);
    for (int line = 0; line < 7; ++line) {
        canvas.Rect(10, 8 + line * 4, line % 3 == 2 ? 21 : 27, 9 + line * 4, TextLine);
    }
    const double angle = 2 * std::numbers::pi * frame / kFrames;
    const double cx = 22 + 7 * std::cos(angle);
    const double cy = 18 + 6 * std::sin(angle);
    canvas.Line(cx + 6, cy + 6, cx + 14, cy + 14, 2.2, Handle);
    canvas.Ring(cx, cy, 0, 6.5, Lens);
    canvas.Ring(cx, cy, 6.5, 8.6, Rim);
    canvas.Line(cx - 3.5, cy - 1.5, cx - 1.5, cy - 3.5, 0.8, Glint);
    return canvas.Take();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vortaxel-clipgen OUTPUT.AVI\n";
        return 2;
    }
    IndexedClip clip;
    clip.width = kWidth;
    clip.height = kHeight;
    clip.frameInterval = std::chrono::microseconds(80000);
    // The first colour is the background; the player shows the window through it.
    clip.palette = {0xF0F0F0, 0xFFFFFF, 0x6A7280, 0xA8B0BC, 0xCFE6FF, 0x1F5FBF, 0x1F3F7F, 0xFFFFFF};
    for (int frame = 0; frame < kFrames; ++frame) {
        clip.frames.push_back(DrawFrame(frame));
    }
    const std::string bytes = vortaxel::ui::WriteAviClip(clip, vortaxel::ui::ClipEncoding::Rle8);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "vortaxel-clipgen: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
