// The keyword map from the command line: the report's key phrase columns, the map and its clusters, the
// target phrase keyword file, and the gap between two kept crawls with the ways it is refused.

#include "tests/cli/cli_outcome.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

/// Phrases are written in their most frequent spelling; the tests look them up in lower case.
std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

/// The CSV's rows as name -> value maps, keyed by the first column in lower case; the fields here hold no
/// quotes or commas.
std::map<std::string, std::map<std::string, std::string>> RowsByFirst(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    std::map<std::string, std::map<std::string, std::string>> rows;
    if (lines.empty()) {
        return rows;
    }
    const std::vector<std::string> header = Fields(lines[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Fields(lines[i]);
        std::map<std::string, std::string> row;
        for (std::size_t j = 0; j < header.size() && j < fields.size(); ++j) {
            row[header[j]] = fields[j];
        }
        rows[Lower(fields[0])] = row;
    }
    return rows;
}

constexpr const char* kNav = "<nav><a href=/>Home</a> <a href=/blue-widgets.html>Shop</a> "
                             "<a href=/red-gadgets.html>Store</a> <a href=/about.html>About us</a></nav>";

/// A small shop: one page about blue widgets, one about red gadgets, the same navigation on every page.
void ServeShop(LoopbackSite& site) {
    site.ServeHtml("/", std::string("<html lang=en><title>Welcome</title>") + kNav +
                            "<p>We sell <a href=/blue-widgets.html>blue widgets</a> and "
                            "<a href=/red-gadgets.html>red gadgets</a>.</p></html>");
    site.ServeHtml(
        "/blue-widgets.html",
        std::string("<html lang=en><title>Blue widgets</title><meta name=keywords content='widget, cheap'>") + kNav +
            "<h1>Blue widgets</h1><p>Our blue widgets are made of steel. Every blue widget is tested. "
            "Blue widgets last for years, and blue widgets come in three sizes.</p></html>");
    site.ServeHtml("/red-gadgets.html", std::string("<html lang=en><title>Red gadgets</title>") + kNav +
                                            "<h1>Red gadgets</h1><p>Red gadgets light up. A red gadget runs on "
                                            "batteries. Red gadgets are sold in pairs.</p></html>");
    site.ServeHtml("/about.html", std::string("<html lang=en><title>About us</title>") + kNav +
                                      "<h1>About us</h1><p>A family shop since 1990.</p></html>");
}

/// A rival that also sells blue widgets, and green sprockets that the shop does not.
void ServeRival(LoopbackSite& site) {
    site.ServeHtml("/", "<html lang=en><title>Rival</title><a href=/blue-widgets.html>Blue widgets</a> "
                        "<a href=/green-sprockets.html>Green sprockets</a></html>");
    site.ServeHtml("/blue-widgets.html", "<html lang=en><title>Blue widgets</title><h1>Blue widgets</h1>"
                                         "<p>Blue widgets for everyone. Blue widgets on sale.</p></html>");
    site.ServeHtml("/green-sprockets.html", "<html lang=en><title>Green sprockets</title><h1>Green sprockets</h1>"
                                            "<p>Green sprockets turn. Green sprockets never rust.</p></html>");
}

class KeywordMap : public ::testing::Test {
protected:
    void SetUp() override { ServeShop(site_); }
    std::string U(const std::string& target) const { return site_.Url(target); }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"keyword-map"};
};

