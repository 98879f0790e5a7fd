#include "render/chromium_process.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <string_view>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vortaxel::render {

namespace {

using Clock = std::chrono::steady_clock;

/// How long a browser asked to close is given before its process group is killed.
constexpr std::chrono::seconds kCloseWait{5};

constexpr std::string_view kProfilePrefix = "vortaxel-render-";

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

/// Removes the profiles of programs that were killed outright and could not remove their own. A profile's
/// name holds the process that made it; one of a process that runs, or of another user's, stays.
void RemoveStaleProfiles() {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(TemporaryFolder(), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with(kProfilePrefix)) {
            continue;
        }
        const std::string_view rest = std::string_view(name).substr(kProfilePrefix.size());
        pid_t owner = 0;
        const auto [end_, parsed] = std::from_chars(rest.data(), rest.data() + rest.size(), owner);
        if (parsed != std::errc() || end_ == rest.data() || *end_ != '-' || owner <= 0) {
            continue;
        }
        if (kill(owner, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            std::filesystem::remove_all(entry->path(), ignored);
        }
    }
}

std::string TemporaryProfile() {
    RemoveStaleProfiles();
    std::string pattern = TemporaryFolder() + "/" + std::string(kProfilePrefix) + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "cannot make the browser's profile folder");
    }
    return pattern;
}

/// Closes both ends of a pipe on every path out of the constructor.
struct Fds {
    std::array<int, 2> in{-1, -1};
    std::array<int, 2> out{-1, -1};
    int null = -1;
    Fds() = default;
    Fds(const Fds&) = delete;
    Fds& operator=(const Fds&) = delete;
    Fds(Fds&&) = delete;
    Fds& operator=(Fds&&) = delete;
    ~Fds() {
        for (const int fd : {in[0], in[1], out[0], out[1], null}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
};

} // namespace

std::string ChromiumPath() {
    const char* given = std::getenv("VORTAXEL_CHROMIUM");
    return given != nullptr && *given != '\0' ? std::string(given) : std::string(kDefaultChromium);
}

std::string ChromiumMissing(const std::string& path) {
    if (access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path)) {
        return {};
    }
    return "cannot render pages: no browser at " + path + " (install Debian's package " +
           std::string(kChromiumPackage) + ", or name the browser in VORTAXEL_CHROMIUM)";
}

ChromiumProcess::ChromiumProcess(const std::string& path) {
    if (const std::string missing = ChromiumMissing(path); !missing.empty()) {
        throw std::runtime_error(missing);
    }
    profile_ = TemporaryProfile();
    // Everything the child needs is made before the fork: after it, only calls safe in a forked child of a
    // threaded program are made.
    std::vector<std::string> args = {path,
                                     "--headless",
                                     "--disable-gpu",
                                     "--no-sandbox",
                                     "--no-first-run",
                                     "--no-default-browser-check",
                                     "--disable-extensions",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--disable-dev-shm-usage",
                                     "--mute-audio",
                                     "--user-data-dir=" + profile_,
                                     "--remote-debugging-pipe",
                                     "about:blank"};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    Fds fds;
    if (pipe2(fds.in.data(), O_CLOEXEC) != 0 || pipe2(fds.out.data(), O_CLOEXEC) != 0 ||
        (fds.null = open("/dev/null", O_RDWR | O_CLOEXEC)) < 0) {
        std::filesystem::remove_all(profile_);
        throw std::system_error(errno, std::generic_category(), "cannot make the browser's pipes");
    }
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        std::filesystem::remove_all(profile_);
        throw std::system_error(errno, std::generic_category(), "cannot start the browser");
    }
    if (pid_ == 0) {
        // The child dies with the thread that started it, and takes its whole group along with it.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        // Copies above 4 first: a pipe's own descriptor may be 3 or 4 already.
        const int reading = fcntl(fds.in[0], F_DUPFD_CLOEXEC, 10);
        const int writing = fcntl(fds.out[1], F_DUPFD_CLOEXEC, 10);
        if (reading < 0 || writing < 0 || dup2(fds.null, 0) < 0 || dup2(fds.null, 1) < 0 || dup2(fds.null, 2) < 0 ||
            dup2(reading, 3) < 0 || dup2(writing, 4) < 0) {
            _exit(127);
        }
        close_range(5, ~0U, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Set from both sides, so that a kill of the group right after the fork reaches the child.
    setpgid(pid_, pid_);
    toBrowser_ = std::exchange(fds.in[1], -1);
    fromBrowser_ = std::exchange(fds.out[0], -1);
}

ChromiumProcess::~ChromiumProcess() {
    Stop();
}

void ChromiumProcess::Stop() {
    if (toBrowser_ >= 0) {
        // A browser on a DevTools pipe closes once its pipe does.
        close(toBrowser_);
        toBrowser_ = -1;
    }
    if (pid_ > 0) {
        const Clock::time_point deadline = Clock::now() + kCloseWait;
        bool ended = false;
        while (!ended && Clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            ended = done == pid_ || (done < 0 && errno == ECHILD);
            if (!ended) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        // Whatever the browser left in its group (a renderer, a zygote) goes with it.
        kill(-pid_, SIGKILL);
        if (!ended) {
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    if (fromBrowser_ >= 0) {
        close(fromBrowser_);
        fromBrowser_ = -1;
    }
    if (!profile_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(profile_, ignored);
        profile_.clear();
    }
}

bool ChromiumProcess::Send(std::string_view message) {
    if (gone_ || toBrowser_ < 0) {
        return false;
    }
    std::string data(message);
    data.push_back('\0');
    std::string_view left = data;
    while (!left.empty()) {
        const ssize_t wrote = write(toBrowser_, left.data(), left.size());
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            gone_ = true;
            return false;
        }
        left.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

std::optional<std::string> ChromiumProcess::Receive(Clock::time_point deadline) {
    for (;;) {
        if (const std::size_t end = buffer_.find('\0'); end != std::string::npos) {
            std::string message = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return message;
        }
        if (gone_) {
            return std::nullopt;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd wait{fromBrowser_, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) {
            gone_ = true;
        }
        if (ready <= 0) {
            continue;
        }
        std::array<char, 1 << 16> chunk{};
        const ssize_t got = read(fromBrowser_, chunk.data(), chunk.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            gone_ = true;
            continue;
        }
        buffer_.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

} // namespace vortaxel::render
