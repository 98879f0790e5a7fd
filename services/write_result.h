#pragma once

#include <string>
#include <utility>

namespace vortaxel::services {

/// Outcome of writing a file. A failure carries the reason in words the user can read.
struct WriteResult {
    bool ok = false;
    std::string error;

    explicit operator bool() const { return ok; }

    static WriteResult Success() { return {true, {}}; }
    static WriteResult Failure(std::string reason) { return {false, std::move(reason)}; }
};

} // namespace vortaxel::services
