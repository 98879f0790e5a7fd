#pragma once

#include "fetched_page.h"

namespace vortaxel::crawl {

/// The fetch layer's name for a fetched page, until it carries a result type of its own.
using FetchResult = FetchedPage;

} // namespace vortaxel::crawl
