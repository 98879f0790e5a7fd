#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vortaxel::cli {

/// A plain decimal number: digits only, so signs, blanks, hex and overflow are all refused.
std::optional<std::uint64_t> ParseWholeNumber(std::string_view text);

/// A byte count with an optional K, M or G suffix (either case), each 1024 times the one before.
std::optional<std::uint64_t> ParseByteSize(std::string_view text);

} // namespace vortaxel::cli
