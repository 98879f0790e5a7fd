#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::app {

/// Queue entries are kept many to a row, each as its length (7 bits a byte, low first, the high bit
/// saying more follow) and its bytes: any byte may stand in an address, so no separator would do.
void AppendChunkEntry(std::string& chunk, std::string_view entry);

/// Reads the entry at `at` in `chunk` into `entry` and moves `at` past it; false at the end or on
/// a damaged chunk.
bool NextChunkEntry(std::string_view chunk, std::size_t& at, std::string_view& entry);

} // namespace vortaxel::app
