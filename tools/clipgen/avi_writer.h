#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vortaxel::ui {

/// How the frames of a written clip are stored: the three kinds of DIB frame that desktop
/// animation controls play.
enum class ClipEncoding { Indexed8, Rgb24, Rle8 };

/// A palette clip to write: every frame holds `width * height` palette indices, top row first.
struct IndexedClip {
    int width = 0;
    int height = 0;
    std::chrono::microseconds frameInterval{100000};
    /// 0xRRGGBB per entry, at most 256 entries.
    std::vector<std::uint32_t> palette;
    std::vector<std::vector<std::uint8_t>> frames;
};

/// The bytes of a RIFF AVI file holding `clip` as one video stream, with an index.
std::string WriteAviClip(const IndexedClip& clip, ClipEncoding encoding);

/// The same file with each frame's stored bytes given as they are (for delta or damaged frames);
/// `encoding` names how they are stored, and `clip.frames` is ignored.
std::string WriteAviFrames(const IndexedClip& clip, ClipEncoding encoding, const std::vector<std::string>& frameData);

/// One frame as an RLE8 key frame (bottom row first, as DIBs are stored).
std::string EncodeRle8Frame(const std::vector<std::uint8_t>& topDownIndices, int width, int height);

} // namespace vortaxel::ui
