#pragma once

#include "tests/support/loopback_site.h"

#include <chrono>
#include <string>

namespace vortaxel::test {

/// Serves "/" and "/page-1.html" to "/page-N.html", each linking to the next and answering after `delay`, so a
/// run lasts long enough to be cut short and its keyword phrases are "page 1" to "page N".
inline void ServePageChain(LoopbackSite& site, int pages, std::chrono::milliseconds delay) {
    for (int i = 0; i <= pages; ++i) {
        const std::string next = i < pages ? "<a href=\"/page-" + std::to_string(i + 1) + ".html\">next</a>" : "";
        site.Serve(i == 0 ? "/" : "/page-" + std::to_string(i) + ".html", Page{}.WithBody(next).WithDelay(delay));
    }
}

} // namespace vortaxel::test
