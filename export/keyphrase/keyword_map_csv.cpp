#include "export/keyphrase/keyword_map_csv.h"

#include "export/csv_field.h"
#include "export/utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace vortaxel::keyphrase {

namespace {

void AppendField(std::string& text, std::string_view field) {
    keywords::AppendCsvField(text, keywords::WellFormedUtf8(field));
}

void AppendNumberField(std::string& text, std::uint64_t number) {
    text += ',';
    text += std::to_string(number);
}

void AppendScoreField(std::string& text, double score) {
    text += ',';
    AppendScore(text, score);
}

// A phrase inside the key phrases cell: what would split it apart, or act on a terminal, is a blank.
std::string CellPhrase(std::string_view phrase) {
    std::string cleaned(phrase);
    std::replace_if(
        cleaned.begin(), cleaned.end(),
        [](char byte) { return byte == ';' || static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F; }, ' ');
    return cleaned;
}

std::string JoinedPages(const std::vector<std::string>& pages) {
    std::string joined;
    for (const std::string& page : pages) {
        if (!joined.empty()) {
            joined += ' ';
        }
        for (const char byte : page) {
            if (byte == ' ') {
                joined += "%20";
            } else {
                joined += byte;
            }
        }
    }
    return joined;
}

} // namespace

void AppendScore(std::string& text, double score) {
    if (!std::isfinite(score)) {
        score = 0;
    }
    // to_chars never looks at the locale: a German desktop still gets a point.
    std::array<char, 64> digits{};
    const auto written =
        std::to_chars(digits.data(), digits.data() + digits.size(), score, std::chars_format::fixed, kScoreDecimals);
    if (written.ec != std::errc()) {
        // Only a score past 10^60 is that long; no ranking gives one.
        text += "0.000";
        return;
    }
    text.append(digits.data(), written.ptr);
}

std::string KeyPhrasesCell(std::span<const KeyPhrase> phrases) {
    std::string cell;
    for (std::size_t i = 0; i < phrases.size() && i < kKeyPhrasesPerPage; ++i) {
        if (i != 0) {
            cell += ';';
        }
        cell += CellPhrase(phrases[i].phrase);
        cell += ':';
        AppendScore(cell, phrases[i].score);
    }
    return cell;
}

void AppendReportKeyPhraseFields(std::string& fields, std::span<const KeyPhrase> phrases,
                                 std::string_view metaKeywords) {
    fields += ',';
    AppendField(fields, phrases.empty() ? std::string_view() : std::string_view(phrases.front().phrase));
    fields += ',';
    AppendField(fields, KeyPhrasesCell(phrases));
    fields += ',';
    AppendField(fields, metaKeywords);
}

void AppendKeywordMapRow(std::string& text, const SitePhrase& phrase) {
    AppendField(text, phrase.phrase);
    AppendScoreField(text, phrase.score);
    AppendNumberField(text, phrase.pages);
    AppendNumberField(text, phrase.inTitles);
    AppendNumberField(text, phrase.inH1);
    AppendNumberField(text, phrase.inAnchors);
    text += ',';
    AppendField(text, phrase.bestPage);
    text += ',';
    AppendField(text, JoinedPages(phrase.competingPages));
    text += ',';
    AppendField(text, phrase.lang);
    text += "\r\n";
}

std::string KeywordMapCsv(std::span<const SitePhrase> phrases) {
    std::string text(kKeywordMapHeader);
    text += "\r\n";
    for (const SitePhrase& phrase : phrases) {
        AppendKeywordMapRow(text, phrase);
    }
    return text;
}

void AppendClusterRows(std::string& text, std::size_t number, const Cluster& cluster) {
    for (const std::string& page : cluster.pages) {
        text += std::to_string(number);
        text += ',';
        AppendField(text, cluster.name);
        text += ',';
        AppendField(text, cluster.hub);
        AppendNumberField(text, cluster.pages.size());
        text += ',';
        AppendField(text, page);
        text += "\r\n";
    }
}

std::string ClustersCsv(std::span<const Cluster> clusters) {
    std::string text(kClustersHeader);
    text += "\r\n";
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        AppendClusterRows(text, i + 1, clusters[i]);
    }
    return text;
}

std::string KeywordGapLine(const GapRow& row) {
    std::string line;
    AppendField(line, row.phrase);
    line += ',';
    if (row.status != "only mine") {
        AppendScore(line, row.theirsScore);
    }
    line += ',';
    if (row.status != "gap") {
        AppendScore(line, row.mineScore);
    }
    line += ',';
    AppendField(line, row.status);
    line += ',';
    AppendField(line, row.theirBestPage);
    line += ',';
    AppendField(line, row.myBestPage);
    return line;
}

} // namespace vortaxel::keyphrase
