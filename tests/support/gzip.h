#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <zlib.h>

namespace vortaxel::test {

/// `head`, then `fill` bytes of `fillByte` (a whole number of MiB), then `tail`, as one gzip stream. The fill
/// is never held whole, so a small file can unpack to far more than any limit it is meant to meet. Link
/// ZLIB::ZLIB.
inline std::string Gzip(std::string_view head, std::size_t fill = 0, char fillByte = ' ', std::string_view tail = {}) {
    z_stream stream{};
    constexpr int kGzipWindow = 15 + 16;
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindow, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("gzip: deflateInit2 failed");
    }
    std::string out;
    std::string buffer(std::size_t{1} << 16, '\0');
    int result = Z_OK;
    const auto pump = [&](std::string_view in, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream.avail_in = static_cast<uInt>(in.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&stream, flush);
            out.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    pump(head, Z_NO_FLUSH);
    const std::string piece(std::size_t{1} << 20, fillByte);
    for (std::size_t done = 0; done < fill; done += piece.size()) {
        pump(piece, Z_NO_FLUSH);
    }
    pump(tail, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("gzip: deflate did not finish");
    }
    return out;
}

} // namespace vortaxel::test
