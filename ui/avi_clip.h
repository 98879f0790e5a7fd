#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::ui {

/// A decoded animation clip: every frame as `width * height` pixels 0xFFRRGGBB, top row first.
struct AviClip {
    int width = 0;
    int height = 0;
    std::chrono::microseconds frameInterval{0};
    std::vector<std::vector<std::uint32_t>> frames;
};

/// Outcome of reading a clip: the clip, or why the file was refused.
struct AviReadResult {
    std::optional<AviClip> clip;
    std::string error;

    explicit operator bool() const { return clip.has_value(); }
};

/// Bytes in one stored row of an uncompressed DIB frame: rows are padded to whole 32-bit words.
constexpr std::size_t DibStride(std::size_t width, int bits) {
    return (width * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

/// Reads the first video stream of a RIFF AVI file whose frames are uncompressed 8-bit or 24-bit DIBs
/// or RLE8 (the frame kinds desktop animation controls play). Anything else, or any damage, is refused.
/// Frames wider or taller than 1024 pixels, or clips of more than 16,777,216 pixels over all their
/// frames, are refused too, so a hostile or damaged file cannot take unbounded memory.
AviReadResult ReadAviClip(std::string_view bytes);

} // namespace vortaxel::ui
