#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vortaxel::test {

/// Where a child's standard output goes.
enum class StdoutTarget { Captured, DevFull, Closed };

/// A program started with its standard output and error captured, for end-to-end tests of the command line.
/// The destructor kills and reaps it if the test did not wait for it.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 StdoutTarget stdoutTarget = StdoutTarget::Captured);
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    void Signal(int signal) const;

    /// True once the program has ended. It is not reaped, so its pid stays safe to signal until Wait.
    bool HasEnded() const;

    /// Waits until the program's main thread blocks `signal`, which it does to take the signal over.
    bool WaitUntilBlocked(int signal, std::chrono::milliseconds timeout) const;

    /// Reads standard output until it holds `text`; false on time-out.
    bool WaitForOut(const std::string& text, std::chrono::milliseconds timeout);

    /// Closes the reading end of standard output, as a reader that stops reading does.
    void CloseOut();

    /// Waits for the program to end, reading its output meanwhile. Returns false on time-out (the program is
    /// then killed).
    bool Wait(std::chrono::milliseconds timeout);

    int ExitCode() const { return exitCode_; }
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

private:
    void Drain(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int exitCode_ = -1;
    std::string out_;
    std::string err_;
};

} // namespace vortaxel::test
