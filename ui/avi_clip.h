#pragma once

#include <chrono>
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

/// Limits that keep a hostile or damaged file from taking unbounded memory.
inline constexpr int kMaxClipSide = 1024;
inline constexpr std::size_t kMaxClipPixels = std::size_t{16} * 1024 * 1024;

/// Reads the first video stream of a RIFF AVI file whose frames are uncompressed 8-bit or 24-bit DIBs
/// or RLE8 (the frame kinds desktop animation controls play). Anything else, or any damage, is refused.
AviReadResult ReadAviClip(std::string_view bytes);

} // namespace vortaxel::ui
