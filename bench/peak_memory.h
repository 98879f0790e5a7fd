#pragma once

namespace vortaxel::bench {

/// The process's peak resident size in kB, from /proc/self/status; -1 when unknown.
long PeakResidentKb();

} // namespace vortaxel::bench
