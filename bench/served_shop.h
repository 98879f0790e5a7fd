#pragma once

#include "bench/generated_site.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::bench {

/// Serves every page of `shop` on `site`, each answer `delay` late.
inline void ServeShop(test::LoopbackSite& site, const GeneratedSite& shop, std::chrono::milliseconds delay) {
    std::string body;
    for (std::size_t i = 0; i < shop.Pages(); ++i) {
        shop.WritePage(i, body);
        // Not text/html: the test server would compress every page with brotli at its slowest setting,
        // milliseconds of its processor time per page, and measure itself instead of the client.
        site.Serve("/" + shop.PagePath(i),
                   test::Page().WithBody(body).WithContentType("application/octet-stream").WithDelay(delay));
    }
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace vortaxel::bench
