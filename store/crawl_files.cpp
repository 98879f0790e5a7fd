#include "store/crawl_files.h"

#include <cstdio>

namespace vortaxel::store {

void RemoveCrawlFile(const std::string& path) {
    // A log left behind would be read into the next file of that name as if it were its own.
    for (const char* suffix : {"", "-wal", "-journal", "-shm"}) {
        std::remove((path + suffix).c_str());
    }
}

} // namespace vortaxel::store
