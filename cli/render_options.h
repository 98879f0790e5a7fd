#pragma once

#include <chrono>
#include <string>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::store {
class CrawlStore;
} // namespace vortaxel::store

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

/// A kept crawl renders its pages as it began: its choice replaces the one given.
void TakeKeptRender(store::CrawlStore& store, RenderOptions& render);
/// Keeps this run's choice in its crawl file; false when the file cannot be written.
bool KeepRender(store::CrawlStore& store, const RenderOptions& render, bool browser);

/// Why this run, which renders, cannot start a browser; empty when it can. Asked before any request is made.
std::string RenderUnavailable();

} // namespace vortaxel::cli
