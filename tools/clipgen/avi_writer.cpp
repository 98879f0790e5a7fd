#include "avi_writer.h"

#include "ui/avi_clip.h"

#include <stdexcept>
#include <string_view>

namespace vortaxel::ui {
namespace {

void PutU16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutChunk(std::string& out, std::string_view id, std::string_view data) {
    out.append(id);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    out.append(data);
    if (data.size() % 2 != 0) {
        out.push_back('\0');
    }
}

std::string List(std::string_view type, std::string_view body) {
    std::string data(type);
    data.append(body);
    std::string out;
    PutChunk(out, "LIST", data);
    return out;
}

std::string UncompressedFrame(const IndexedClip& clip, const std::vector<std::uint8_t>& frame, bool rgb) {
    const std::size_t stride = DibStride(static_cast<std::size_t>(clip.width), rgb ? 24 : 8);
    std::string out(stride * static_cast<std::size_t>(clip.height), '\0');
    for (int y = 0; y < clip.height; ++y) {
        // DIB rows are stored bottom row first.
        char* row = out.data() + static_cast<std::size_t>(clip.height - 1 - y) * stride;
        for (int x = 0; x < clip.width; ++x) {
            const std::uint8_t index =
                frame[static_cast<std::size_t>(y) * static_cast<std::size_t>(clip.width) + static_cast<std::size_t>(x)];
            if (!rgb) {
                row[x] = static_cast<char>(index);
                continue;
            }
            const std::uint32_t colour = clip.palette.at(index);
            char* pixel = row + static_cast<std::size_t>(x) * 3;
            pixel[0] = static_cast<char>(colour & 0xFF);
            pixel[1] = static_cast<char>((colour >> 8) & 0xFF);
            pixel[2] = static_cast<char>((colour >> 16) & 0xFF);
        }
    }
    return out;
}

void EncodeRow(std::string& out, const std::uint8_t* row, int width) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x]) {
            ++run;
        }
        if (run >= 3 || width - x < 3) {
            out.push_back(static_cast<char>(run));
            out.push_back(static_cast<char>(row[x]));
            x += run;
            continue;
        }
        // Literal stretch: up to the next run of three equal bytes.
        int literal = 0;
        while (x + literal < width && literal < 255) {
            const int at = x + literal;
            if (at + 2 < width && row[at] == row[at + 1] && row[at] == row[at + 2]) {
                break;
            }
            ++literal;
        }
        if (literal < 3) {
            out.push_back(static_cast<char>(1));
            out.push_back(static_cast<char>(row[x]));
            ++x;
            continue;
        }
        out.push_back('\0');
        out.push_back(static_cast<char>(literal));
        out.append(reinterpret_cast<const char*>(row + x), static_cast<std::size_t>(literal));
        if (literal % 2 != 0) {
            out.push_back('\0');
        }
        x += literal;
    }
}

/// What the headers of a clip's one video stream say about it.
struct StreamShape {
    bool rgb = false;
    bool rle = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frameCount = 0;
    std::uint32_t micros = 0; // per frame
    std::uint32_t imageSize = 0;
};

StreamShape ShapeOf(const IndexedClip& clip, ClipEncoding encoding, std::size_t frameCount) {
    StreamShape shape;
    shape.rgb = encoding == ClipEncoding::Rgb24;
    shape.rle = encoding == ClipEncoding::Rle8;
    shape.width = static_cast<std::uint32_t>(clip.width);
    shape.height = static_cast<std::uint32_t>(clip.height);
    shape.frameCount = static_cast<std::uint32_t>(frameCount);
    shape.micros = static_cast<std::uint32_t>(clip.frameInterval.count());
    shape.imageSize =
        static_cast<std::uint32_t>(DibStride(static_cast<std::size_t>(clip.width), shape.rgb ? 24 : 8)) * clip.height;
    return shape;
}

/// The frames as the body of the "movi" list, and the "idx1" index that points into it.
struct FrameChunks {
    std::string movi;
    std::string index;
};

FrameChunks FrameChunksOf(const std::vector<std::string>& frameData, bool rle) {
    FrameChunks chunks;
    for (const std::string& data : frameData) {
        const std::string_view id = rle ? "00dc" : "00db";
        chunks.index.append(id);
        PutU32(chunks.index, 0x10); // key frame
        PutU32(chunks.index, static_cast<std::uint32_t>(4 + chunks.movi.size()));
        PutU32(chunks.index, static_cast<std::uint32_t>(data.size()));
        PutChunk(chunks.movi, id, data);
    }
    return chunks;
}

