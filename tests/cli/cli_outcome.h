#pragma once

#include "tests/cli/child_process.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {

/// A whole run of the command line, well past what any test's run takes: an end past it is a hang.
inline constexpr std::chrono::seconds kCliRunLimit{60};

/// What one run of the command line gave back.
struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

/// Runs the command line with `args` to its end.
inline Outcome RunCli(const std::vector<std::string>& args) {
    ChildProcess run(VORTAXEL_CLI_PATH, args);
    EXPECT_TRUE(run.Wait(kCliRunLimit)) << "the run did not end in time";
    return {run.ExitCode(), run.Out(), run.Err()};
}

} // namespace vortaxel::test
