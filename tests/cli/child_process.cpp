#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vortaxel::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           StdoutTarget stdoutTarget) {
    // Built before any pipe is open, so a throwing allocation leaves nothing behind.
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(argvStrings.size() + 1);
    for (auto& s : argvStrings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    switch (stdoutTarget) {
    case StdoutTarget::Captured:
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        break;
    case StdoutTarget::DevFull:
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
        break;
    case StdoutTarget::Closed:
        posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
        break;
    }
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);

    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (rc != 0) {
        // A constructor that throws gets no destructor call, so the read ends are closed here.
        close(outPipe[0]);
        close(errPipe[0]);
        pid_ = -1;
        throw std::runtime_error("cannot start " + program);
    }
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
    if (stdoutTarget != StdoutTarget::Captured) {
        CloseOut();
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) {
        close(outFd_);
    }
    if (errFd_ >= 0) {
        close(errFd_);
    }
}

void ChildProcess::Signal(int signal) const {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

bool ChildProcess::HasEnded() const {
    siginfo_t info{};
    return pid_ > 0 && waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid_;
}

bool ChildProcess::WaitUntilBlocked(int signal, std::chrono::milliseconds timeout) const {
    const std::string statusPath = "/proc/" + std::to_string(pid_) + "/status";
    const unsigned long long bit = 1ULL << (signal - 1);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline && !HasEnded()) {
        std::ifstream status(statusPath);
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigBlk:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) & bit) != 0) {
                return true;
            }
        }
    }
    return false;
}

bool ChildProcess::WaitForOut(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        Drain(20);
    }
    return true;
}

void ChildProcess::CloseOut() {
    if (outFd_ >= 0) {
        close(outFd_);
        outFd_ = -1;
    }
}

void ChildProcess::Drain(int timeoutMs) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) <= 0) {
        return;
    }
    char buffer[4096];
    for (auto& fd : fds) {
        if ((fd.revents & (POLLIN | POLLHUP)) == 0) {
            continue;
        }
        const ssize_t n = read(fd.fd, buffer, sizeof buffer);
        if (n > 0) {
            (fd.fd == outFd_ ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
        }
    }
}

bool ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        Drain(20);
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return false;
        }
    }
    // Whatever is still in the pipes after the exit; the write ends are closed, so this ends.
    for (;;) {
        const std::size_t before = out_.size() + err_.size();
        Drain(0);
        if (out_.size() + err_.size() == before) {
            break;
        }
    }
    return true;
}

} // namespace vortaxel::test
