#include "avi_clip.h"

#include <algorithm>
#include <cstring>

namespace vortaxel::ui {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;

// Limits that keep a hostile or damaged file from taking unbounded memory.
constexpr int kMaxClipSide = 1024;
constexpr std::size_t kMaxClipPixels = std::size_t{16} * 1024 * 1024;

std::uint32_t U32(std::string_view data, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
    }
    return value;
}

std::uint16_t U16(std::string_view data, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1])
                                                                                 << 8);
}

struct Chunk {
    std::string_view id;
    std::string_view data;
};

/// Walks the chunks of one RIFF body; stops (and reports damage) at the first chunk that overruns it.
class ChunkReader {
public:
    explicit ChunkReader(std::string_view body) : rest_(body) {}

    std::optional<Chunk> Next() {
        if (rest_.size() < 8) {
            damaged_ = !rest_.empty() && rest_.find_first_not_of('\0') != std::string_view::npos;
            rest_ = {};
            return std::nullopt;
        }
        const std::uint32_t size = U32(rest_, 4);
        if (size > rest_.size() - 8) {
            damaged_ = true;
            rest_ = {};
            return std::nullopt;
        }
        Chunk chunk{rest_.substr(0, 4), rest_.substr(8, size)};
        const std::size_t advance = std::min<std::size_t>(rest_.size(), 8 + std::size_t{size} + (size & 1));
        rest_.remove_prefix(advance);
        return chunk;
    }

    bool Damaged() const { return damaged_; }

private:
    std::string_view rest_;
    bool damaged_ = false;
};

struct StreamFormat {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;
};

struct Parsed {
    std::chrono::microseconds frameInterval{0};
    std::optional<StreamFormat> format;
    std::string streamNumber; // "00", "01", ... of the video stream
    std::vector<std::string_view> frameData;
    std::string error;
};

std::string ParseFormat(std::string_view strf, StreamFormat& format) {
    if (strf.size() < 40) {
        return "stream format too short";
    }
    const std::uint32_t headerSize = U32(strf, 0);
    const auto width = static_cast<std::int32_t>(U32(strf, 4));
    const auto height = static_cast<std::int32_t>(U32(strf, 8));
    format.bitCount = U16(strf, 14);
    format.compression = U32(strf, 16);
    const std::uint32_t coloursUsed = U32(strf, 32);
    if (headerSize < 40 || headerSize > strf.size()) {
        return "bad bitmap header size";
    }
    if (width <= 0 || width > kMaxClipSide || height == 0 || height < -kMaxClipSide || height > kMaxClipSide) {
        return "frame size out of range";
    }
    format.width = width;
    format.height = height < 0 ? -height : height;
    format.topDown = height < 0;
    const bool rgb8 = format.compression == kBiRgb && format.bitCount == 8;
    const bool rgb24 = format.compression == kBiRgb && format.bitCount == 24;
    const bool rle8 = format.compression == kBiRle8 && format.bitCount == 8;
    if (!rgb8 && !rgb24 && !rle8) {
        return "frame encoding not supported";
    }
    if (rle8 && format.topDown) {
        return "RLE8 frames must be stored bottom-up";
    }
    if (format.bitCount == 8) {
        const std::uint32_t count = coloursUsed == 0 ? 256 : coloursUsed;
        if (count > 256 || (strf.size() - headerSize) / 4 < count) {
            return "palette missing or too large";
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            format.palette.push_back(0xFF000000u | (U32(strf, headerSize + 4 * i) & 0xFFFFFF));
        }
    }
    return {};
}

void ParseHeaderList(std::string_view hdrl, Parsed& parsed) {
    ChunkReader reader(hdrl);
    int streamIndex = 0;
    while (auto chunk = reader.Next()) {
        if (chunk->id == "avih" && chunk->data.size() >= 4) {
            parsed.frameInterval = std::chrono::microseconds(U32(chunk->data, 0));
        }
        if (chunk->id != "LIST" || chunk->data.size() < 4 || chunk->data.substr(0, 4) != "strl") {
            continue;
        }
        const int thisStream = streamIndex++;
        if (parsed.format) {
            continue;
        }
        ChunkReader streamReader(chunk->data.substr(4));
        bool video = false;
        while (auto part = streamReader.Next()) {
            if (part->id == "strh" && part->data.size() >= 4) {
                video = part->data.substr(0, 4) == "vids";
            } else if (part->id == "strf" && video) {
                StreamFormat format;
                parsed.error = ParseFormat(part->data, format);
                if (!parsed.error.empty()) {
                    return;
                }
                parsed.format = std::move(format);
                parsed.streamNumber = {static_cast<char>('0' + thisStream / 10),
                                       static_cast<char>('0' + thisStream % 10)};
            }
        }
    }
}

void CollectFrames(std::string_view movi, Parsed& parsed, int depth) {
    ChunkReader reader(movi);
    while (auto chunk = reader.Next()) {
        if (chunk->id == "LIST" && depth < 2 && chunk->data.size() >= 4) {
            CollectFrames(chunk->data.substr(4), parsed, depth + 1);
        } else if (chunk->id.substr(0, 2) == parsed.streamNumber &&
                   (chunk->id.substr(2) == "db" || chunk->id.substr(2) == "dc")) {
            parsed.frameData.push_back(chunk->data);
        }
    }
}

