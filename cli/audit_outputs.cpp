#include "cli/audit_outputs.h"

#include "analysis/phrase_file.h"
#include "cli/content_report.h"
#include "cli/render_columns.h"
#include "cli/report_output.h"
#include "export/audit_page.h"
#include "export/audit_summary.h"
#include "export/csv_field.h"
#include "export/keyphrase/keyword_map_csv.h"
#include "export/keyword_file.h"
#include "export/link_report.h"
#include "export/page_report.h"
#include "export/site_title_affixes.h"
#include "export/text_phrase.h"
#include "export/utf8.h"
#include "platform/atomic_file_writer.h"
#include "store/content/content_audit_queries.h"
#include "store/content/spelling_queries.h"
#include "store/crawl_files.h"
#include "store/read/audit_reader.h"
#include "store/read/page_text_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unistd.h>
#include <unordered_map>

namespace vortaxel::cli {

namespace {

constexpr std::string_view kAuditColumns = ",depth,title,meta_description,h1,h1_count,canonical,robots,indexability,"
                                           "lang,word_count,inlinks,outlinks,redirect_chain,in_sitemap";
// Rows of the links file built between two writes: the file never sits whole in memory.
constexpr std::size_t kLinkRowsPerWrite = 4096;

void AppendNumber(std::string& text, std::uint64_t number) {
    text += std::to_string(number);
}

std::string AuditFields(const store::AuditRow& row) {
    const audit::AuditPage& page = row.page;
    std::string fields;
    // A page's texts come as the site sent them; the report is UTF-8, so bytes that are not are replaced.
    const auto field = [&fields](std::string_view text) {
        fields += ',';
        keywords::AppendCsvField(fields, keywords::WellFormedUtf8(text));
    };
    const auto number = [&fields](std::uint64_t value) {
        fields += ',';
        AppendNumber(fields, value);
    };
    if (!row.listed) {
        // An address that is no page has no facts; what is known of it still is.
        fields += ",,,,,,";
        field(page.robots);
        field(audit::IndexabilityText(page.indexability));
        fields += ",,";
        number(page.inlinks);
        fields += ',';
    } else {
        if (page.depth >= 0) {
            number(static_cast<std::uint64_t>(page.depth));
        } else {
            fields += ',';
        }
        field(page.title);
        field(page.metaDescription);
        field(page.h1);
        number(static_cast<std::uint64_t>(page.h1Count));
        field(page.canonical);
        field(page.robots);
        field(audit::IndexabilityText(page.indexability));
        field(row.lang);
        number(page.wordCount);
        number(page.inlinks);
        number(page.outlinks);
    }
    std::string chain;
    for (const audit::RedirectHop& hop : page.redirectChain) {
        chain.append(chain.empty() ? "" : " -> ").append(std::to_string(hop.code)).append(" ").append(hop.url);
    }
    field(chain);
    field(page.inSitemap ? "yes" : "no");
    return fields;
}

/// Writes `path` by pieces through a file beside it, renamed over it at the end: all or nothing.
class PieceWriter {
public:
    explicit PieceWriter(const std::string& path) : path_(path), part_(path + ".part") {
        file_ = std::fopen(part_.c_str(), "wb");
        if (file_ == nullptr) {
            error_ = std::strerror(errno);
        }
    }
    ~PieceWriter() {
        if (file_ != nullptr) {
            std::fclose(file_);
            std::remove(part_.c_str());
        }
    }
    PieceWriter(const PieceWriter&) = delete;
    PieceWriter& operator=(const PieceWriter&) = delete;
    PieceWriter(PieceWriter&&) = delete;
    PieceWriter& operator=(PieceWriter&&) = delete;

