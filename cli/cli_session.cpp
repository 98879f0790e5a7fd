#include "cli/cli_session.h"

#include "analysis/key_phrase_pass.h"
#include "app/run_controller.h"
#include "cli/audit_outputs.h"
#include "cli/checked_output.h"
#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/kept_settings.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "cli/output_escape.h"
#include "cli/output_targets.h"
#include "cli/render_options.h"
#include "cli/report_output.h"
#include "cli/scope_options.h"
#include "cli/standard_streams.h"
#include "crawl/found_list.h"
#include "crawl/page/page_address.h"
#include "crawl/scope/scope_rules.h"
#include "crawl/start_text.h"
#include "export/keyphrase/keyword_map_csv.h"
#include "store/crawl_store.h"
#include "store/read/crawl_compare.h"
#include "store/read/key_phrase_queries.h"
#include "web/address_login.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vortaxel::cli {

namespace {

/// With --sitemaps, what a file fetched whole (a sitemap, robots.txt) may hold: a full sitemap of 50,000
/// long addresses fits, and a hostile one of any size costs no more.
constexpr std::size_t kSitemapFileBytes = std::size_t{16} * 1024 * 1024;

/// Whether two paths name one file, whatever their spelling (a link, "./", another case on some systems).
bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

} // namespace

int Fail(const std::string& text, int exitCode) {
    std::fprintf(stderr, "vortaxel-cli: %s\n", text.c_str());
    return exitCode;
}

int Session::Run(cli::InterruptWatcher& interrupts) {
    if (!ReadsKeptCrawlOnly()) {
        if (const std::string unread = cli::ReadListedAddresses(options_.list); !unread.empty()) {
            return Fail(unread, kExitUsage);
        }
        // Without a start address the list's first page stands for the site: the audit's start, its sitemaps'.
        if (options_.url.empty() && !options_.resume && !options_.list.listed.empty()) {
            options_.url = options_.list.listed.front();
        }
    }
    if (!PrepareStart()) {
        return kExitUsage;
    }
    if (const cli::OutputTargetRefusal refusal = cli::CheckOutputTargets(options_); !refusal.text.empty()) {
        return Fail(refusal.text, refusal.exitCode);
    }
    if (const std::string unusable = OpenDatabase(); !unusable.empty()) {
        return Fail(unusable, kExitUsage);
    }
    // Before any request or write, so that a crawl without its password leaves its file as it was.
    if (options_.identity.authUser && !ReadsKeptCrawlOnly()) {
        if (const std::string missing = cli::ReadPassword(options_.identity, password_); !missing.empty()) {
            return Fail(missing, kExitUsage);
        }
    }
    if (options_.compareFile) {
        return Compare();
    }
    if (options_.gapFile) {
        return Gap();
    }
    return options_.offline ? Offline() : Crawl(interrupts);
}

bool Session::PrepareStart() {
    startText_ = options_.url;
    if (options_.resume || ReadsKeptCrawlOnly() || crawl::PrepareStartText(startText_, options_.rules)) {
        return true;
    }
    host_.ShowRefusal(crawl::kRefusalText);
    return false;
}

cli::CliCrawlHost::Streams Session::StreamsFor(const cli::Options& options, cli::CheckedOutput& output) {
    cli::CliCrawlHost::Streams streams;
    streams.out = &output;
    streams.errIsTerminal = isatty(STDERR_FILENO) != 0;
    streams.showProgress = !options.quiet && streams.errIsTerminal;
    streams.quiet = options.quiet;
    return streams;
}

std::string Session::OpenDatabase() {
    if (!options_.dbFile) {
        return {};
    }
    using Access = store::CrawlStore::Access;
    const Access access = ReadsKeptCrawlOnly() ? Access::Read : options_.resume ? Access::Resume : Access::Create;
    if (std::string error = kept_.Open(*options_.dbFile, access); !kept_.IsOpen() || access == Access::Create) {
        return error;
    }
    if (options_.resume) {
        if (std::string finished = kept_.RefuseFinished(); !finished.empty()) {
            return finished;
        }
    }
    cli::TakeKeptRender(kept_.Store(), options_.render);
    return cli::TakeKeptSettings(kept_.Store().Settings(), *options_.dbFile, given_, options_);
}

