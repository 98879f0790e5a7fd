#pragma once

#include "text/text_block.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::text {

/// What the duplicate checks keep of a page's visible text (every block but its title and meta
/// description, which a reader never sees in the page): a hash of the whole text, and per block a hash
/// of the block and a hash of each of its words. The words are split at every ASCII byte that is no
/// letter or digit and folded to ASCII lower case, so that "Price:" and "price" are one word.
struct TextPrint {
    /// 0 for a page without visible text.
    std::uint64_t textHash = 0;
    /// Per block: its hash, its word count, then one 32-bit hash per word; all little-endian.
    std::string blocks;
};

TextPrint PrintText(std::span<const TextBlock> blocks);

/// One block of a TextPrint, decoded.
struct PrintedBlock {
    std::uint64_t hash = 0;
    std::vector<std::uint32_t> words;
};

/// The blocks of `TextPrint::blocks`; false (with what was decoded so far) for bytes no print holds.
bool DecodePrint(std::string_view blocks, std::vector<PrintedBlock>& out);

/// The FNV-1a hash of `bytes`: the same on every machine and in every run, as a kept crawl needs.
std::uint64_t StableHash(std::string_view bytes, std::uint64_t seed = 0xcbf29ce484222325ULL);

} // namespace vortaxel::text
