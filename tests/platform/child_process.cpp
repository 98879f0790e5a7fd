#include "child_process.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vortaxel::platform::testing_support {

int RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit) {
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        _exit(body());
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool DropRootPrivileges() {
    constexpr uid_t kNobody = 65534;
    return setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() == kNobody;
}

} // namespace vortaxel::platform::testing_support
