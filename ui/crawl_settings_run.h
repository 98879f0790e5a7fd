#pragma once

#include "app/run_controller.h"
#include "crawl/crawl_controls.h"
#include "store/crawl_store.h"

#include <string>
#include <string_view>

namespace vortaxel::ui {

/// Puts a browser-rules crawl's controls and identity into the setup of its run from `startAddress`:
/// the login (with `password`, which the caller asked for and keeps nowhere) and the cookies go to the
/// start address's origin alone. An identity without a user agent keeps the setup's own.
void ApplyCrawlSettings(const crawl::CrawlControls& controls, const store::KeptIdentity& identity,
                        std::string_view startAddress, const std::string& password, app::RunSetup& setup);

} // namespace vortaxel::ui
