#include "audit_keywords.h"

#include "audit_charts.h"
#include "page_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vortaxel::audit {
namespace {

using keyphrase::Cluster;
using keyphrase::GapRow;
using keyphrase::SitePhrase;

constexpr std::array<std::string_view, 3> kGapStatuses = {"gap", "shared", "only mine"};

std::size_t Cannibalised(const KeywordSection& keywords) {
    return static_cast<std::size_t>(std::count_if(keywords.phrases.begin(), keywords.phrases.end(),
                                                  [](const SitePhrase& p) { return !p.competingPages.empty(); }));
}

std::size_t WithStatus(const std::vector<GapRow>& rows, std::string_view status) {
    return static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [&](const GapRow& row) { return row.status == status; }));
}

/// Says that a list shows only its head, when it does.
void CutNote(std::string& out, std::string_view id, std::size_t shown, std::size_t total, std::string_view what) {
    if (shown >= total) {
        return;
    }
    out += "<p id=\"";
    out += id;
    out += "\" class=\"note\">Showing the first " + std::to_string(shown) + " of " + std::to_string(total) + ' ';
    out += what;
    out += "; the keyword map's files hold them all.</p>";
}

/// At most kKeywordListedPages of `pages`, as addresses.
void PageList(DataWriter& w, const std::vector<std::string>& pages) {
    w.Raw("[");
    const std::size_t listed = std::min(pages.size(), kKeywordListedPages);
    for (std::size_t i = 0; i < listed; ++i) {
        w.Raw(i == 0 ? "" : ",");
        w.Address(pages[i]);
    }
    w.Raw("],");
    w.Number(pages.size());
}

void PhraseRow(DataWriter& w, std::size_t rank, const SitePhrase& p) {
    DataRow row(w);
    row.Field().Number(rank);
    row.Field().Text(p.phrase);
    row.Field().Raw(ScoreText(p.score));
    for (const std::uint32_t n : {p.pages, p.inTitles, p.inH1, p.inAnchors}) {
        row.Field().Number(n);
    }
    row.Field().Address(p.bestPage);
    PageList(row.Field(), p.competingPages);
    row.Field().Word(p.lang);
}

void ClusterRow(DataWriter& w, const Cluster& c) {
    DataRow row(w);
    row.Field().Text(c.name);
    row.Field().Address(c.hub);
    PageList(row.Field(), c.pages);
}

void GapDataRow(DataWriter& w, const GapRow& gap) {
    DataRow row(w);
    row.Field().Text(gap.phrase);
    row.Field().Raw(ScoreText(gap.theirsScore));
    row.Field().Raw(ScoreText(gap.mineScore));
    row.Field().Word(gap.status);
    row.Field().Address(gap.theirBestPage);
    row.Field().Address(gap.myBestPage);
}

} // namespace

void AppendKeywordOverview(std::string& out, const KeywordSection& keywords) {
    out += "<h2>Keywords</h2><div class=\"cards\">";
    Card(out, "kw-phrases", keywords.phrases.size(), "Key phrases");
    Card(out, "kw-cannibalised", Cannibalised(keywords), "Cannibalised phrases", true);
    Card(out, "kw-clusters", keywords.clusters.size(), "Topic clusters");
    if (keywords.gap) {
        Card(out, "kw-gaps", WithStatus(*keywords.gap, "gap"), "Keyword gaps", true);
    }
    out += "</div>";
}