std::string MainHeader(const StreamShape& shape) {
    std::string avih;
    PutU32(avih, shape.micros);
    PutU32(avih, 0);
    PutU32(avih, 0);
    PutU32(avih, 0x10); // has index
    PutU32(avih, shape.frameCount);
    PutU32(avih, 0);
    PutU32(avih, 1);
    PutU32(avih, shape.imageSize);
    PutU32(avih, shape.width);
    PutU32(avih, shape.height);
    for (int i = 0; i < 4; ++i) {
        PutU32(avih, 0);
    }
    return avih;
}

std::string StreamHeader(const StreamShape& shape) {
    std::string strh("vids");
    strh.append(shape.rle ? "mrle" : "DIB ");
    PutU32(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU32(strh, 0);
    PutU32(strh, shape.micros); // scale / rate = seconds per frame
    PutU32(strh, 1000000);
    PutU32(strh, 0);
    PutU32(strh, shape.frameCount);
    PutU32(strh, shape.imageSize);
    PutU32(strh, 0xFFFFFFFF);
    PutU32(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, 0);
    PutU16(strh, shape.width);
    PutU16(strh, shape.height);
    return strh;
}

/// The BITMAPINFOHEADER of the frames, with the palette unless they are RGB.
std::string StreamFormat(const IndexedClip& clip, const StreamShape& shape) {
    std::string strf;
    PutU32(strf, 40);
    PutU32(strf, shape.width);
    PutU32(strf, shape.height);
    PutU16(strf, 1);
    PutU16(strf, shape.rgb ? 24 : 8);
    PutU32(strf, shape.rle ? 1 : 0);
    PutU32(strf, shape.imageSize);
    PutU32(strf, 0);
    PutU32(strf, 0);
    PutU32(strf, shape.rgb ? 0 : static_cast<std::uint32_t>(clip.palette.size()));
    PutU32(strf, 0);
    if (!shape.rgb) {
        for (const std::uint32_t colour : clip.palette) {
            PutU32(strf, colour & 0xFFFFFF); // blue, green, red, reserved
        }
    }
    return strf;
}

} // namespace

std::string EncodeRle8Frame(const std::vector<std::uint8_t>& topDownIndices, int width, int height) {
    std::string out;
    for (int y = height - 1; y >= 0; --y) {
        EncodeRow(out, topDownIndices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width), width);
        out.push_back('\0');
        out.push_back(y == 0 ? '\1' : '\0');
    }
    return out;
}

std::string WriteAviClip(const IndexedClip& clip, ClipEncoding encoding) {
    std::vector<std::string> frameData;
    for (const auto& frame : clip.frames) {
        if (frame.size() != static_cast<std::size_t>(clip.width) * static_cast<std::size_t>(clip.height)) {
            throw std::invalid_argument("frame size does not match the clip");
        }
        frameData.push_back(encoding == ClipEncoding::Rle8
                                ? EncodeRle8Frame(frame, clip.width, clip.height)
                                : UncompressedFrame(clip, frame, encoding == ClipEncoding::Rgb24));
    }
    return WriteAviFrames(clip, encoding, frameData);
}

std::string WriteAviFrames(const IndexedClip& clip, ClipEncoding encoding, const std::vector<std::string>& frameData) {
    if (clip.width <= 0 || clip.height <= 0 || clip.palette.empty() || clip.palette.size() > 256) {
        throw std::invalid_argument("clip needs a size and a palette of 1 to 256 colours");
    }
    const StreamShape shape = ShapeOf(clip, encoding, frameData.size());
    const FrameChunks frames = FrameChunksOf(frameData, shape.rle);

    std::string strl;
    PutChunk(strl, "strh", StreamHeader(shape));
    PutChunk(strl, "strf", StreamFormat(clip, shape));
    std::string hdrl;
    PutChunk(hdrl, "avih", MainHeader(shape));
    hdrl.append(List("strl", strl));

    std::string body("AVI ");
    body.append(List("hdrl", hdrl));
    body.append(List("movi", frames.movi));
    PutChunk(body, "idx1", frames.index);

    std::string out;
    PutChunk(out, "RIFF", body);
    return out;
}

} // namespace vortaxel::ui