    void Write(std::string_view bytes) {
        if (error_.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            error_ = std::strerror(errno);
        }
    }
    std::string Finish() {
        if (file_ == nullptr) {
            return error_;
        }
        const bool flushed = std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
        if (error_.empty() && !flushed) {
            error_ = std::strerror(errno);
        }
        std::fclose(file_);
        file_ = nullptr;
        if (error_.empty() && std::rename(part_.c_str(), path_.c_str()) != 0) {
            error_ = std::strerror(errno);
        }
        if (!error_.empty()) {
            std::remove(part_.c_str());
        }
        return error_;
    }

private:
    std::string path_;
    std::string part_;
    std::FILE* file_ = nullptr;
    std::string error_;
};

std::string WriteLinks(store::AuditReader& reader, const std::string& path, store::AuditSummaryCounter* summary,
                       bool rendered = false) {
    PieceWriter out(path);
    const std::string_view extra = rendered ? kLinkSeenInColumn : std::string_view();
    auto builder = std::make_unique<audit::LinkReportBuilder>(extra);
    bool first = true;
    const auto flush = [&] {
        std::string_view text = builder->Text();
        if (!first) {
            text.remove_prefix(audit::kLinkReportHeader.size() + extra.size() + 2);
        }
        out.Write(text);
        first = false;
        builder = std::make_unique<audit::LinkReportBuilder>(extra);
    };
    std::string error = reader.ForEachLinkRow([&](const store::AuditLinkRow& row) {
        if (summary != nullptr) {
            summary->AddLink(row);
        }
        builder->Add(row.link, rendered ? LinkSeenInField(row.seenIn) : std::string());
        if (builder->RowCount() >= kLinkRowsPerWrite) {
            flush();
        }
    });
    if (!error.empty()) {
        return error;
    }
    if (summary != nullptr) {
        summary->LinksComplete();
    }
    if (first || builder->RowCount() != 0) {
        flush();
    }
    return out.Finish();
}

std::string WriteReport(store::AuditReader& reader, const std::string& path, bool keyPhrases, bool rendered,
                        std::string& readError, store::AuditSummaryCounter* summary,
                        const app::ContentFindings& content, store::ContentAuditQueries* markup) {
    // Written as it grows, like the links file: a large site's report is never held whole.
    PieceWriter out(path);
    const std::string columns = std::string(kAuditColumns) +
                                (keyPhrases ? std::string(keyphrase::kReportKeyPhraseColumns) : std::string()) +
                                ContentReportColumns(content) +
                                (markup != nullptr ? audit::ContentAuditColumns(markup->Choices()) : std::string()) +
                                (rendered ? std::string(kReportRenderedColumns) : std::string()) +
                                (markup != nullptr ? audit::SpellingColumn(markup->Choices()) : std::string());
    keywords::PageReportBuilder builder(0, columns);
    readError = reader.ForEachRow(
        [&builder, &out, summary, keyPhrases, rendered, &content, markup](const store::AuditRow& row) {
            if (summary != nullptr) {
                summary->Add(row);
            }
            keywords::PageReportRow base;
            base.url = row.page.url;
            base.status = row.page.status;
            base.finalUrl = row.page.finalUrl;
            // What a server sent in its headers is as likely as a page's text to hold bytes that are no UTF-8.
            base.contentType = keywords::WellFormedUtf8(row.page.contentType);
            base.bytes = row.page.bytes;
            base.ms = row.page.elapsedMs;
            base.redirects = row.redirects;
            base.error = keywords::WellFormedUtf8(row.page.error);
            std::string fields = AuditFields(row);
            if (keyPhrases) {
                keyphrase::AppendReportKeyPhraseFields(fields, row.keyPhrases, row.metaKeywords);
            }
            AppendContentFields(fields, content, row.pageId);
            audit::ContentAuditCells cells;
            if (markup != nullptr) {
                cells = markup->For(row.pageId);
                audit::AppendContentAuditFields(fields, markup->Choices(), cells);
            }
            if (rendered) {
                AppendReportRenderedFields(fields, row.rendered);
            }
            if (markup != nullptr) {
                audit::AppendSpellingField(fields, markup->Choices(), cells);
            }
            builder.Add(base, fields);
            if (builder.RowCount() % kLinkRowsPerWrite == 0) {
                out.Write(builder.TakeText());
            }
        });
    if (!readError.empty()) {
        return {};
    }
    out.Write(builder.TakeText());
    return out.Finish();
}

/// Writes a file of the keyword map row by row: a 100,000-page site's map is a million rows.
template <typename Rows, typename AppendRow>
std::string WriteMapFile(const std::string& path, std::string_view header, const Rows& rows, AppendRow appendRow) {
    PieceWriter out(path);
    std::string text(header);
    text += "\r\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        appendRow(text, i, rows[i]);
        if ((i + 1) % kLinkRowsPerWrite == 0) {
            out.Write(text);
            text.clear();
        }
    }
    out.Write(text);
    return out.Finish();
}

/// The keyword file of every listed page, put in place whole; `reader`, for the target phrases, is the
/// audit's own.
std::string WriteKeywords(store::CrawlStore& store, store::AuditReader& reader, keywords::PhraseSource source,
                          const crawl::FoundList& found, const std::string& path) {
    std::vector<std::string_view> pages;
    pages.reserve(found.Count());
    for (std::size_t i = 0; i < found.Count(); ++i) {
        pages.push_back(found.Text(i));
    }
    std::string bytes;
    if (std::string error = source == keywords::PhraseSource::KeyPhrase
                                ? app::TargetPhraseFileBytes(reader, pages, bytes)
                                : app::PhraseFileBytes(store, source, pages, bytes);
        !error.empty()) {
        return error;
    }
    const services::WriteResult result = platform::WriteFileAtomically(path, bytes);
    return result ? std::string() : result.error;
}

} // namespace

