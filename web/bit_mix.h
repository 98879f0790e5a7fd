#pragma once

#include <cstdint>

namespace vortaxel::web {

/// Spreads every bit of `x` over the whole word (MurmurHash3's 64-bit finaliser): a cheap hash of a number that
/// is the same on every machine, for sets of hashes and for hashes of hashes.
constexpr std::uint64_t MixBits(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

} // namespace vortaxel::web
