#include "bench/peak_memory.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace vortaxel::bench {

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

} // namespace vortaxel::bench
