#include "analysis/content_audit_pass.h"

#include "export/audit_data.h"
#include "export/content/link_score.h"
#include "export/content/near_duplicates.h"
#include "store/read/content_queries.h"
#include "text/text_print.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace vortaxel::app {

namespace {

bool Indexable(const store::PrintedPage& page) {
    return !audit::RobotsSayNoindex(page.metaRobots) && !audit::RobotsSayNoindex(page.robotsTag) &&
           (page.canonical.empty() || page.canonical == page.url);
}

void KeepUrl(ContentFindings& findings, std::int64_t pageId, std::string_view url) {
    const auto at = static_cast<std::size_t>(pageId);
    if (findings.urls.size() <= at) {
        findings.urls.resize(at + 1);
    }
    findings.urls[at] = url;
}

/// A page's shingles once the site's boilerplate blocks are left out.
std::vector<std::uint64_t> OwnShingles(std::string_view blocks, const std::vector<std::uint64_t>& boilerplate,
                                       std::vector<text::PrintedBlock>& decoded) {
    text::DecodePrint(blocks, decoded);
    std::vector<std::uint32_t> words;
    for (const text::PrintedBlock& block : decoded) {
        if (!std::binary_search(boilerplate.begin(), boilerplate.end(), block.hash)) {
            words.insert(words.end(), block.words.begin(), block.words.end());
        }
    }
    return content::Shingles(words);
}

std::string FindDuplicates(store::CrawlStore& store, const ContentAuditChoices& choices, ContentFindings& findings) {
    store::ContentQueries queries(store);
    std::unordered_map<std::uint64_t, std::int64_t> firstWithText;
    std::vector<std::uint64_t> pageBlocks;
    std::vector<std::uint64_t> ownBlocks;
    std::vector<text::PrintedBlock> decoded;
    std::size_t compared = 0;
    std::string error = queries.ForEachPrint([&](const store::PrintedPage& page) {
        PageContentFinding& finding = findings.pages[static_cast<std::size_t>(page.pageId)];
        finding.printed = true;
        finding.wordCount = page.wordCount;
        finding.thin = page.wordCount < choices.thinWords;
        KeepUrl(findings, page.pageId, page.url);
        if (!Indexable(page)) {
            return;
        }
        finding.compared = true;
        if (page.textHash != 0) {
            const auto [first, isNew] = firstWithText.emplace(page.textHash, page.pageId);
            if (!isNew) {
                finding.duplicateOf = first->second;
                return;
            }
        }
        ++compared;
        text::DecodePrint(page.blocks, decoded);
        ownBlocks.clear();
        for (const text::PrintedBlock& block : decoded) {
            ownBlocks.push_back(block.hash);
        }
        std::sort(ownBlocks.begin(), ownBlocks.end());
        ownBlocks.erase(std::unique(ownBlocks.begin(), ownBlocks.end()), ownBlocks.end());
        pageBlocks.insert(pageBlocks.end(), ownBlocks.begin(), ownBlocks.end());
    });
    if (!error.empty()) {
        return error;
    }
    firstWithText = {};
    const std::vector<std::uint64_t> boilerplate = content::BoilerplateBlocks(std::move(pageBlocks), compared);
    const double threshold = choices.nearPercent / 100.0;
    content::NearDuplicateFinder finder(threshold);
    const auto isCompared = [&findings](std::int64_t pageId) {
        const PageContentFinding& finding = findings.pages[static_cast<std::size_t>(pageId)];
        return finding.compared && finding.duplicateOf == 0;
    };
    error = queries.ForEachPrint([&](const store::PrintedPage& page) {
        if (isCompared(page.pageId)) {
            finder.Add(static_cast<std::uint32_t>(page.pageId), OwnShingles(page.blocks, boilerplate, decoded));
        }
    });
    if (!error.empty()) {
        return error;
    }
    const auto candidates = finder.Candidates();
    // Only the pages of a candidate pair are measured, and their shingles held while they are.
    std::unordered_set<std::uint32_t> involved;
    for (const auto& [a, b] : candidates) {
        involved.insert(a);
        involved.insert(b);
    }
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> shingles;
    error = queries.ForEachPrint([&](const store::PrintedPage& page) {
        if (involved.contains(static_cast<std::uint32_t>(page.pageId))) {
            shingles.emplace(static_cast<std::uint32_t>(page.pageId), OwnShingles(page.blocks, boilerplate, decoded));
        }
    });
    if (!error.empty()) {
        return error;
    }
    const auto better = [&findings](std::uint32_t page, std::uint32_t other, double similarity) {
        PageContentFinding& finding = findings.pages[page];
        // Ties go to the page found first.
        if (similarity > finding.similarity ||
            (similarity == finding.similarity && finding.nearDuplicateOf > static_cast<std::int64_t>(other))) {
            finding.similarity = similarity;
            finding.nearDuplicateOf = other;
        }
    };
    for (const auto& [a, b] : candidates) {
        const double similarity = content::Similarity(shingles[a], shingles[b]);
        if (similarity >= threshold - 1e-12) {
            better(a, b, similarity);
            better(b, a, similarity);
        }
    }
    return {};
}

std::string ScoreLinks(store::CrawlStore& store, ContentFindings& findings) {
    store::ContentQueries queries(store);
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> nodeOf(findings.pages.size(), kNone);
    std::unordered_map<std::string, std::uint32_t> pageByAddress;
    std::string error = queries.ForEachPageAddress([&](std::int64_t pageId, std::string_view url) {
        nodeOf[static_cast<std::size_t>(pageId)] = 0;
        pageByAddress.emplace(std::string(url), static_cast<std::uint32_t>(pageId));
        if (findings.UrlOf(pageId).empty()) {
            KeepUrl(findings, pageId, url);
        }
    });
    if (!error.empty()) {
        return error;
    }
    // Nodes in the order of page ids, as the links come.
    std::vector<std::int64_t> pageOfNode;
    for (std::size_t id = 0; id < nodeOf.size(); ++id) {
        if (nodeOf[id] != kNone) {
            nodeOf[id] = static_cast<std::uint32_t>(pageOfNode.size());
            pageOfNode.push_back(static_cast<std::int64_t>(id));
        }
    }
    content::LinkGraph graph;
    graph.offsets.assign(pageOfNode.size() + 1, 0);
    std::uint32_t filled = 0;
    error = queries.ForEachFollowedLink([&](std::int64_t pageId, std::string_view target) {
        // A link of no page the file holds (damage) passes nothing.
        if (pageId <= 0 || static_cast<std::size_t>(pageId) >= nodeOf.size()) {
            return;
        }
        const std::uint32_t from = nodeOf[static_cast<std::size_t>(pageId)];
        const auto to = pageByAddress.find(std::string(target));
        if (from == kNone || to == pageByAddress.end()) {
            return;
        }
        while (filled < from) {
            graph.offsets[++filled] = static_cast<std::uint32_t>(graph.targets.size());
        }
        graph.targets.push_back(nodeOf[to->second]);
        graph.offsets[from + 1] = static_cast<std::uint32_t>(graph.targets.size());
    });
    if (!error.empty()) {
        return error;
    }
    while (filled < pageOfNode.size()) {
        graph.offsets[++filled] = static_cast<std::uint32_t>(graph.targets.size());
    }
    pageByAddress = {};
    const std::vector<double> scores = content::LinkScores(content::PageRanks(graph));
    for (std::size_t node = 0; node < scores.size(); ++node) {
        findings.pages[static_cast<std::size_t>(pageOfNode[node])].linkScore = scores[node];
    }
    return {};
}

} // namespace