int Session::Compare() {
    std::string error;
    const auto older = store::CrawlStore::Open(*options_.compareFile, store::CrawlStore::Access::Read, error);
    if (!older) {
        return Fail(error, kExitUsage);
    }
    output_.WriteLine(cli::kCompareHeader);
    error = store::CompareCrawls(*older, kept_.Store(), [this](const store::PageChange& change) {
        output_.WriteLine(cli::CompareLine(change));
    });
    return WriteOutputs(crawl::FoundList(), error);
}

int Session::Gap() {
    const std::string& mineFile = *options_.gapFile;
    if (SameFile(*options_.dbFile, mineFile)) {
        return Fail("--gap: " + mineFile + " is the same file as the --db FILE: give the crawl of another site",
                    kExitUsage);
    }
    std::string error;
    const auto mine = store::CrawlStore::Open(mineFile, store::CrawlStore::Access::Read, error);
    if (!mine) {
        return Fail("--gap: " + error, kExitUsage);
    }
    // Both are checked before either map is worked out: a refusal comes at once, whatever the sites' size.
    for (const auto& [store, path] : {std::pair{&kept_.Store(), *options_.dbFile}, std::pair{mine.get(), mineFile}}) {
        if (const std::string unavailable = store::KeptTextUnavailable(*store); !unavailable.empty()) {
            return Fail(std::string("--gap: ")
                            .append(path)
                            .append(": ")
                            .append(unavailable)
                            .append(" (crawl it with --rules browser --key-phrases)"),
                        kExitUsage);
        }
    }
    keywordMap_ = app::WorkOutKeywordMap(kept_.Store(), error);
    if (!keywordMap_) {
        return Fail(error, kExitFailure);
    }
    const std::optional<app::KeywordMap> mineMap = app::WorkOutKeywordMap(*mine, error);
    if (!mineMap) {
        return Fail(error, kExitFailure);
    }
    gap_ =
        cli::AuditGap{keyphrase::KeywordGap(keywordMap_->phrases, mineMap->phrases), keywordMap_->site, mineMap->site};
    output_.WriteLine(std::string(keyphrase::kKeywordGapHeader));
    for (const keyphrase::GapRow& row : gap_->rows) {
        output_.WriteLine(keyphrase::KeywordGapLine(row));
    }
    return WriteOutputs(crawl::FoundList(), {});
}

bool Session::WorkOutKeywordMap() {
    // A new crawl works its map out whatever it writes, so that the file it is kept in holds its key phrases.
    const bool wanted = cli::WantsAudit(options_) || (!ReadsKeptCrawlOnly() && !options_.compareFile);
    if (keywordMap_ || !kept_.IsOpen() || !options_.audit.keyPhrases || options_.rules != crawl::RuleSet::Browser ||
        !wanted) {
        return true;
    }
    std::string error;
    keywordMap_ = app::WorkOutKeywordMap(kept_.Store(), error);
    if (!keywordMap_) {
        host_.Say(error);
        return false;
    }
    return true;
}

bool Session::OpenReport() {
    if (!options_.reportFile) {
        return true;
    }
    report_.emplace(*options_.reportFile);
    if (!report_->Error().empty()) {
        host_.Say("cannot write " + *options_.reportFile + ": " + report_->Error());
        return false;
    }
    host_.CollectReport([this](std::string_view text) { report_->Write(text); });
    return true;
}

int Session::Offline() {
    if (const std::string empty = kept_.RefuseEmpty(); !empty.empty()) {
        return Fail(empty, kExitFailure);
    }
    if (!OpenReport()) {
        return kExitFailure;
    }
    std::string error = kept_.Replay(host_);
    crawl::FoundList found;
    if (std::string unread = kept_.ForEachFound([&found](std::string_view url) { found.Append(url); }); error.empty()) {
        error = std::move(unread);
    }
    host_.FinishProgress();
    return WriteOutputs(found, error);
}