void AppendKeywordSection(std::string& out, const KeywordSection& keywords) {
    const std::size_t phrases = keywords.phrases.size();
    const std::size_t cannibalised = Cannibalised(keywords);
    out += "<section id=\"keywords\"><h2>Keywords</h2><p id=\"kw-note\" class=\"note\">" + std::to_string(phrases) +
           (phrases == 1 ? " phrase" : " phrases") + " across the site, ranked by site score.</p>";
    CutNote(out, "kw-cut", std::min(phrases, kKeywordTableRows), phrases, "phrases");
    if (phrases > 0) {
        const std::span<const SitePhrase> top(keywords.phrases.data(), std::min(phrases, kKeywordChartBars));
        out += "<div class=\"charts\"><figure><figcaption>Top " + std::to_string(top.size()) +
               " phrases by score</figcaption>" + KeywordChartSvg(top) + "</figure></div>";
    }
    out += "<h3>Key phrases</h3><div id=\"keyword-table\"></div><h3>Cannibalised phrases</h3><p class=\"note\">"
           "phrases that are the target of more than one page: the page that targets each most strongly, and the "
           "others competing with it</p>";
    CutNote(out, "cannibal-cut", std::min(cannibalised, kKeywordListRows), cannibalised, "cannibalised phrases");
    out += "<div id=\"cannibal-table\"></div><h3>Topic clusters</h3><p class=\"note\">pages that share key phrases, "
           "each cluster named by its strongest phrase; its hub is the page its other pages link to most</p>";
    CutNote(out, "cluster-cut", std::min(keywords.clusters.size(), kKeywordListRows), keywords.clusters.size(),
            "clusters");
    out += "<div id=\"cluster-table\"></div>";
    if (keywords.gap) {
        out += "<h3>Keyword gap</h3><p id=\"gap-sites\" class=\"note\">Theirs: <span id=\"gap-theirs\">";
        AppendHtmlText(out, keywords.theirStartUrl);
        out += "</span>, mine: <span id=\"gap-mine\">";
        AppendHtmlText(out, keywords.myStartUrl);
        out += "</span>. A gap is a phrase they target and you do not; what you are missing comes first.</p>";
        for (const std::string_view status : kGapStatuses) {
            const std::size_t total = WithStatus(*keywords.gap, status);
            CutNote(out, "gap-cut-" + std::string(status == "only mine" ? "mine" : status),
                    std::min(total, kKeywordListRows), total, "rows of status \"" + std::string(status) + '"');
        }
        out += "<div id=\"gap-table\"></div>";
    }
    out += "</section>";
}

void AppendKeywordData(DataWriter& w, const KeywordSection& keywords, PieceOut& pieces) {
    w.Raw(",\"keywords\":{\"tableRows\":");
    w.Number(std::min(keywords.phrases.size(), kKeywordTableRows));
    // The table's head and the cannibalised phrases (which may rank past it), each row once, in rank order.
    w.Raw(",\"phrases\":[");
    bool first = true;
    std::size_t cannibalised = 0;
    for (std::size_t i = 0; i < keywords.phrases.size(); ++i) {
        const SitePhrase& phrase = keywords.phrases[i];
        const bool listedAsCannibalised = !phrase.competingPages.empty() && cannibalised < kKeywordListRows;
        cannibalised += listedAsCannibalised ? 1 : 0;
        if (i >= kKeywordTableRows && !listedAsCannibalised) {
            if (cannibalised == kKeywordListRows) {
                break;
            }
            continue;
        }
        w.Raw(first ? "\n" : ",\n");
        first = false;
        PhraseRow(w, i + 1, phrase);
        pieces.Check();
    }
    w.Raw("],\"clusters\":[");
    const std::size_t clusters = std::min(keywords.clusters.size(), kKeywordListRows);
    for (std::size_t i = 0; i < clusters; ++i) {
        w.Raw(i == 0 ? "\n" : ",\n");
        ClusterRow(w, keywords.clusters[i]);
        pieces.Check();
    }
    w.Raw("]");
    if (keywords.gap) {
        // The head of each status, so that filtering by one still shows rows when the others are long.
        w.Raw(",\"gap\":[");
        std::array<std::size_t, kGapStatuses.size() + 1> written{};
        first = true;
        for (const GapRow& row : *keywords.gap) {
            const auto status = static_cast<std::size_t>(
                std::find(kGapStatuses.begin(), kGapStatuses.end(), row.status) - kGapStatuses.begin());
            if (written.at(status) == kKeywordListRows) {
                continue;
            }
            ++written.at(status);
            w.Raw(first ? "\n" : ",\n");
            first = false;
            GapDataRow(w, row);
            pieces.Check();
        }
        w.Raw("]");
    }
    w.Raw("}");
}

} // namespace vortaxel::audit
