#pragma once

#include <optional>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// The duplicate checks and the link score of a browser-rules crawl.
struct ContentOptions {
    /// Exact duplicates, near-duplicates and thin pages (--duplicates, or implied by a threshold).
    bool duplicates = false;
    /// --near-duplicates PERCENT and --thin-words N, when given.
    std::optional<int> nearPercent{};
    std::optional<int> thinWords{};
    bool linkScore = false;

    bool operator==(const ContentOptions&) const = default;
    bool Any() const { return duplicates || nearPercent || thinWords || linkScore; }
};

/// Declares --duplicates, --near-duplicates, --thin-words and --link-score.
void DeclareContentOptions(CLI::App& app, ContentOptions& content);

/// The first of them given that classic rules cannot serve; nullptr when none.
const char* RefusedContentOption(const ContentOptions& content, bool browser);

/// Refuses them under classic rules; `keptOnly`: the rules come from a kept crawl, checked when it is opened.
void CheckContentOptions(const ContentOptions& content, bool browser, bool keptOnly);

} // namespace vortaxel::cli