app::RunSetup Session::Setup() const {
    app::RunSetup setup;
    setup.rules = options_.rules;
    setup.obeyRobots = options_.obeyRobots;
    setup.delay = options_.delay;
    setup.parallel = options_.parallel;
    setup.limits.storeBytes = options_.maxMemory;
    if (options_.maxPages) {
        setup.limits.pages = *options_.maxPages;
    }
    setup.fetch.caFile = options_.caFile.value_or(std::string());
    if (options_.timeout) {
        setup.fetch.timeout = *options_.timeout;
    }
    setup.fetch.login = login_;
    setup.limits.followNofollow = options_.audit.followNofollow;
    setup.limits.sitemaps = options_.audit.sitemaps;
    setup.limits.checkResources = options_.audit.checkResources;
    cli::PutListControls(options_.list, setup.limits.controls);
    // Read for nothing unless a file keeps what it finds.
    setup.limits.keyPhrases = options_.audit.keyPhrases && kept_.IsOpen();
    setup.limits.duplicates = options_.content.duplicates && kept_.IsOpen();
    if (kept_.IsOpen()) {
        setup.limits.contentAudit = options_.audit.content;
    }
    if (options_.render.render && options_.rules == cli::RuleSet::Browser) {
        setup.render.emplace();
        setup.render->wait = options_.render.wait;
    }
    const cli::IdentityOptions& identity = options_.identity;
    if (!identity.userAgent.empty()) {
        setup.fetch.userAgent = identity.userAgent;
    }
    setup.limits.controls.robotsAgent = identity.robotsAgent;
    // Cookies, credential headers and the login go to the start address's origin alone.
    const std::string startOrigin = web::OriginOf(options_.resume ? options_.url : startText_);
    setup.fetch.headers = identity.headers;
    setup.fetch.cookies = identity.cookies;
    if (!identity.headers.empty() || !identity.cookies.empty()) {
        setup.fetch.cookieOrigin = startOrigin;
    }
    if (identity.authUser) {
        setup.fetch.httpLogin = net::HttpLogin{startOrigin, *identity.authUser, password_};
    }
    // Scope, patterns, depth and parameters to strip.
    cli::CopyScope(options_.controls, setup.limits.controls);
    if (options_.audit.sitemaps) {
        // Files fetched whole are cut here: room for a large sitemap, and a bound on a hostile one.
        setup.fetch.wholeBodyBytes = kSitemapFileBytes;
    }
    return setup;
}

// Ctrl+C is the stop action: the turn in progress completes and no further turn starts. A second
// Ctrl+C also gives up the fetch in progress, for a user who will not wait for a slow server.
void Session::WireStops(cli::InterruptWatcher& interrupts, app::RunController& run) {
    interrupts.OnInterrupt([&run](int count) {
        run.Stop();
        if (count > 1) {
            run.Abort();
        }
    });
    host_.SetStopCheck([&interrupts, &run] {
        if (interrupts.Presses() > 0) {
            run.Stop();
        }
    });
    // With no request out yet, only a politeness pause that could last an hour, the first press ends it;
    // so it does a sitemap or robots.txt that does not answer.
    run.OnWait([&interrupts, &run] {
        if ((run.OnlyWaiting() || run.FetchingFile()) && interrupts.Presses() > 0) {
            run.Abort();
        }
    });
    output_.OnFailure([&run] { run.Stop(); });
}

// The report of a resumed crawl covers the whole crawl, as one run's would.
void Session::ReplayKeptReport() {
    host_.SetReplaying(true);
    kept_.Replay(host_);
    host_.SetReplaying(false);
}

