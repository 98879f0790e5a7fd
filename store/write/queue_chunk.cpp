#include "store/write/queue_chunk.h"

#include <algorithm>
#include <cstdint>

namespace vortaxel::store {

namespace {

void AppendNumber(std::string& bytes, std::size_t value) {
    while (value >= 0x80) {
        bytes.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    bytes.push_back(static_cast<char>(value));
}

} // namespace

void ChunkWriter::Clear() {
    bytes_.clear();
    previous_.clear();
}

void ChunkWriter::Add(std::string_view entry) {
    const auto shared = static_cast<std::size_t>(
        std::mismatch(previous_.begin(), previous_.end(), entry.begin(), entry.end()).first - previous_.begin());
    AppendNumber(bytes_, shared);
    AppendNumber(bytes_, entry.size() - shared);
    bytes_.append(entry.substr(shared));
    previous_.assign(entry);
}

bool ChunkReader::Number(std::size_t& value) {
    value = 0;
    for (int shift = 0; at_ < bytes_.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(bytes_[at_++]);
        value |= std::size_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool ChunkReader::Next(std::string_view& entry) {
    std::size_t shared = 0;
    std::size_t own = 0;
    if (at_ == bytes_.size()) {
        return false;
    }
    // A row cut inside an entry may have been read to its last byte: it is damaged all the same.
    if (!Number(shared) || !Number(own) || shared > entry_.size() || own > bytes_.size() - at_) {
        damaged_ = true;
        return false;
    }
    entry_.resize(shared);
    entry_.append(bytes_.substr(at_, own));
    at_ += own;
    entry = entry_;
    return true;
}

} // namespace vortaxel::store
