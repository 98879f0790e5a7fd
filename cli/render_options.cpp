#include "cli/render_options.h"

#include "cli/option_values.h"
#include "render/chromium_process.h"
#include "store/render_settings.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

namespace vortaxel::cli {

namespace {

/// The longest a page may be given: past it a crawl of a few hundred pages would take days.
constexpr std::uint64_t kMaxRenderWaitMs = 120'000;
/// Less than the half second of quiet network a page is waited for would cut every page short.
constexpr std::uint64_t kMinRenderWaitMs = 500;

} // namespace

void DeclareRenderOptions(CLI::App& app, RenderOptions& render) {
    app.add_flag("--render", render.render,
                 "With --rules browser: show each HTML page in headless Chromium and audit what its scripts make "
                 "of it too; --report gains the rendered_* and js_* columns, --links the column seen_in");
    app.add_option_function<std::string>(
           "--render-wait",
           [&render](const std::string& v) {
               const auto ms = ParseWholeNumber(v);
               if (!ms || *ms < kMinRenderWaitMs || *ms > kMaxRenderWaitMs) {
                   throw CLI::ValidationError("--render-wait", "takes a whole number from " +
                                                                   std::to_string(kMinRenderWaitMs) + " to " +
                                                                   std::to_string(kMaxRenderWaitMs));
               }
               render.wait = std::chrono::milliseconds(*ms);
               render.waitGiven = true;
           },
           "With --render: give each page at most MS milliseconds to load and settle (default 5000)")
        ->type_name("MS");
}

void CheckRenderOptions(const RenderOptions& render, bool browser, bool keptOnly) {
    if (keptOnly) {
        return;
    }
    if (!browser && render.render) {
        throw CLI::ValidationError("--render", "needs --rules browser");
    }
    if (render.waitGiven && !render.render) {
        throw CLI::ValidationError("--render-wait", "needs --render");
    }
}

void TakeKeptRender(store::CrawlStore& store, RenderOptions& render) {
    const std::optional<std::chrono::milliseconds> kept = store::KeptRenderWait(store);
    render.render = kept.has_value();
    render.wait = kept.value_or(render.wait);
}

bool KeepRender(store::CrawlStore& store, const RenderOptions& render, bool browser) {
    return store::KeepRenderWait(store, render.render && browser ? std::optional(render.wait) : std::nullopt).Ok();
}

std::string RenderUnavailable() {
    return render::ChromiumMissing(render::ChromiumPath());
}

} // namespace vortaxel::cli
