#include "app/queue_chunk.h"

#include <cstdint>

namespace vortaxel::app {

void AppendChunkEntry(std::string& chunk, std::string_view entry) {
    std::uint64_t size = entry.size();
    while (size >= 0x80) {
        chunk.push_back(static_cast<char>((size & 0x7F) | 0x80));
        size >>= 7;
    }
    chunk.push_back(static_cast<char>(size));
    chunk.append(entry);
}

bool NextChunkEntry(std::string_view chunk, std::size_t& at, std::string_view& entry) {
    std::uint64_t size = 0;
    for (int shift = 0; at < chunk.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(chunk[at++]);
        size |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) {
            if (size > chunk.size() - at) {
                return false;
            }
            entry = chunk.substr(at, size);
            at += size;
            return true;
        }
    }
    return false;
}

} // namespace vortaxel::app
