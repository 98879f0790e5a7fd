#pragma once

#include "analysis/key_phrase_pass.h"
#include "cli/options.h"
#include "crawl/found_list.h"
#include "store/crawl_store.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::cli {

/// A crawl database for a run whose audit outputs need one though none was named: a new file in the
/// temporary folder, removed with its logs when this ends.
class TemporaryCrawlFile {
public:
    /// The path, or "" with `error` saying why none could be made.
    static std::unique_ptr<TemporaryCrawlFile> Make(std::string& error);
    ~TemporaryCrawlFile();
    TemporaryCrawlFile(const TemporaryCrawlFile&) = delete;
    TemporaryCrawlFile& operator=(const TemporaryCrawlFile&) = delete;
    TemporaryCrawlFile(TemporaryCrawlFile&&) = delete;
    TemporaryCrawlFile& operator=(TemporaryCrawlFile&&) = delete;

    const std::string& Path() const { return path_; }
    /// Removes the file at `path` and the logs SQLite keeps beside it.
    static void Remove(const std::string& path);

private:
    explicit TemporaryCrawlFile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

/// Whether these options, under these rules, write anything from the audit a crawl keeps.
bool WantsAudit(const Options& options);

/// What writing the audit outputs said: lines for the user and whether any file failed.
struct AuditWriteOutcome {
    std::vector<std::string> failures;
    /// What the user should know of the outputs that is no failure (languages whose spelling is not checked).
    std::vector<std::string> notes;
    /// The summary for standard error, "" when none is due.
    std::string summary;
};

/// The keyword gap the audit page shows beside the map: the --db crawl's (theirs) against another's (mine).
struct AuditGap {
    /// Ranked by what is missing first.
    std::vector<keyphrase::GapRow> rows;
    std::string theirStartUrl;
    std::string myStartUrl;
};

/// Writes the outputs the options ask for from the audit kept in `store`: the per-page report with
/// its audit columns, the links file, the audit page and the keyword file (phrases by `found`'s
/// order), and the summary's text.
/// `took` is how long the crawl took, when this run made it; `map` the site's keyword map, when key phrases
/// were worked out, for the keyword map's files and the audit page's keyword section; `gap` the gap to show
/// in that section, when another site's map was compared with it.
AuditWriteOutcome WriteAuditOutputs(store::CrawlStore& store, const Options& options, const crawl::FoundList& found,
                                    std::optional<std::chrono::milliseconds> took = std::nullopt,
                                    const app::KeywordMap* map = nullptr, const AuditGap* gap = nullptr);

} // namespace vortaxel::cli
