#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace vortaxel::store {

// A crawl file is input like any other: one handed over by someone else, or damaged, is refused whole when it
// is opened, before a request goes out or a byte of it changes, rather than found out halfway through a run.

/// The widest settings the command line accepts; a kept crawl outside them was written by no run.
inline constexpr std::chrono::milliseconds kMaxKeptDelay = std::chrono::hours(1);
inline constexpr std::uint64_t kMinKeptMemory = std::uint64_t{4} << 20;

/// What the file lacks of the tables and columns its layout has (`layoutSteps` are the statements that
/// built that layout, in order), as "the table T" or "the column T.C"; empty when it lacks nothing.
std::string MissingFromLayout(SqlDatabase& db, std::span<const char* const> layoutSteps);

/// Which kept setting or progress value lies outside what a run writes; empty when none does.
std::string OutOfRange(const CrawlSettings& settings, const CrawlProgressRow& progress);

/// How many addresses the kept queue would fetch next that lie outside the crawl's site: the start page's
/// origin and folder under browser rules (as where the site settled), the start text's reach under classic
/// rules. Sets `error` when the queue cannot be read.
std::int64_t QueuedOutsideSite(CrawlStore& store, std::string& error);

} // namespace vortaxel::store
