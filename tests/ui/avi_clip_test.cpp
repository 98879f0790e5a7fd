#include "tools/clipgen/avi_writer.h"
#include "ui/avi_clip.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace vortaxel::ui {
namespace {

// 5 wide (not a multiple of 4, so rows carry padding) by 3 high, three frames.
IndexedClip SmallClip() {
    IndexedClip clip;
    clip.width = 5;
    clip.height = 3;
    clip.frameInterval = std::chrono::microseconds(40000);
    clip.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    clip.frames = {
        {0, 1, 2, 3, 0, /**/ 1, 1, 1, 1, 1, /**/ 3, 2, 1, 0, 3},
        {2, 2, 2, 2, 2, /**/ 0, 1, 0, 1, 0, /**/ 3, 3, 3, 1, 2},
        {1, 2, 3, 3, 3, /**/ 3, 3, 3, 2, 1, /**/ 0, 0, 0, 0, 0},
    };
    return clip;
}

std::vector<std::uint32_t> Expected(const IndexedClip& clip, std::size_t frame) {
    std::vector<std::uint32_t> pixels;
    for (const std::uint8_t index : clip.frames[frame]) {
        pixels.push_back(0xFF000000u | clip.palette[index]);
    }
    return pixels;
}

TEST(AviClip, EveryFrameKindReadsBackPixelForPixel) {
    for (const ClipEncoding encoding : {ClipEncoding::Indexed8, ClipEncoding::Rgb24, ClipEncoding::Rle8}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        const IndexedClip clip = SmallClip();
        const AviReadResult result = ReadAviClip(WriteAviClip(clip, encoding));
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(result.clip->width, 5);
        EXPECT_EQ(result.clip->height, 3);
        EXPECT_EQ(result.clip->frameInterval, std::chrono::microseconds(40000));
        ASSERT_EQ(result.clip->frames.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(result.clip->frames[i], Expected(clip, i)) << "frame " << i;
        }
    }
}

TEST(AviClip, Rle8DeltaAndDroppedFramesBuildOnThePreviousFrame) {
    IndexedClip clip = SmallClip();
    const std::string key = EncodeRle8Frame(clip.frames[0], clip.width, clip.height);
    // Skip 2 right and 1 up from the bottom-left corner, paint two pixels of colour 3, end.
    const std::string delta("\x00\x02\x02\x01\x02\x03\x00\x01", 8);
    const AviReadResult result = ReadAviClip(WriteAviFrames(clip, ClipEncoding::Rle8, {key, delta, ""}));
    ASSERT_TRUE(result) << result.error;
    ASSERT_EQ(result.clip->frames.size(), 3u);
    std::vector<std::uint32_t> expected = Expected(clip, 0);
    expected[1 * 5 + 2] = 0xFF0000FFu; // middle row, stored second from the bottom
    expected[1 * 5 + 3] = 0xFF0000FFu;
    EXPECT_EQ(result.clip->frames[1], expected);
    EXPECT_EQ(result.clip->frames[2], expected);
}

std::size_t StrfData(const std::string& bytes) {
    return bytes.find("strf") + 8;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

struct Damage {
    const char* name;
    ClipEncoding encoding;
    std::function<void(std::string&)> apply;
};

TEST(AviClip, DamagedOrUnsupportedFilesAreRefusedSafely) {
    const std::vector<Damage> damages = {
        {"empty file", ClipEncoding::Rle8, [](std::string& b) { b.clear(); }},
        {"not RIFF", ClipEncoding::Rle8, [](std::string& b) { b[3] = 'X'; }},
        {"not an AVI form", ClipEncoding::Rle8, [](std::string& b) { b.replace(8, 4, "WAVE"); }},
        {"cut in half", ClipEncoding::Rle8, [](std::string& b) { b.resize(b.size() / 2); }},
        {"cut inside the header", ClipEncoding::Indexed8, [](std::string& b) { b.resize(40); }},
        {"movi list overruns", ClipEncoding::Rle8, [](std::string& b) { PutU32(b, b.find("movi") - 4, 0x7FFFFFF0u); }},
        {"zero width", ClipEncoding::Indexed8, [](std::string& b) { PutU32(b, StrfData(b) + 4, 0); }},
        {"huge width", ClipEncoding::Indexed8, [](std::string& b) { PutU32(b, StrfData(b) + 4, 70000); }},
        {"zero height", ClipEncoding::Indexed8, [](std::string& b) { PutU32(b, StrfData(b) + 8, 0); }},
        {"16-bit frames", ClipEncoding::Rgb24, [](std::string& b) { b[StrfData(b) + 14] = 16; }},
        {"RLE4 frames", ClipEncoding::Rle8, [](std::string& b) { PutU32(b, StrfData(b) + 16, 2); }},
        {"palette larger than 256", ClipEncoding::Indexed8, [](std::string& b) { PutU32(b, StrfData(b) + 32, 300); }},
        {"palette past the format chunk", ClipEncoding::Indexed8,
         [](std::string& b) { PutU32(b, StrfData(b) + 32, 200); }},
        {"bitmap header size past its chunk", ClipEncoding::Indexed8,
         [](std::string& b) { PutU32(b, StrfData(b), 4000); }},
        {"top-down RLE8", ClipEncoding::Rle8,
         [](std::string& b) { PutU32(b, StrfData(b) + 8, static_cast<std::uint32_t>(-3)); }},
        {"uncompressed frame cut short", ClipEncoding::Indexed8,
         [](std::string& b) {
             const std::size_t chunk = b.find("00db");
             PutU32(b, chunk + 4, 4); // the frame's data now ends after 4 bytes
         }},
        {"RLE run leaves the frame", ClipEncoding::Rle8,
         [](std::string& b) {
             const std::size_t data = b.find("00dc") + 8;
             b[data] = static_cast<char>(0xFF);
         }},
        {"RLE literal cut short", ClipEncoding::Rle8,
         [](std::string& b) {
             const std::size_t chunk = b.find("00dc");
             PutU32(b, chunk + 4, 3);
             b[chunk + 8] = 0;
             b[chunk + 9] = 5; // five literal bytes promised, one present
         }},
        {"pixel past the palette", ClipEncoding::Indexed8, [](std::string& b) { b[b.find("00db") + 8] = 9; }},
        {"no frames", ClipEncoding::Rle8,
         [](std::string& b) {
             for (std::size_t at = b.find("00dc"); at != std::string::npos; at = b.find("00dc", at)) {
                 b.replace(at, 4, "01wb");
             }
         }},
        {"no video stream", ClipEncoding::Rle8, [](std::string& b) { b.replace(b.find("vids"), 4, "auds"); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        std::string bytes = WriteAviClip(SmallClip(), damage.encoding);
        ASSERT_TRUE(ReadAviClip(bytes)) << "undamaged clip must read";
        damage.apply(bytes);
        const AviReadResult result = ReadAviClip(bytes);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(AviClip, BuiltClipIsAnEndlessSearchAnimation) {
    std::ifstream in(VORTAXEL_CLIP_PATH, std::ios::binary);
    ASSERT_TRUE(in) << VORTAXEL_CLIP_PATH;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const AviReadResult result = ReadAviClip(bytes);
    ASSERT_TRUE(result) << result.error;
    const AviClip& clip = *result.clip;
    EXPECT_EQ(clip.width, 48);
    EXPECT_EQ(clip.height, 40);
    EXPECT_GT(clip.frameInterval.count(), 0);
    ASSERT_GE(clip.frames.size(), 8u);
    // It fits the indicator's place (49 x 41 pixels) and every frame differs, so it visibly moves.
    EXPECT_LE(clip.width, 49);
    EXPECT_LE(clip.height, 41);
    std::set<std::vector<std::uint32_t>> distinct(clip.frames.begin(), clip.frames.end());
    EXPECT_EQ(distinct.size(), clip.frames.size());
    EXPECT_EQ(clip.frames.front().front(), clip.frames.back().front()) << "corner is background throughout";
}

} // namespace
} // namespace vortaxel::ui
