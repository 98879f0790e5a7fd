#include "cli/checked_output.h"

#include <cerrno>
#include <cstring>

namespace vortaxel::cli {

std::string StdoutError(int errorNumber) {
    return "stdout: " + std::string(std::strerror(errorNumber));
}

void CheckedOutput::WriteLine(std::string_view line) {
    if (ended_) {
        return;
    }
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), out_) == line.size() &&
                         std::fputc('\n', out_) != EOF && std::fflush(out_) == 0;
    if (written) {
        return;
    }
    // A stream that failed without saying why still failed; EIO is the closest honest reason.
    const int reason = errno != 0 ? errno : EIO;
    ended_ = true;
    if (reason != EPIPE) {
        error_ = StdoutError(reason);
    }
    if (stopRun_) {
        stopRun_();
    }
}

} // namespace vortaxel::cli