/// Decodes an RLE8 frame over `indices` (which holds the previous frame, as delta frames rely on it).
std::string DecodeRle8(std::string_view data, int width, int height, std::vector<std::uint8_t>& indices) {
    int x = 0;
    int row = 0; // counted from the bottom, as stored
    std::size_t at = 0;
    auto put = [&](std::uint8_t value) {
        if (x >= width || row >= height) {
            return false;
        }
        indices[static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)] = value;
        ++x;
        return true;
    };
    while (at + 1 < data.size()) {
        const auto count = static_cast<unsigned char>(data[at]);
        const auto value = static_cast<unsigned char>(data[at + 1]);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                if (!put(value)) {
                    return "run leaves the frame";
                }
            }
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return {};
        } else if (value == 2) {
            if (at + 1 >= data.size()) {
                return "delta cut short";
            }
            x += static_cast<unsigned char>(data[at]);
            row += static_cast<unsigned char>(data[at + 1]);
            at += 2;
        } else {
            if (data.size() - at < value) {
                return "literal run cut short";
            }
            for (int i = 0; i < value; ++i) {
                if (!put(static_cast<std::uint8_t>(data[at + static_cast<std::size_t>(i)]))) {
                    return "literal run leaves the frame";
                }
            }
            at += value + (value & 1);
        }
    }
    // A frame that ends without its end-of-bitmap mark still shows what it drew.
    return {};
}

std::string DecodeFrames(const Parsed& parsed, AviClip& clip) {
    const StreamFormat& format = *parsed.format;
    const auto width = static_cast<std::size_t>(format.width);
    const auto height = static_cast<std::size_t>(format.height);
    if (width * height * std::max<std::size_t>(parsed.frameData.size(), 1) > kMaxClipPixels) {
        return "clip too large";
    }
    std::vector<std::uint8_t> indices(width * height, 0);
    std::vector<std::uint32_t> pixels(width * height, 0xFF000000u);
    const std::size_t stride = DibStride(width, format.bitCount);
    for (const std::string_view data : parsed.frameData) {
        if (data.empty() && !clip.frames.empty()) {
            clip.frames.push_back(clip.frames.back()); // a dropped frame repeats the last one
            continue;
        }
        if (format.compression == kBiRle8) {
            if (std::string error = DecodeRle8(data, format.width, format.height, indices); !error.empty()) {
                return error;
            }
        } else {
            if (data.size() < stride * height) {
                return "frame data cut short";
            }
            for (std::size_t y = 0; y < height; ++y) {
                const std::size_t stored = format.topDown ? y : height - 1 - y;
                const char* row = data.data() + stored * stride;
                for (std::size_t x = 0; x < width; ++x) {
                    if (format.bitCount == 8) {
                        indices[y * width + x] = static_cast<std::uint8_t>(row[x]);
                        continue;
                    }
                    const auto* bgr = reinterpret_cast<const unsigned char*>(row + 3 * x);
                    pixels[y * width + x] =
                        0xFF000000u | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
                }
            }
        }
        if (format.bitCount == 8) {
            for (std::size_t i = 0; i < indices.size(); ++i) {
                if (indices[i] >= format.palette.size()) {
                    return "pixel refers past the palette";
                }
                pixels[i] = format.palette[indices[i]];
            }
        }
        clip.frames.push_back(pixels);
    }
    return {};
}

AviReadResult Refuse(std::string error) {
    return {std::nullopt, std::move(error)};
}

} // namespace

AviReadResult ReadAviClip(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "AVI ") {
        return Refuse("not a RIFF AVI file");
    }
    const std::uint32_t riffSize = U32(bytes, 4);
    if (riffSize < 4 || riffSize > bytes.size() - 8) {
        return Refuse("file cut short");
    }
    Parsed parsed;
    ChunkReader reader(bytes.substr(12, riffSize - 4));
    while (auto chunk = reader.Next()) {
        if (chunk->id != "LIST" || chunk->data.size() < 4) {
            continue;
        }
        const std::string_view type = chunk->data.substr(0, 4);
        if (type == "hdrl") {
            ParseHeaderList(chunk->data.substr(4), parsed);
            if (!parsed.error.empty()) {
                return Refuse(parsed.error);
            }
        } else if (type == "movi" && parsed.format) {
            CollectFrames(chunk->data.substr(4), parsed, 0);
        }
    }
    if (reader.Damaged()) {
        return Refuse("chunk overruns the file");
    }
    if (!parsed.format) {
        return Refuse("no video stream");
    }
    if (parsed.frameData.empty()) {
        return Refuse("no frames");
    }
    AviClip clip;
    clip.width = parsed.format->width;
    clip.height = parsed.format->height;
    clip.frameInterval = parsed.frameInterval;
    if (std::string error = DecodeFrames(parsed, clip); !error.empty()) {
        return Refuse(std::move(error));
    }
    return {std::move(clip), {}};
}

} // namespace vortaxel::ui
