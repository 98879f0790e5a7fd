#include "cli/cli_crawl_host.h"

#include "cli/output_escape.h"
#include "crawl/run_limits.h"

#include <utility>

namespace vortaxel::cli {

void CliCrawlHost::ShowRefusal(const std::string& text) {
    ClearProgressLine();
    std::fprintf(streams_.err, "%s\n", text.c_str());
    std::fflush(streams_.err);
}

void CliCrawlHost::RunStarted() {
    fetched_ = 0;
    failed_ = 0;
    linksDroppedSaid_ = false;
    CheckForStop();
}

void CliCrawlHost::Yield() {
    CheckForStop();
    if (report_) {
        report_->TurnBegins();
    }
}

void CliCrawlHost::PageFetched(const std::string& url, const crawl::FetchedPage& page) {
    CheckForStop();
    ++fetched_;
    if (report_) {
        report_->Fetched(url, page);
    }
    if (replaying_) {
        return;
    }
    if (!page.ok) {
        ++failed_;
        if (!streams_.quiet) {
            Say(EscapeControlBytes(url) + ": " + page.error);
        }
    }
}

void CliCrawlHost::PageBlocked(std::string_view url) {
    if (report_) {
        report_->Blocked(url);
    }
    if (!streams_.quiet && !replaying_) {
        Say(EscapeControlBytes(url) + ": " + std::string(kBlockedByRobots));
    }
}

void CliCrawlHost::LinksDropped(std::string_view url, std::size_t count) {
    // A page past its budget is hostile or broken, and such a site tends to have many: once is news.
    if (linksDroppedSaid_) {
        return;
    }
    linksDroppedSaid_ = true;
    Say(EscapeControlBytes(url) + ": " + std::to_string(count) + " links past the page budget of " +
        crawl::BudgetText(crawl::RunLimits{}.pageLinkBytes) + " dropped");
}

void CliCrawlHost::SitemapsRead(std::size_t files, std::size_t pages, const std::vector<std::string>& problems) {
    if (streams_.quiet || replaying_) {
        return;
    }
    // A hostile index may name hundreds of broken files: the first few tell the story.
    constexpr std::size_t kProblemsShown = 5;
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) {
        Say("sitemap " + EscapeControlBytes(problems[i]));
    }
    if (problems.size() > kProblemsShown) {
        Say("sitemaps: " + std::to_string(problems.size() - kProblemsShown) + " more problems");
    }
    Say("sitemaps: " + std::to_string(files) + (files == 1 ? " file" : " files") + " read, " + std::to_string(pages) +
        (pages == 1 ? " page" : " pages") + " of the site listed");
}

void CliCrawlHost::Say(std::string_view text) {
    ClearProgressLine();
    std::fprintf(streams_.err, "vortaxel-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(streams_.err);
}

std::string CliCrawlHost::TakeReport() {
    if (!report_) {
        return {};
    }
    std::string text = std::move(*report_).Finish();
    report_.reset();
    return text;
}

void CliCrawlHost::PageFound(std::size_t index, std::string_view found) {
    if (report_) {
        report_->Found(found);
    }
    if (replaying_) {
        return;
    }
    ClearProgressLine();
    if (streams_.out != nullptr) {
        streams_.out->WriteLine(EscapeControlBytes(found));
    }
    if (streams_.showProgress) {
        std::fprintf(streams_.err, "\rRetrieving URLs: %zu\033[K", index + 1);
        std::fflush(streams_.err);
        progressShown_ = true;
    }
}

void CliCrawlHost::FinishProgress() {
    if (progressShown_) {
        std::fputc('\n', streams_.err);
        std::fflush(streams_.err);
        progressShown_ = false;
    }
    if (failed_ != 0 && streams_.errIsTerminal && !streams_.quiet) {
        Say(std::to_string(failed_) + " of " + std::to_string(fetched_) + " pages failed");
    }
}

void CliCrawlHost::CheckForStop() const {
    if (stopCheck_) {
        stopCheck_();
    }
}

void CliCrawlHost::ClearProgressLine() {
    if (progressShown_) {
        std::fputs("\r\033[K", streams_.err);
        progressShown_ = false;
    }
}

} // namespace vortaxel::cli
