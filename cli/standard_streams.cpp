#include "cli/standard_streams.h"

#include "cli/checked_output.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vortaxel::cli {

StandardStreamsCheck GuardStandardStreams() {
    StandardStreamsCheck check;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        if (fd == STDOUT_FILENO) {
            check.stdoutError = StdoutError(EBADF);
        }
        // The lower descriptors are open by now, so open() hands out exactly this number.
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened < 0) {
            check.fatalError = "cannot open /dev/null: " + std::string(std::strerror(errno));
            return check;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return check;
}

} // namespace vortaxel::cli
