#pragma once

#include <algorithm>
#include <vector>

namespace vortaxel::test {

/// `items` in ascending order, for comparing lists whose order is not part of what is tested,
/// such as the requests of fetches made side by side.
template <class T> std::vector<T> Sorted(std::vector<T> items) {
    std::sort(items.begin(), items.end());
    return items;
}

} // namespace vortaxel::test