int Session::Crawl(cli::InterruptWatcher& interrupts) {
    // A kept crawl starts from where it started. A password in the start address goes to its site alone: the
    // crawl goes by the address with the password hidden, which is all that is ever shown or kept of it.
    login_ = web::LoginOf(options_.resume ? options_.url : startText_);
    if (options_.render.render && options_.rules == cli::RuleSet::Browser) {
        // Refused before the first request, so that no half crawl is made without what was asked for.
        if (const std::string missing = cli::RenderUnavailable(); !missing.empty()) {
            return Fail(missing, kExitUsage);
        }
    }
    const std::string startText = web::RedactPasswords(options_.resume ? options_.url : startText_);
    if (!kept_.IsOpen() && cli::WantsAudit(options_)) {
        // The audit is read back from disk, so that a large site's links never sit in memory.
        std::string error;
        scratch_ = cli::TemporaryCrawlFile::Make(error);
        if (scratch_) {
            // Ended by a signal, the program would otherwise leave the file behind in the temporary folder.
            interrupts.OnEnd([path = scratch_->Path()] { cli::TemporaryCrawlFile::Remove(path); });
        }
        if (scratch_) {
            error = kept_.Open(scratch_->Path(), app::CrawlSession::Access::Create);
        }
        if (!kept_.IsOpen()) {
            return Fail(error, kExitFailure);
        }
    }
    if (kept_.IsOpen()) {
        if (const std::string unkept = kept_.Start(cli::SettingsOf(options_, startText)); !unkept.empty()) {
            return Fail(unkept, kExitUsage);
        }
        if (!cli::KeepRender(kept_.Store(), options_.render, options_.rules == cli::RuleSet::Browser)) {
            return Fail("cannot keep the crawl's render setting in its file", kExitUsage);
        }
        if (scratch_) {
            kept_.Store().MakeScratch();
        }
    }
    if (!OpenReport()) {
        return kExitFailure;
    }
    if (options_.resume && options_.reportFile) {
        ReplayKeptReport();
    }
    // Scope, patterns, depth and parameters to strip.
    if (const auto start = crawl::PageIdentity(startText, startText);
        start && options_.rules == cli::RuleSet::Browser) {
        if (const std::string note = crawl::ScopeFallbackNote(options_.controls.scope, *start); !note.empty()) {
            host_.Say(note);
        }
    }
    app::RunController run(Setup(), host_);
    // The run holds the list now; a list of a million addresses is worth not keeping twice.
    std::vector<std::string>().swap(options_.list.listed);
    if (kept_.IsOpen()) {
        kept_.Keep(run);
    }
    WireStops(interrupts, run);
    const auto began = std::chrono::steady_clock::now();
    run.Run(startText, options_.resume);
    crawlTook_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    interrupts.IgnoreFromNowOn();
    host_.FinishProgress();
    const int exitCode = WriteOutputs(run.Engine().List2(), run.StopReason());
    // A crawl whose start gave nothing is no empty site: its outputs say nothing of why.
    if (const std::string failure = run.Engine().StartFailure(); !failure.empty()) {
        host_.Say("start page " + cli::EscapeControlBytes(startText) + " failed: " + failure);
        return kExitFailure;
    }
    return exitCode;
}

int Session::WriteOutputs(const crawl::FoundList& found, const std::string& stopReason) {
    int exitCode = kExitOk;
    if (!WorkOutKeywordMap()) {
        exitCode = kExitFailure;
    }
    if (kept_.IsOpen() && cli::WantsAudit(options_)) {
        const cli::AuditWriteOutcome audit = cli::WriteAuditOutputs(
            kept_.Store(), options_, found, crawlTook_, keywordMap_ ? &*keywordMap_ : nullptr, gap_ ? &*gap_ : nullptr);
        for (const std::string& note : audit.notes) {
            host_.Say(note);
        }
        for (const std::string& failure : audit.failures) {
            host_.Say(failure);
            exitCode = kExitFailure;
        }
        std::fputs(audit.summary.c_str(), stderr);
        options_.keywordsFile.reset();
        options_.reportFile.reset();
    }
    if (options_.keywordsFile) {
        const std::string error =
            cli::WriteKeywordFile(found, *options_.keywordsFile, options_.rules == crawl::RuleSet::Browser);
        if (!error.empty()) {
            host_.Say("cannot write " + *options_.keywordsFile + ": " + error);
            exitCode = kExitFailure;
        }
    }
    if (options_.reportFile) {
        const std::string error = cli::FinishReport(*report_, [this] { return host_.TakeReport(); });
        if (!error.empty()) {
            host_.Say("cannot write " + *options_.reportFile + ": " + error);
            exitCode = kExitFailure;
        }
    }
    if (!stopReason.empty()) {
        host_.Say("run stopped: " + stopReason);
        exitCode = kExitFailure;
    }
    if (!output_.Error().empty()) {
        exitCode = Fail(output_.Error(), kExitFailure);
    }
    return exitCode;
}

} // namespace vortaxel::cli
