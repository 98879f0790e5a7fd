#pragma once

#include "text/text_block.h"

#include <string_view>
#include <vector>

namespace vortaxel::bench {

std::vector<text::TextBlock> ReadBlocks(std::string_view html);

} // namespace vortaxel::bench
