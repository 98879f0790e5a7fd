#pragma once

#include <sys/types.h>

namespace vortaxel::test {

/// Processes of process group `group` that are still running (a zombie has ended).
int LiveProcessesInGroup(pid_t group);

/// Waits, within a generous bound, until no process of `group` runs; true when none does.
bool GroupEnds(pid_t group);

} // namespace vortaxel::test
