// Spelling from the command line: the report's spelling column on a site in three languages, one of them
// without a dictionary; the site's own words left out; a dictionary that is no dictionary; and the switch
// refused under classic rules.

#include "tests/cli/cli_outcome.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

/// The report's spelling field by page address: the last field of each row but the header's.
std::map<std::string, std::string> SpellingByUrl(const std::string& csv, std::string& header) {
    std::map<std::string, std::string> cells;
    std::size_t at = 0;
    bool first = true;
    while (at < csv.size()) {
        const std::size_t end = csv.find("\r\n", at);
        const std::string line = csv.substr(at, end - at);
        at = end == std::string::npos ? csv.size() : end + 2;
        if (first) {
            header = line;
            first = false;
            continue;
        }
        // The last field is quoted when it holds "; ".
        std::string cell;
        if (!line.empty() && line.back() == '"') {
            cell = line.substr(line.rfind(",\"") + 2);
            cell.pop_back();
        } else {
            cell = line.substr(line.rfind(',') + 1);
        }
        cells[line.substr(0, line.find(','))] = cell;
    }
    return cells;
}

/// DICPATH for the programs a test runs, as it was before afterwards.
class DicPath {
public:
    explicit DicPath(const std::string& value) {
        if (const char* old = std::getenv("DICPATH")) {
            old_ = old;
        }
        ::setenv("DICPATH", value.c_str(), 1);
    }
    ~DicPath() {
        if (old_) {
            ::setenv("DICPATH", old_->c_str(), 1);
        } else {
            ::unsetenv("DICPATH");
        }
    }
    DicPath(const DicPath&) = delete;
    DicPath& operator=(const DicPath&) = delete;

private:
    std::optional<std::string> old_;
};

class SpellingCli : public ::testing::Test {
protected:
    void SetUp() override {
        // Every page links with the site's name, which no dictionary knows.
        const std::string nav = "<a href=/>Zorblat home</a><a href=/de.html>Zorblat Deutsch</a>"
                                "<a href=/nl.html>Zorblat</a><a href=/clean.html>Zorblat clean</a>";
        site_.ServeHtml("/", "<html lang=en><title>Welcom to Zorblat</title><meta name=description content=\""
                             "Cheap lamsp, 10 USB cables and more at https://exmple.com/shoop\"><h1>Teh lamp shop"
                             "</h1>" +
                                 nav + "</html>");
        site_.ServeHtml("/de.html",
                        "<html lang=de-DE><title>Willkommen im Laden</title><h1>Unser Hauss</h1>" + nav + "</html>");
        site_.ServeHtml("/nl.html", "<html lang=nl><title>Welkom in de winkle</title>" + nav + "</html>");
        site_.ServeHtml("/clean.html", "<html lang=en><title>A clean page</title>" + nav + "</html>");
    }
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"spelling"};
};

TEST_F(SpellingCli, ReportsUnknownWordsPerPageInItsLanguage) {
    const Outcome plain = RunCli({"--quiet", "--rules", "browser", "--report", Path("plain.csv"), site_.Url("/")});
    ASSERT_EQ(plain.code, 0) << plain.err;
    const Outcome run = RunCli({"--quiet", "--rules", "browser", "--spelling", "--db", Path("site.db"), "--report",
                                Path("spelling.csv"), site_.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "vortaxel-cli: no Hunspell dictionary for nl; its pages are not checked (1 page)\n");
    std::string plainHeader;
    SpellingByUrl(ReadFile(Path("plain.csv")), plainHeader);
    std::string header;
    const std::map<std::string, std::string> cells = SpellingByUrl(ReadFile(Path("spelling.csv")), header);
    EXPECT_EQ(header, plainHeader + ",spelling");
    const std::map<std::string, std::string> expected = {
        {site_.Url("/"), "Welcom; lamsp; Teh"},
        {site_.Url("/de.html"), "Hauss"},
        {site_.Url("/nl.html"), ""},
        {site_.Url("/clean.html"), ""},
    };
    EXPECT_EQ(cells, expected);

    const Outcome offline = RunCli(
        {"--offline", "--db", Path("site.db"), "--report", Path("again.csv"), "--html", Path("audit.html"), "--quiet"});
    ASSERT_EQ(offline.code, 0) << offline.err;
    EXPECT_EQ(ReadFile(Path("again.csv")), ReadFile(Path("spelling.csv")));
    const std::string page = ReadFile(Path("audit.html"));
    EXPECT_NE(page.find("<section id=\"spelling\"><h2>Spelling</h2><p class=\"note\">2 pages with words"),
              std::string::npos);
    EXPECT_NE(page.find("<td>Welcom; lamsp; Teh</td>"), std::string::npos);
}

TEST_F(SpellingCli, ADictionaryThatIsNoneIsNamedAndItsPagesSkipped) {
    ScratchFolder dictionaries("spelling-dictionaries");
    std::ofstream(dictionaries / "de_DE.aff") << "SET UTF-8\n";
    std::ofstream(dictionaries / "de_DE.dic") << "<html>not a word list</html>\n";
    const DicPath dicPath(dictionaries.Path().string());
    const Outcome run =
        RunCli({"--quiet", "--rules", "browser", "--spelling", "--report", Path("spelling.csv"), site_.Url("/")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("vortaxel-cli: the Hunspell dictionary for de cannot be used: " +
                           (dictionaries / "de_DE.dic").string() +
                           " is no Hunspell word list (its first line holds no word count); its pages are not "
                           "checked (1 page)\n"),
              std::string::npos)
        << run.err;
    std::string header;
    const std::map<std::string, std::string> cells = SpellingByUrl(ReadFile(Path("spelling.csv")), header);
    EXPECT_EQ(cells.at(site_.Url("/de.html")), "");
    EXPECT_EQ(cells.at(site_.Url("/")), "Welcom; lamsp; Teh");
}

TEST_F(SpellingCli, RefusedUnderClassicRulesAndAgainstAKeptCrawl) {
    const Outcome classic = RunCli({"--spelling", site_.Url("/")});
    EXPECT_EQ(classic.code, 2);
    EXPECT_NE(classic.err.find("--spelling: needs --rules browser"), std::string::npos) << classic.err;
    EXPECT_TRUE(site_.Targets().empty());
    ASSERT_EQ(RunCli({"--quiet", "--rules", "browser", "--db", Path("kept.db"), site_.Url("/")}).code, 0);
    const Outcome other = RunCli({"--offline", "--db", Path("kept.db"), "--spelling", "--report", Path("r.csv")});
    EXPECT_EQ(other.code, 2);
    EXPECT_NE(other.err.find("does not check spelling"), std::string::npos) << other.err;
}

} // namespace
} // namespace vortaxel::test