TEST_F(KeywordMap, ReportGainsKeyPhraseColumnsOnlyWithTheSwitch) {
    const Outcome plain = RunCli({"--quiet", "--rules", "browser", "--report", Path("plain.csv"), U("/")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    const Outcome keyed =
        RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--report", Path("keyed.csv"), U("/")});
    ASSERT_EQ(keyed.code, 0) << keyed.err;
    EXPECT_EQ(keyed.out, plain.out);

    const std::vector<std::string> plainLines = Lines(ReadFile(Path("plain.csv")));
    const std::vector<std::string> keyedLines = Lines(ReadFile(Path("keyed.csv")));
    ASSERT_EQ(plainLines.size(), keyedLines.size());
    EXPECT_EQ(plainLines[0].find("key_phrases"), std::string::npos);
    EXPECT_EQ(keyedLines[0], plainLines[0] + ",target_phrase,key_phrases,meta_keywords");
    // Today's columns stay as they were (the ms column aside, which the clock writes); the new ones follow.
    const auto rows = RowsByFirst(ReadFile(Path("keyed.csv")));
    const auto& widgets = rows.at(U("/blue-widgets.html"));
    EXPECT_EQ(Lower(widgets.at("target_phrase")), "blue widgets") << ReadFile(Path("keyed.csv"));
    EXPECT_TRUE(Lower(widgets.at("key_phrases")).starts_with("blue widgets:")) << widgets.at("key_phrases");
    EXPECT_EQ(widgets.at("meta_keywords"), "\"widget");
    EXPECT_EQ(Lower(rows.at(U("/red-gadgets.html")).at("target_phrase")), "red gadgets");
}

TEST_F(KeywordMap, MapAndClustersFromTheLiveRunEqualThoseReadOffline) {
    const Outcome live = RunCli({"--quiet", "--rules", "browser", "--db", Path("shop.db"), "--keyphrases",
                                 Path("live.csv"), "--clusters", Path("clusters.csv"), U("/")});
    ASSERT_EQ(live.code, 0) << live.err;
    const std::string map = ReadFile(Path("live.csv"));
    const std::vector<std::string> lines = Lines(map);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "phrase,score,pages,in_titles,in_h1,in_anchors,best_page,competing_pages,lang");
    const auto rows = RowsByFirst(map);
    ASSERT_TRUE(rows.contains("blue widgets")) << map;
    EXPECT_EQ(rows.at("blue widgets").at("best_page"), U("/blue-widgets.html"));
    EXPECT_EQ(rows.at("blue widgets").at("lang"), "en");
    EXPECT_EQ(rows.at("red gadgets").at("best_page"), U("/red-gadgets.html"));
    EXPECT_EQ(Lines(ReadFile(Path("clusters.csv")))[0], "cluster,name,hub,pages,page");
    // Scores are written with three decimals.
    const std::string score = rows.at("blue widgets").at("score");
    ASSERT_GE(score.size(), 5U);
    EXPECT_EQ(score[score.size() - 4], '.') << score;

    site_.ClearRequests();
    const Outcome offline = RunCli({"--quiet", "--db", Path("shop.db"), "--offline", "--keyphrases",
                                    Path("offline.csv"), "--clusters", Path("offline-clusters.csv")});
    ASSERT_EQ(offline.code, 0) << offline.err;
    EXPECT_EQ(ReadFile(Path("offline.csv")), map);
    EXPECT_EQ(ReadFile(Path("offline-clusters.csv")), ReadFile(Path("clusters.csv")));
    EXPECT_TRUE(site_.Targets().empty());
}

TEST_F(KeywordMap, AuditPageHasAKeywordSectionOnlyWithKeyPhrases) {
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--html", Path("plain.html"), U("/")}).code, 0);
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--html", Path("keyed.html"), U("/")}).code, 0);
    EXPECT_EQ(ReadFile(Path("plain.html")).find("<section id=\"keywords\">"), std::string::npos);
    const std::string keyed = ReadFile(Path("keyed.html"));
    EXPECT_NE(keyed.find("<section id=\"keywords\">"), std::string::npos);
    EXPECT_NE(Lower(keyed).find("blue widgets"), std::string::npos);
}

TEST_F(KeywordMap, KeywordFileTakesEachPagesTargetPhrase) {
    const Outcome run =
        RunCli({"--quiet", "--rules", "browser", "--phrases", "keyphrase", "--keywords", Path("k.txt"), U("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string file = Lower(ReadFile(Path("k.txt")));
    EXPECT_NE(file.find("blue widgets\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("red gadgets\r\n"), std::string::npos) << file;
    EXPECT_TRUE(file.ends_with("\r\n"));
    // One line a page at most, in the found list's order.
    EXPECT_LE(Lines(file).size(), Lines(run.out).size());
    EXPECT_LT(file.find("blue widgets"), file.find("red gadgets"));
}

TEST_F(KeywordMap, GapSaysWhatTheRivalTargetsAndTheShopDoesNot) {
    LoopbackSite rival;
    ServeRival(rival);
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--db", Path("mine.db"), U("/")}).code, 0);
    ASSERT_EQ(
        RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--db", Path("theirs.db"), rival.Url("/")}).code, 0);
    const Outcome gap = RunCli({"--db", Path("theirs.db"), "--gap", Path("mine.db")});
    ASSERT_EQ(gap.code, 0) << gap.err;
    const std::vector<std::string> lines = Lines(gap.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "phrase,theirs_score,mine_score,status,their_best_page,my_best_page");
    const auto rows = RowsByFirst(gap.out);
    ASSERT_TRUE(rows.contains("green sprockets")) << gap.out;
    EXPECT_EQ(rows.at("green sprockets").at("status"), "gap");
    EXPECT_EQ(rows.at("green sprockets").at("mine_score"), "");
    EXPECT_EQ(rows.at("green sprockets").at("their_best_page"), rival.Url("/green-sprockets.html"));
    EXPECT_EQ(rows.at("blue widgets").at("status"), "shared");
    EXPECT_EQ(rows.at("blue widgets").at("my_best_page"), U("/blue-widgets.html"));
    EXPECT_EQ(rows.at("red gadgets").at("status"), "only mine");
    EXPECT_EQ(rows.at("red gadgets").at("theirs_score"), "");
    // What the shop is missing comes first.
    EXPECT_EQ(Fields(lines[1])[3], "gap");
}

TEST_F(KeywordMap, AuditPageOfTheirCrawlCarriesTheGapWhenMineIsGiven) {
    LoopbackSite rival;
    ServeRival(rival);
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--db", Path("mine.db"), U("/")}).code, 0);
    ASSERT_EQ(
        RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--db", Path("theirs.db"), rival.Url("/")}).code, 0);
    const Outcome csvOnly = RunCli({"--db", Path("theirs.db"), "--gap", Path("mine.db")});
    ASSERT_EQ(csvOnly.code, 0) << csvOnly.err;
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool gap;
    } rows[] = {
        {"with the gap", {"--db", Path("theirs.db"), "--gap", Path("mine.db")}, true},
        {"their crawl alone", {"--db", Path("theirs.db"), "--offline"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string page = Path("page.html");
        std::filesystem::remove(page);
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--html", page});
        const Outcome run = RunCli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const std::string html = ReadFile(page);
        ASSERT_NE(html.find("<section id=\"keywords\">"), std::string::npos);
        EXPECT_EQ(html.find("<div id=\"gap-table\"></div>") != std::string::npos, row.gap);
        const std::size_t data = html.find("\"gap\":[");
        ASSERT_EQ(data != std::string::npos, row.gap);
        if (!row.gap) {
            continue;
        }
        // Standard output is the same CSV as without the page.
        EXPECT_EQ(run.out, csvOnly.out);
        EXPECT_NE(html.find("<span id=\"gap-theirs\">" + rival.Url("/") + "</span>"), std::string::npos);
        EXPECT_NE(html.find("<span id=\"gap-mine\">" + U("/") + "</span>"), std::string::npos);
        const std::string gapData = Lower(html.substr(data));
        for (const char* phrase : {"green sprockets", "blue widgets", "red gadgets"}) {
            EXPECT_NE(gapData.find(phrase), std::string::npos) << phrase;
        }
    }
}

TEST_F(KeywordMap, GapRefusesWhatIsNoPairOfKeyPhraseCrawls) {
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--key-phrases", "--db", Path("keyed.db"), U("/")}).code, 0);
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--db", Path("plain.db"), U("/")}).code, 0);
    ASSERT_EQ(RunCli({"--quiet", "--db", Path("classic.db"), U("/")}).code, 0);
    { std::ofstream(Path("notes.txt"), std::ios::binary) << "just some notes\n"; }
    std::filesystem::create_symlink(Path("keyed.db"), Path("link.db"));
    const struct {
        const char* name;
        std::string theirs;
        std::string mine;
        const char* says;
    } rows[] = {
        {"not a crawl database", Path("keyed.db"), Path("notes.txt"), "no crawl database"},
        {"missing file", Path("keyed.db"), Path("missing.db"), "missing.db"},
        {"mine without key phrases", Path("keyed.db"), Path("plain.db"), "made without key phrases"},
        {"theirs without key phrases", Path("plain.db"), Path("keyed.db"), "made without key phrases"},
        {"mine under classic rules", Path("keyed.db"), Path("classic.db"), "classic rules"},
        {"theirs under classic rules", Path("classic.db"), Path("keyed.db"), "classic rules"},
        {"the same file", Path("keyed.db"), Path("keyed.db"), "same file"},
        {"the same file by another name", Path("keyed.db"), Path("link.db"), "same file"},
    };
    for (const auto& row : rows) {
        const Outcome gap = RunCli({"--db", row.theirs, "--gap", row.mine});
        EXPECT_EQ(gap.code, 2) << row.name << ": " << gap.err;
        EXPECT_NE(gap.err.find(row.says), std::string::npos) << row.name << ": " << gap.err;
        EXPECT_EQ(gap.out, "") << row.name;
    }
}

TEST_F(KeywordMap, KeptCrawlWithoutKeyPhrasesRefusesTheirOutputs) {
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--db", Path("plain.db"), U("/")}).code, 0);
    ASSERT_EQ(RunCli({"--quiet", "--db", Path("classic.db"), U("/")}).code, 0);
    const struct {
        std::vector<std::string> args;
        const char* says;
    } rows[] = {
        {{"--db", Path("plain.db"), "--offline", "--keyphrases", Path("m.csv")}, "--keyphrases: "},
        {{"--db", Path("plain.db"), "--offline", "--clusters", Path("c.csv")}, "made without key phrases"},
        {{"--db", Path("classic.db"), "--offline", "--keyphrases", Path("m.csv")}, "needs --rules browser"},
        {{"--db", Path("classic.db"), "--offline", "--key-phrases"}, "--key-phrases"},
    };
    for (const auto& row : rows) {
        const Outcome run = RunCli(row.args);
        EXPECT_EQ(run.code, 2) << row.says << ": " << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(Path("m.csv")));
        EXPECT_FALSE(std::filesystem::exists(Path("c.csv")));
    }
}

} // namespace
} // namespace vortaxel::test
