#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vortaxel::render {

/// The Debian package a user installs to render pages.
inline constexpr std::string_view kChromiumPackage = "chromium";
/// Where Debian's package puts the browser.
inline constexpr std::string_view kDefaultChromium = "/usr/bin/chromium";

/// The browser to start: VORTAXEL_CHROMIUM when set, else Debian's.
std::string ChromiumPath();
/// Empty when `path` names a program this user may run; else the words telling the user what to install.
std::string ChromiumMissing(const std::string& path);

/// One headless Chromium driven over the DevTools pipe: messages are JSON texts, each ended by a NUL byte.
///
/// The browser is in a process group of its own and is sent SIGKILL when the thread that started it ends,
/// however it ends (kill -9 included); the destructor asks it to close, and kills the whole group once a
/// bounded wait has passed, so that no renderer or helper process outlives it.
class ChromiumProcess {
public:
    /// Starts the browser at `path`; throws std::runtime_error when it cannot be started.
    explicit ChromiumProcess(const std::string& path);
    ~ChromiumProcess();
    ChromiumProcess(const ChromiumProcess&) = delete;
    ChromiumProcess& operator=(const ChromiumProcess&) = delete;
    ChromiumProcess(ChromiumProcess&&) = delete;
    ChromiumProcess& operator=(ChromiumProcess&&) = delete;

    /// Writes one message; false once the browser has gone.
    bool Send(std::string_view message);
    /// The next message, waiting until `deadline` at most; none when the time is up or the browser has gone
    /// (Gone tells which).
    std::optional<std::string> Receive(std::chrono::steady_clock::time_point deadline);
    bool Gone() const { return gone_; }
    pid_t Pid() const { return pid_; }
    /// The browser's profile folder, removed by the destructor; one a process killed outright leaves behind
    /// is removed when the next browser starts.
    const std::string& Profile() const { return profile_; }

private:
    void Stop();

    pid_t pid_ = -1;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    bool gone_ = false;
    std::string buffer_;
    std::string profile_;
};

} // namespace vortaxel::render
