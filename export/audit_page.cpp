#include "audit_page.h"

#include "audit_charts.h"
#include "audit_issues.h"
#include "audit_keywords.h"
#include "audit_page_assets.h"
#include "audit_page_parts.h"
#include "audit_summary.h"
#include "page_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace vortaxel::audit {
namespace {

/// A fresh nonce per page lets only the page's own script run, whatever a site managed to put in it.
std::string ScriptNonce() {
    std::random_device random;
    constexpr char kHex[] = "0123456789abcdef";
    std::string nonce;
    for (int i = 0; i < 8; ++i) {
        const unsigned int word = random();
        for (int k = 0; k < 4; ++k) {
            nonce += kHex[(word >> (4U * static_cast<unsigned>(k))) & 0xFU];
        }
    }
    return nonce;
}

void AppendPageRow(DataWriter& w, const AuditPage& p) {
    w.Raw("[");
    w.Text(p.url);
    w.Raw(",");
    w.Raw(p.status ? std::to_string(*p.status) : "null");
    w.Raw(",");
    w.OwnAddress(p.finalUrl, p.url);
    w.Raw(",");
    w.Word(p.contentType);
    w.Raw(",");
    w.Text(p.error);
    w.Raw("," + std::to_string(p.depth));
    for (const std::string* text : {&p.title, &p.metaDescription, &p.h1}) {
        w.Raw(",");
        w.Text(*text);
    }
    w.Raw("," + std::to_string(p.h1Count) + ",");
    w.OwnAddress(p.canonical, p.url);
    w.Raw(",");
    w.Word(p.robots);
    w.Raw(",");
    w.Word(IndexabilityText(p.indexability));
    for (const std::uint64_t n : {p.wordCount, p.inlinks, p.outlinks}) {
        w.Raw("," + std::to_string(n));
    }
    w.Raw(",");
    w.Text(RedirectChainText(p.redirectChain));
    w.Raw(p.inSitemap ? ",1" : ",0");
    for (const std::uint64_t n : {p.elapsedMs, p.bytes, p.foundMs, p.imagesWithoutAlt}) {
        w.Raw("," + std::to_string(n));
    }
    w.Raw(",");
    w.Word(SitemapProblem(p));
    w.Raw("]");
}

void AppendLinkRow(DataWriter& w, const AuditLink& l) {
    DataRow row(w);
    row.Field().Address(l.source);
    row.Field().Address(l.target);
    row.Field().Text(l.anchor);
    row.Field().Word(l.element);
    row.Field().Word(l.rel);
    row.Field().Raw(l.follow ? "1" : "0");
    row.Field().Raw(l.targetStatus ? std::to_string(*l.targetStatus) : "null");
    row.Field().Text(l.targetError);
}

void AppendData(std::string& out, const AuditData& data, std::size_t mostLinks, PieceOut& pieces) {
    DataWriter w(out, data);
    w.Raw("{\"startUrl\":");
    w.Text(data.meta.startUrl);
    w.Raw(",\"pages\":[");
    bool first = true;
    for (const AuditPage& page : data.pages) {
        w.Raw(first ? "\n" : ",\n");
        first = false;
        AppendPageRow(w, page);
        pieces.Check();
    }
    w.Raw("],\"links\":[");
    first = true;
    std::size_t written = 0;
    // Broken links first, so that a cut never drops one the issues list needs.
    for (const bool brokenPass : {true, false}) {
        for (const AuditLink& link : data.links) {
            if (written == mostLinks) {
                break;
            }
            if (IsBrokenLink(link) != brokenPass) {
                continue;
            }
            w.Raw(first ? "\n" : ",\n");
            first = false;
            AppendLinkRow(w, link);
            pieces.Check();
            ++written;
        }
    }
    w.Raw("],\"linksTotal\":" + std::to_string(data.linksTotal.value_or(data.links.size())));
    w.Raw(",\"kinds\":{");
    for (const IssueKindInfo& kind : IssueKinds()) {
        w.Raw(kind.kind == IssueKind{} ? "" : ",");
        w.Text(kind.id);
        w.Raw(":[");
        w.Text(kind.title);
        w.Raw(",");
        w.Text(SeverityText(kind.severity));
        w.Raw("]");
    }
    w.Raw("},\"lengths\":[" + std::to_string(kTitleShortest) + "," + std::to_string(kTitleLongest) + "," +
          std::to_string(kDescriptionShortest) + "," + std::to_string(kDescriptionLongest) + "]");
    if (data.keywords) {
        AppendKeywordData(w, *data.keywords, pieces);
    }
    w.Words();
    w.Raw("}");
}

std::string DurationText(std::uint64_t ms, bool known = true) {
    if (!known) {
        return "not kept";
    }
    const std::uint64_t seconds = ms / 1000;
    if (seconds < 60) {
        return std::to_string(seconds) + '.' + std::to_string(ms % 1000 / 100) + " s";
    }
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

void AppendOverview(std::string& out, const AuditSummary& s, bool known, std::uint64_t links,
                    const std::optional<KeywordSection>& keywords) {
    out += "<section id=\"overview\"><h2>Overview</h2><div class=\"cards\">";
    Card(out, "ov-pages", s.pages, "Pages");
    Card(out, "ov-links", links, "Links");
    static constexpr std::array<std::string_view, 6> kClassIds = {"ov-none", "ov-1xx", "ov-2xx",
                                                                  "ov-3xx",  "ov-4xx", "ov-5xx"};
    static constexpr std::array<std::string_view, 6> kClassNames = {
        "No answer", "1xx", "2xx success", "3xx redirect", "4xx client error", "5xx server error"};
    for (std::size_t c = 1; c <= kClassIds.size(); ++c) {
        const std::size_t i = c % kClassIds.size(); // the no-answer count comes last
        Card(out, kClassIds.at(i), s.statusClasses.at(i), kClassNames.at(i), i == 0 || i >= 4);
    }
    Card(out, "ov-broken", s.brokenLinks, "Broken links", true);
    Card(out, "ov-broken-pages", s.pagesWithBrokenLinks, "Pages with broken links", true);
    Card(out, "ov-redirected", s.redirected, "Redirected pages");
    Card(out, "ov-chains", s.redirectChains, "Redirect chains", true);
    Card(out, "ov-orphans", s.orphans, "Orphan pages", true);
    Card(out, "ov-sitemap-errors", s.sitemapErrors, "Listed in a sitemap, not a page", true);
    Card(out, "ov-missing-titles", s.missingTitles, "Missing titles", true);
    Card(out, "ov-duplicate-titles", s.duplicateTitlePages, "Pages sharing a title", true);
    Card(out, "ov-missing-descriptions", s.missingDescriptions, "Missing descriptions", true);
    Card(out, "ov-duplicate-descriptions", s.duplicateDescriptionPages, "Pages sharing a description", true);
    out += "<div class=\"card\" id=\"ov-time\"><span class=\"num\">" + DurationText(s.durationMs, known) +
           "</span><span class=\"label\">Time taken</span></div></div><h2>Indexability</h2><div class=\"cards\">";
    for (std::size_t i = 0; i < kIndexabilityCount; ++i) {
        const std::string_view text = IndexabilityText(static_cast<Indexability>(i));
        std::string id = "ix-";
        for (const char c : text) {
            id += c == ' ' || c == '.' ? '-' : c;
        }
        Card(out, id, s.indexability.at(i), text, i != 0);
    }
    out += "</div>";
    if (keywords) {
        AppendKeywordOverview(out, *keywords);
    }
    out += "</section>";
}

void Figure(std::string& out, std::string_view caption, const std::string& svg) {
    out += "<figure><figcaption>";
    out += caption;
    out += "</figcaption>";
    out += svg;
    out += "</figure>";
}

void AppendAuditPage(std::string& out, const AuditData& data, std::size_t mostLinks, const PageSink* sink);

} // namespace

std::string BuildAuditPage(const AuditData& data, std::size_t mostLinks) {
    std::string out;
    out.reserve(4096 + data.pages.size() * 400 + std::min(data.links.size(), mostLinks) * 200);
    AppendAuditPage(out, data, mostLinks, nullptr);
    return out;
}

void StreamAuditPage(const AuditData& data, const PageSink& sink, std::size_t mostLinks) {
    std::string out;
    out.reserve(PieceOut::kPieceBytes + 4096);
    AppendAuditPage(out, data, mostLinks, &sink);
}

namespace {

void AppendAuditPage(std::string& out, const AuditData& data, std::size_t mostLinks, const PageSink* sink) {
    PieceOut pieces(out, sink);
    const AuditSummary summary = SummariseAudit(data);
    const std::string nonce = ScriptNonce();
    out += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
           "img-src data:; base-uri 'none'; form-action 'none'; script-src 'nonce-" +
           nonce +
           "'\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><meta name=\"referrer\" content=\"no-referrer\">"
           "<title>Site audit: ";
    AppendHtmlText(out, data.meta.startUrl);
    out += "</title><style>";
    out += kAuditPageStyle;
    out += "</style></head><body><header><h1>Site audit</h1><p id=\"start-url\">";
    AppendHtmlText(out, data.meta.startUrl);
    out += "</p><p class=\"meta\">";
    if (!data.meta.startedAt.empty()) {
        out += "Started ";
        AppendHtmlText(out, data.meta.startedAt);
        out += ", ";
    }
    if (!data.meta.rules.empty()) {
        AppendHtmlText(out, data.meta.rules);
        out += " rules, ";
    }
    out += (data.meta.durationKnown ? "took " + DurationText(data.meta.durationMs) : "time taken not kept") +
           "</p><nav><a href=\"#overview\">Overview</a><a href=\"#charts\">Charts</a><a href=\"#issues\">Issues</a>"
           "<a href=\"#pages\">Pages</a><a href=\"#links\">Links</a>";
    out += data.keywords ? "<a href=\"#keywords\">Keywords</a>" : "";
    out += data.content ? "<a href=\"#content\">Content</a>" : "";
    out += data.markup && data.markup->structuredData ? "<a href=\"#structured-data\">Structured data</a>" : "";
    out += data.markup && data.markup->hreflang ? "<a href=\"#hreflang\">hreflang</a>" : "";
    out += data.markup && data.markup->spelling ? "<a href=\"#spelling\">Spelling</a>" : "";
    out += "</nav></header><main>";
    AppendOverview(out, summary, data.meta.durationKnown, data.linksTotal.value_or(data.links.size()), data.keywords);
    out += "<section id=\"charts\"><h2>Charts</h2><div class=\"charts\">";
    Figure(out, "Status codes", StatusChartSvg(data));
    Figure(out, "Depth (clicks from the start)", DepthChartSvg(data));
    Figure(out, "Response time", ResponseTimeChartSvg(data));
    Figure(out, "Pages found over time", FoundOverTimeChartSvg(data));
    out += "</div></section><section id=\"issues\"><h2>Issues</h2><div id=\"issue-list\"></div></section>"
           "<section id=\"pages\"><h2>Pages</h2><div id=\"page-table\"></div></section>"
           "<section id=\"links\"><h2>Links</h2><p id=\"link-note\" class=\"note\"></p><div id=\"link-table\"></div>"
           "</section>";
    if (data.keywords) {
        AppendKeywordSection(out, *data.keywords);
    }
    if (data.content) {
        AppendContentSection(out, *data.content);
    }
    if (data.markup) {
        AppendContentAuditSections(out, *data.markup);
    }
    out += "</main>\n<script type=\"application/json\" id=\"audit-data\">";
    AppendData(out, data, mostLinks, pieces);
    out += "</script>\n<script nonce=\"" + nonce + "\">";
    out += kAuditPageScript;
    if (data.keywords) {
        out += kAuditPageKeywordScript;
    }
    out += kAuditPageScriptEnd;
    out += "</script></body></html>\n";
    pieces.Flush();
}

} // namespace

services::WriteResult WriteAuditPage(const AuditData& data, const std::string& path, services::FileWriter& files) {
    return files.Write(path, BuildAuditPage(data));
}

} // namespace vortaxel::audit