ContentAuditChoices KeptContentChoices(const store::CrawlSettings& settings) {
    ContentAuditChoices choices;
    choices.duplicates = settings.duplicates;
    choices.nearPercent = settings.nearPercent;
    choices.thinWords = static_cast<std::uint64_t>(settings.thinWords);
    choices.linkScore = settings.linkScore;
    return choices;
}

std::string WorkOutContentAudit(store::CrawlStore& store, const ContentAuditChoices& choices,
                                ContentFindings& findings) {
    findings = ContentFindings{};
    findings.duplicates = choices.duplicates;
    findings.linkScore = choices.linkScore;
    if (store.Settings().rules != crawl::RuleSet::Browser || (!choices.duplicates && !choices.linkScore)) {
        return {};
    }
    std::int64_t lastId = 0;
    if (std::string error = store::ContentQueries(store).LastPageId(lastId); !error.empty()) {
        return error;
    }
    findings.pages.resize(static_cast<std::size_t>(lastId) + 1);
    if (choices.duplicates) {
        if (std::string missing = store::MissingTextPrints(store); !missing.empty()) {
            return missing;
        }
        if (std::string error = FindDuplicates(store, choices, findings); !error.empty()) {
            return error;
        }
    }
    return choices.linkScore ? ScoreLinks(store, findings) : std::string();
}

} // namespace vortaxel::app
