#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::store {

/// Queue entries are kept many to a row. Each is written as how many leading bytes it shares with
/// the entry before it, then its own length and the rest of its bytes (each number 7 bits a byte,
/// low first, the high bit saying more follow): queued addresses mostly share their site's prefix,
/// and any byte may stand in an address, so no separator would do.
class ChunkWriter {
public:
    void Clear();
    void Add(std::string_view entry);
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::string previous_;
};

/// Reads a row written by ChunkWriter back, entry by entry.
class ChunkReader {
public:
    explicit ChunkReader(std::string_view bytes) : bytes_(bytes) {}
    /// The next entry, valid until the next call; false at the end or on a damaged row.
    bool Next(std::string_view& entry);
    /// Whether every byte was read as entries: not when the row ends inside an entry.
    bool AtEnd() const { return at_ == bytes_.size() && !damaged_; }

private:
    bool Number(std::size_t& value);

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::string entry_;
    bool damaged_ = false;
};

} // namespace vortaxel::store
