#pragma once

#include <chrono>
#include <string>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// Whether a browser-rules crawl shows its pages in headless Chromium, and for how long at most.
struct RenderOptions {
    bool render = false;
    std::chrono::milliseconds wait{5000};
    bool waitGiven = false;

    bool operator==(const RenderOptions&) const = default;
};

/// Declares --render and --render-wait.
void DeclareRenderOptions(CLI::App& app, RenderOptions& render);

/// Refuses the render options under classic rules. `keptOnly`: the rules come from a kept crawl.
void CheckRenderOptions(const RenderOptions& render, bool browser, bool keptOnly);

/// Why this run, which renders, cannot start a browser; empty when it can. Asked before any request is made.
std::string RenderUnavailable();

} // namespace vortaxel::cli