std::unique_ptr<TemporaryCrawlFile> TemporaryCrawlFile::Make(std::string& error) {
    std::error_code ignored;
    std::string folder = std::filesystem::temp_directory_path(ignored).string();
    if (folder.empty()) {
        folder = "/tmp";
    }
    std::string name = folder + "/vortaxel-crawl-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "cannot make a temporary crawl database in " + folder + ": " + std::strerror(errno);
        return nullptr;
    }
    ::close(fd);
    return std::unique_ptr<TemporaryCrawlFile>(new TemporaryCrawlFile(std::move(name)));
}

TemporaryCrawlFile::~TemporaryCrawlFile() {
    Remove(path_);
}

void TemporaryCrawlFile::Remove(const std::string& path) {
    store::RemoveCrawlFile(path);
}

bool WantsAudit(const Options& options) {
    return options.rules == RuleSet::Browser && options.audit.WantsAudit(options.reportFile.has_value());
}

AuditWriteOutcome WriteAuditOutputs(store::CrawlStore& store, const Options& options, const crawl::FoundList& found,
                                    std::optional<std::chrono::milliseconds> took, const app::KeywordMap* map,
                                    const AuditGap* gap) {
    AuditWriteOutcome outcome;
    if (const std::string unavailable = store::AuditUnavailable(store); !unavailable.empty()) {
        outcome.failures.push_back(unavailable);
        return outcome;
    }
    if (std::string error = store::SpellingNotes(store, outcome.notes); !error.empty()) {
        outcome.failures.push_back(error);
    }
    const auto note = [&outcome](const std::string& path, const std::string& error) {
        if (!error.empty()) {
            outcome.failures.push_back("cannot write " + path + ": " + error);
        }
    };
    // The links go first when the crawl's addresses fit in memory: their pass counts the inlinks the report
    // shows, and the links need no index by target unless another output looks them up.
    store::AuditReader reader(store, false);
    const bool linksFirst = options.audit.linksFile && reader.HoldTargets();
    // The summary alone counts its pages as the report reads them, and its broken links as the links file does,
    // rather than reading them again.
    std::optional<store::AuditSummaryCounter> counter;
    if (!options.quiet && !options.audit.htmlFile && options.reportFile) {
        counter.emplace(store);
    }
    if (linksFirst) {
        note(*options.audit.linksFile,
             WriteLinks(reader, *options.audit.linksFile, counter ? &*counter : nullptr, options.render.render));
    }
    const bool phrasesLookUp = options.keywordsFile && options.audit.phrases != keywords::PhraseSource::Slug;
    if (!reader.InlinksCounted() || phrasesLookUp || options.audit.htmlFile) {
        reader.IndexLinks();
    }
    if (options.keywordsFile) {
        note(*options.keywordsFile, WriteKeywords(store, reader, options.audit.phrases, found, *options.keywordsFile));
    }
    if (map != nullptr && options.audit.keyphrasesFile) {
        note(*options.audit.keyphrasesFile,
             WriteMapFile(*options.audit.keyphrasesFile, keyphrase::kKeywordMapHeader, map->phrases,
                          [](std::string& text, std::size_t, const keyphrase::SitePhrase& phrase) {
                              keyphrase::AppendKeywordMapRow(text, phrase);
                          }));
    }
    if (map != nullptr && options.audit.clustersFile) {
        note(*options.audit.clustersFile,
             WriteMapFile(*options.audit.clustersFile, keyphrase::kClustersHeader, map->clusters,
                          [](std::string& text, std::size_t index, const keyphrase::Cluster& cluster) {
                              keyphrase::AppendClusterRows(text, index + 1, cluster);
                          }));
    }
    // The duplicate checks and the link score, worked out from the kept crawl for the outputs that show them.
    app::ContentFindings content;
    if (std::string error = options.reportFile || options.audit.htmlFile
                                ? app::WorkOutContentAudit(store, ContentChoicesOf(options), content)
                                : std::string();
        !error.empty()) {
        outcome.failures.push_back(error);
        content = app::ContentFindings{};
    }
    if (options.reportFile) {
        std::string readError;
        std::optional<store::ContentAuditQueries> markup;
        if (store.Settings().contentAudit.Any()) {
            markup.emplace(store);
            readError = markup->Prepare();
        }
        if (readError.empty()) {
            note(*options.reportFile,
                 WriteReport(reader, *options.reportFile, options.audit.keyPhrases, options.render.render, readError,
                             counter ? &*counter : nullptr, content, markup ? &*markup : nullptr));
        }
        if (!readError.empty()) {
            outcome.failures.push_back(readError);
            // Counted from part of the rows, the summary would be wrong: it reads them again.
            counter.reset();
        }
    }
    if (options.audit.linksFile && !linksFirst) {
        note(*options.audit.linksFile,
             WriteLinks(reader, *options.audit.linksFile, counter ? &*counter : nullptr, options.render.render));
    }
    if (options.audit.htmlFile) {
        // The page shows some of the links that are not broken as well.
        audit::AuditData data;
        if (std::string error = reader.Load(data, audit::kAuditPageMostLinks); !error.empty()) {
            outcome.failures.push_back(error);
            return outcome;
        }
        if (map != nullptr) {
            data.keywords = audit::KeywordSection{map->phrases, map->clusters, std::nullopt, {}, {}};
            if (gap != nullptr) {
                data.keywords->gap = gap->rows;
                data.keywords->theirStartUrl = gap->theirStartUrl;
                data.keywords->myStartUrl = gap->myStartUrl;
            }
        }
        data.content = ContentSectionOf(content);
        if (const crawl::ContentAuditChoices& markup = store.Settings().contentAudit;
            markup.structuredData || markup.hreflang || markup.spelling) {
            store::ContentAuditQueries queries(store);
            std::string error = queries.Prepare();
            if (error.empty()) {
                error = queries.FillSection(data.markup.emplace());
            }
            if (!error.empty()) {
                outcome.failures.push_back(error);
                return outcome;
            }
        }
        data.meta.durationKnown = took.has_value();
        data.meta.durationMs = took ? static_cast<std::uint64_t>(took->count()) : 0;
        // Written as it is made, like the links file: the page of a large site is never held whole.
        PieceWriter out(*options.audit.htmlFile);
        audit::StreamAuditPage(data, [&out](std::string_view piece) { out.Write(piece); });
        note(*options.audit.htmlFile, out.Finish());
        if (!options.quiet) {
            outcome.summary = audit::AuditSummaryText(audit::SummariseAudit(data));
        }
    } else if (!options.quiet) {
        audit::AuditSummary summary;
        if (std::string error = counter ? counter->Finish(summary) : reader.Summarise(summary); !error.empty()) {
            outcome.failures.push_back(error);
            return outcome;
        }
        outcome.summary = audit::AuditSummaryText(summary);
    }
    return outcome;
}

} // namespace vortaxel::cli
