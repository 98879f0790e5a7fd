#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace vortaxel::cli {

/// "stdout: <reason>", the text the command line shows when standard output fails with `errorNumber`.
std::string StdoutError(int errorNumber);

/// The found-URL lines on their way to standard output, every write checked, so that an output that fails
/// is noticed at once instead of being reported as success at the end.
class CheckedOutput {
public:
    explicit CheckedOutput(std::FILE* out) : out_(out) {}

    /// What the first failure does to the run; called once at most.
    void OnFailure(std::function<void()> stopRun) { stopRun_ = std::move(stopRun); }

    /// Writes `line` and a line feed and flushes them. A reader that went away (EPIPE) ends the output like a
    /// Ctrl+C, since the reader chose to stop reading; any other failure is an error. Either way the run is asked
    /// to stop and later lines are dropped.
    void WriteLine(std::string_view line);

    /// StdoutError of the first failure other than a closed pipe; empty while there was none.
    const std::string& Error() const { return error_; }

private:
    std::FILE* out_;
    std::function<void()> stopRun_;
    bool ended_ = false;
    std::string error_;
};

} // namespace vortaxel::cli
