#pragma once

#include <chrono>
#include <functional>

namespace vortaxel::platform::testing_support {

/// Runs `body` in a forked child, so it may lower limits or drop privileges without touching the test
/// process. Returns the child's exit code, or -1 when it crashed or had to be killed after `limit`.
int RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit = std::chrono::seconds(30));

/// Gives up root for the calling process; false when that is not possible here.
bool DropRootPrivileges();

} // namespace vortaxel::platform::testing_support
