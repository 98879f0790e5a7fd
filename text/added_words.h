#pragma once

#include "text/text_block.h"

#include <cstddef>
#include <vector>

namespace vortaxel::text {

/// How many words the visible text of `after` holds beyond that of `before`: the words of their H1, Heading
/// and Body blocks (a title, a description and an image's alt are not shown as text), split as
/// WordSplitter's root rules split them and compared exactly as written, each word counted as many times
/// more as `after` holds it than `before` does. Words `before` holds and `after` lost do not count.
std::size_t AddedWords(const std::vector<TextBlock>& before, const std::vector<TextBlock>& after);

} // namespace vortaxel::text
