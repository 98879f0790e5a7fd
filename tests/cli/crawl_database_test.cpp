// The command line's crawl database: kept as the crawl runs, carried on after a kill, read back with no
// request, compared, and refused with exit 2 (and the file untouched) when it cannot be used.

#include "child_process.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"
#include "store/write/queue_chunk.h"
#include "tests/support/loopback_site.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 60s;

ChildProcess RunCli(const std::vector<std::string>& args) {
    return ChildProcess(VORTAXEL_CLI_PATH, args);
}

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// A site of 60 pages in a chain of links with repeats, a missing page and a redirect; each page
/// answers after `delay`, which gives a kill time to land in the middle.
class KeptCrawl : public ::testing::Test {
protected:
    void ServeSite(std::chrono::milliseconds delay) {
        for (int i = 0; i < 60; ++i) {
            std::string body = "<a href=\"/p" + std::to_string(i + 1) + ".html\">next</a> <a href=\"/p" +
                               std::to_string(i / 2) + ".html\">back</a> <a href=\"/gone" + std::to_string(i % 3) +
                               ".html\">x</a>";
            site_.Serve(i == 0 ? "/" : "/p" + std::to_string(i) + ".html", Page().WithBody(body).WithDelay(delay));
        }
        site_.Redirect("/p0.html", "/");
        start_ = site_.Url("/");
    }

    std::string Path(const char* name) const { return (folder_ / name).string(); }

    LoopbackSite site_;
    ScratchFolder folder_{"kept"};
    std::string start_;
};

TEST_F(KeptCrawl, OfflineReadsBackWhatTheCrawlPrintedAndWroteByteForByte) {
    ServeSite(0ms);
    auto crawl =
        RunCli({"--quiet", "--db", Path("c.db"), "--keywords", Path("k1.txt"), "--report", Path("r1.csv"), start_});
    ASSERT_TRUE(crawl.Wait(kRunLimit));
    ASSERT_EQ(crawl.ExitCode(), 0) << crawl.Err();
    const std::size_t requests = site_.Targets().size();
    auto offline = RunCli(
        {"--quiet", "--db", Path("c.db"), "--offline", "--keywords", Path("k2.txt"), "--report", Path("r2.csv")});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.ExitCode(), 0) << offline.Err();
    EXPECT_EQ(offline.Out(), crawl.Out());
    EXPECT_EQ(FileBytes(Path("k2.txt")), FileBytes(Path("k1.txt")));
    EXPECT_EQ(FileBytes(Path("r2.csv")), FileBytes(Path("r1.csv")));
    EXPECT_EQ(site_.Targets().size(), requests);
}

TEST_F(KeptCrawl, KilledCrawlsResumedUntilDoneKeepTheListOfOneRun) {
    ServeSite(0ms);
    auto whole = RunCli({"--quiet", start_});
    ASSERT_TRUE(whole.Wait(kRunLimit));
    site_.ClearRequests();
    ServeSite(20ms);

    auto first = RunCli({"--quiet", "--db", Path("c.db"), start_});
    ASSERT_TRUE(first.WaitForOut("/p7.html\n", kRunLimit));
    first.Signal(SIGKILL);
    ASSERT_TRUE(first.Wait(kRunLimit));
    auto second = RunCli({"--quiet", "--db", Path("c.db"), "--resume"});
    ASSERT_TRUE(second.WaitForOut("/p30.html\n", kRunLimit));
    second.Signal(SIGKILL);
    ASSERT_TRUE(second.Wait(kRunLimit));
    auto last = RunCli({"--quiet", "--db", Path("c.db"), "--resume", "--parallel", "4"});
    ASSERT_TRUE(last.Wait(kRunLimit));
    EXPECT_EQ(last.ExitCode(), 0) << last.Err();

    auto offline = RunCli({"--quiet", "--db", Path("c.db"), "--offline"});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.Out(), whole.Out());
    EXPECT_NE(last.Out(), "");
    EXPECT_EQ(whole.Out().substr(whole.Out().size() - last.Out().size()), last.Out());
}

TEST_F(KeptCrawl, AStopAtThePageLimitResumesWithALargerOne) {
    ServeSite(0ms);
    auto whole = RunCli({"--quiet", start_});
    ASSERT_TRUE(whole.Wait(kRunLimit));
    auto first = RunCli({"--quiet", "--db", Path("c.db"), "--max-pages", "10", start_});
    ASSERT_TRUE(first.Wait(kRunLimit));
    auto second = RunCli({"--quiet", "--db", Path("c.db"), "--resume", "--max-pages", "1000", start_});
    ASSERT_TRUE(second.Wait(kRunLimit));
    EXPECT_EQ(second.ExitCode(), 0) << second.Err();
    EXPECT_EQ(first.Out() + second.Out(), whole.Out());
    auto again = RunCli({"--db", Path("c.db"), "--resume"});
    ASSERT_TRUE(again.Wait(kRunLimit));
    EXPECT_EQ(again.ExitCode(), 2);
    EXPECT_NE(again.Err().find("is finished"), std::string::npos) << again.Err();
}

// A disk that fills: the file may not grow past a bound the command line cannot lift, as on a full disk.
// The shell ignores the signal the kernel sends at the bound, so writes fail as they would there.
TEST_F(KeptCrawl, AFullDiskStopsTheCrawlWithTheReasonAndTheFileResumesOnceThereIsRoom) {
    // Long addresses make the file outgrow the bound well before the crawl ends.
    const std::string folder = "/" + std::string(200, 'f') + "/p";
    for (int i = 0; i < 600; ++i) {
        std::string body = "<a href=\"" + folder + std::to_string(i + 1) + ".html\">next</a>";
        body += "<a href=\"" + folder + std::to_string(i / 2) + ".html\">back</a>";
        site_.Serve(i == 0 ? "/" : folder + std::to_string(i) + ".html", Page().WithBody(body));
    }
    const std::string start = site_.Url("/");
    auto whole = RunCli({"--quiet", start});
    ASSERT_TRUE(whole.Wait(kRunLimit));
    ASSERT_EQ(whole.ExitCode(), 0) << whole.Err();
    auto first = RunCli({"--quiet", "--db", Path("c.db"), "--max-pages", "20", start});
    ASSERT_TRUE(first.Wait(kRunLimit));
    ASSERT_EQ(first.ExitCode(), 0) << first.Err();

    // Blocks of 512 bytes: 100 KB more than the file holds, far less than the rest of the crawl needs.
    const std::string blocks = std::to_string(std::filesystem::file_size(Path("c.db")) / 512 + 200);
    ChildProcess full("/bin/sh",
                      {"-c", "ulimit -f " + blocks + " && trap '' XFSZ && exec \"$0\" \"$@\"", VORTAXEL_CLI_PATH,
                       "--quiet", "--db", Path("c.db"), "--resume", "--max-pages", "1000"});
    ASSERT_TRUE(full.Wait(kRunLimit));
    EXPECT_EQ(full.ExitCode(), 1) << full.Err();
    EXPECT_NE(full.Err().find("cannot keep the crawl in " + Path("c.db")), std::string::npos) << full.Err();

    auto resumed = RunCli({"--quiet", "--db", Path("c.db"), "--resume"});
    ASSERT_TRUE(resumed.Wait(kRunLimit));
    EXPECT_EQ(resumed.ExitCode(), 0) << resumed.Err();
    // It carries on after what the first run kept, whatever the stopped one managed to add.
    ASSERT_LE(resumed.Out().size(), whole.Out().size() - first.Out().size());
    EXPECT_EQ(whole.Out().substr(whole.Out().size() - resumed.Out().size()), resumed.Out());
    auto offline = RunCli({"--quiet", "--db", Path("c.db"), "--offline"});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.Out(), whole.Out());
}

TEST_F(KeptCrawl, OfflineOnACrawlKilledBeforeItsFirstTurnSaysItHoldsNone) {
    ServeSite(0ms);
    site_.Hold("/");
    auto first = RunCli({"--quiet", "--db", Path("c.db"), start_});
    // The start page is asked for only once the crawl's settings are kept.
    for (int i = 0; i < 3000 && site_.Targets().empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(site_.Targets().empty());
    first.Signal(SIGKILL);
    ASSERT_TRUE(first.Wait(kRunLimit));
    site_.Release("/");
    auto offline = RunCli({"--db", Path("c.db"), "--offline"});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.ExitCode(), 1) << offline.Err();
    EXPECT_NE(offline.Err().find("holds no finished turn"), std::string::npos) << offline.Err();
    EXPECT_EQ(offline.Out(), "");
}

/// Takes a crawl database back to the first layout, which knew no page facts, links or redirect hops.
void MakeFirstLayout(const std::string& path) {
    store::SqlDatabase db;
    ASSERT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    std::string sql =
        UndoLayoutsAfter(4) +
        "DROP TABLE links; DROP TABLE hops; DROP INDEX IF EXISTS fetches_url; DROP INDEX IF EXISTS pages_url;"
        "ALTER TABLE fetches DROP COLUMN robots_tag; ALTER TABLE fetches DROP COLUMN in_sitemap;";
    for (const char* column : {"follow_nofollow", "sitemaps", "check_resources"}) {
        sql += std::string("ALTER TABLE settings DROP COLUMN ") + column + ";";
    }
    for (const char* column : {"title", "title_count", "meta_description", "meta_robots", "h1", "h1_count", "canonical",
                               "lang", "word_count", "refresh", "in_sitemap"}) {
        sql += std::string("ALTER TABLE pages DROP COLUMN ") + column + ";";
    }
    ASSERT_TRUE(db.Execute(sql + "PRAGMA user_version = 1;"));
}

std::int64_t LayoutOf(const std::string& path) {
    store::SqlDatabase db;
    std::int64_t version = -1;
    EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadOnly));
    EXPECT_TRUE(db.QueryInt("PRAGMA user_version", version));
    return version;
}

TEST_F(KeptCrawl, AFileOfTheFirstLayoutIsReadAsItIsAndUpgradedWhenResumed) {
    ServeSite(0ms);
    for (const std::string rules : {"classic", "browser"}) {
        SCOPED_TRACE(rules);
        const std::string db = Path(("old-" + rules + ".db").c_str());
        auto whole = RunCli({"--quiet", "--rules", rules, start_});
        ASSERT_TRUE(whole.Wait(kRunLimit));
        auto first = RunCli({"--quiet", "--rules", rules, "--db", db, "--max-pages", "10", start_});
        ASSERT_TRUE(first.Wait(kRunLimit));
        ASSERT_EQ(first.ExitCode(), 0) << first.Err();
        MakeFirstLayout(db);

        auto offline = RunCli({"--quiet", "--db", db, "--offline"});
        ASSERT_TRUE(offline.Wait(kRunLimit));
        EXPECT_EQ(offline.ExitCode(), 0) << offline.Err();
        EXPECT_EQ(offline.Out(), first.Out());
        EXPECT_EQ(LayoutOf(db), 1);

        auto resumed = RunCli({"--quiet", "--db", db, "--resume", "--max-pages", "1000"});
        ASSERT_TRUE(resumed.Wait(kRunLimit));
        EXPECT_EQ(resumed.ExitCode(), 0) << resumed.Err();
        EXPECT_EQ(first.Out() + resumed.Out(), whole.Out());
        EXPECT_EQ(LayoutOf(db), store::kCrawlSchemaVersion);
        auto after = RunCli({"--quiet", "--db", db, "--offline", "--report", Path("after.csv")});
        ASSERT_TRUE(after.Wait(kRunLimit));
        EXPECT_EQ(after.ExitCode(), 0) << after.Err();
        EXPECT_EQ(after.Out(), whole.Out());
    }
}

/// Takes a crawl database back to the third layout, whose fetches did not keep whether a sitemap lists them.
void MakeThirdLayout(const std::string& path) {
    store::SqlDatabase db;
    ASSERT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    ASSERT_TRUE(
        db.Execute(UndoLayoutsAfter(4) + "ALTER TABLE fetches DROP COLUMN in_sitemap; PRAGMA user_version = 3;"));
}

TEST_F(KeptCrawl, AFileOfTheThirdLayoutIsReadAsItIsAndUpgradedWhenResumed) {
    ServeSite(0ms);
    // Listed by the sitemap alone, so only the resumed run asks for it.
    site_.Serve("/sitemap.xml",
                Page()
                    .WithContentType("text/xml")
                    .WithBody("<urlset><url><loc>" + site_.Url("/lost.html") + "</loc></url></urlset>"));
    const std::string db = Path("third.db");
    auto whole = RunCli({"--quiet", "--rules", "browser", "--sitemaps", start_});
    ASSERT_TRUE(whole.Wait(kRunLimit));
    auto first = RunCli({"--quiet", "--rules", "browser", "--sitemaps", "--db", db, "--max-pages", "10", start_});
    ASSERT_TRUE(first.Wait(kRunLimit));
    ASSERT_EQ(first.ExitCode(), 0) << first.Err();
    MakeThirdLayout(db);

    auto offline = RunCli({"--db", db, "--offline", "--report", Path("before.csv")});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.ExitCode(), 0) << offline.Err();
    EXPECT_EQ(offline.Out(), first.Out());
    EXPECT_NE(offline.Err().find("Sitemap errors: 0 addresses"), std::string::npos) << offline.Err();
    EXPECT_EQ(LayoutOf(db), 3);

    auto resumed = RunCli({"--quiet", "--db", db, "--resume", "--max-pages", "1000"});
    ASSERT_TRUE(resumed.Wait(kRunLimit));
    EXPECT_EQ(resumed.ExitCode(), 0) << resumed.Err();
    EXPECT_EQ(first.Out() + resumed.Out(), whole.Out());
    EXPECT_EQ(LayoutOf(db), store::kCrawlSchemaVersion);
    auto after = RunCli({"--db", db, "--offline", "--report", Path("after.csv")});
    ASSERT_TRUE(after.Wait(kRunLimit));
    EXPECT_EQ(after.ExitCode(), 0) << after.Err();
    // The fetches kept before the upgrade read as listed by no sitemap; the resumed run's say so.
    EXPECT_NE(after.Err().find("Sitemap errors: 1 address listed but no page: 1 4xx or 5xx"), std::string::npos)
        << after.Err();
    EXPECT_NE(FileBytes(Path("after.csv")).find(site_.Url("/lost.html") + ",404,"), std::string::npos);
}

TEST_F(KeptCrawl, CompareNamesEveryPageAddedGoneOrChanged) {
    site_.ServeHtml("/", R"(<a href="/a.html">a</a> <a href="/b.html">b</a> <a href="/c.html">c</a>)");
    site_.ServeHtml("/a.html", "a");
    site_.ServeHtml("/b.html", "b");
    const std::string start = site_.Url("/");
    auto old = RunCli({"--quiet", "--db", Path("old.db"), start});
    ASSERT_TRUE(old.Wait(kRunLimit));
    site_.ServeHtml("/", R"(<a href="/a.html">a</a> <a href="/c.html">c</a> <a href="/d.html">d</a>)");
    site_.ServeHtml("/c.html", "now here");
    site_.ServeHtml("/d.html", "new");
    auto fresh = RunCli({"--quiet", "--db", Path("new.db"), start});
    ASSERT_TRUE(fresh.Wait(kRunLimit));
    auto compare = RunCli({"--db", Path("new.db"), "--compare", Path("old.db")});
    ASSERT_TRUE(compare.Wait(kRunLimit));
    EXPECT_EQ(compare.ExitCode(), 0) << compare.Err();
    EXPECT_EQ(compare.Out(), "change\taddress\told_status\tnew_status\told_final_address\tnew_final_address\n"
                             "changed\t" +
                                 start + "c.html\t404\t200\t" + start + "c.html\t" + start +
                                 "c.html\n"
                                 "added\t" +
                                 start + "d.html\t\t200\t\t" + start +
                                 "d.html\n"
                                 "gone\t" +
                                 start + "b.html\t200\t\t" + start + "b.html\t\n");
}

// A crawl begun with an option that changes what it finds goes on with it when resumed without it.
TEST_F(KeptCrawl, AResumedCrawlKeepsTheOptionsThatChangeWhatItFinds) {
    const struct {
        const char* option;
        std::function<void(LoopbackSite&)> serve;
    } rows[] = {
        {"--follow-nofollow",
         [](LoopbackSite& site) {
             site.ServeHtml("/", R"(<a href="/b.html">b</a>)");
             site.ServeHtml("/b.html", R"(<a rel="nofollow" href="/c.html">c</a>)");
             site.ServeHtml("/c.html", R"(<a href="/d.html">d</a>)");
             site.ServeHtml("/d.html", "end");
         }},
        {"--sitemaps",
         [](LoopbackSite& site) {
             site.ServeHtml("/", R"(<a href="/b.html">b</a>)");
             site.ServeHtml("/b.html", "end");
             site.Serve("/sitemap.xml", Page()
                                            .WithContentType("text/xml")
                                            .WithBody(R"(<?xml version="1.0"?><urlset xmlns="http://www.sitemaps.org/)"
                                                      R"(schemas/sitemap/0.9"><url><loc>)" +
                                                      site.Url("/orphan.html") + "</loc></url></urlset>"));
             site.ServeHtml("/orphan.html", "only a sitemap lists it");
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.option);
        LoopbackSite site;
        row.serve(site);
        const std::string db = Path((std::string(row.option + 2) + ".db").c_str());
        auto whole = RunCli({"--quiet", "--rules", "browser", row.option, site.Url("/")});
        ASSERT_TRUE(whole.Wait(kRunLimit));
        auto first =
            RunCli({"--quiet", "--rules", "browser", row.option, "--max-pages", "1", "--db", db, site.Url("/")});
        ASSERT_TRUE(first.Wait(kRunLimit));
        ASSERT_EQ(first.ExitCode(), 0) << first.Err();
        auto resumed = RunCli({"--quiet", "--db", db, "--resume", "--max-pages", "100"});
        ASSERT_TRUE(resumed.Wait(kRunLimit));
        EXPECT_EQ(resumed.ExitCode(), 0) << resumed.Err();
        EXPECT_EQ(first.Out() + resumed.Out(), whole.Out());
    }
}

/// The bytes of the crawl file `kept` after `sql`, and with its queue from the head on replaced by `queued` when
/// that is not empty: a file as someone could hand it over.
std::string Crafted(const std::string& kept, const std::string& sql, const std::string& queued = {}) {
    const std::string path = kept + ".craft";
    std::filesystem::copy_file(kept, path, std::filesystem::copy_options::overwrite_existing);
    {
        store::SqlDatabase db;
        EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
        EXPECT_TRUE(db.Execute(sql));
        if (!queued.empty()) {
            std::int64_t head = 0;
            EXPECT_TRUE(db.QueryInt("SELECT queue_head FROM crawl", head));
            store::ChunkWriter chunk;
            chunk.Add(queued);
            EXPECT_TRUE(db.Execute("DELETE FROM queue WHERE pos >= " + std::to_string(head) +
                                   "; UPDATE crawl SET queue_tail = queue_head + 1"));
            store::SqlStatement insert;
            EXPECT_TRUE(
                insert.Prepare(db, "INSERT INTO queue (pos, pos_end, found_on, depth, urls) VALUES (?, ?, 1, 1, ?)"));
            insert.Bind(1, head);
            insert.Bind(2, head + 1);
            insert.BindBlob(3, chunk.Bytes());
            EXPECT_TRUE(insert.Run());
        }
    }
    std::string bytes = FileBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

struct BadInputRow {
    const char* name;
    std::vector<std::string> args; // "DB" stands for the file, "URL" for the site
    /// What the file holds before; empty: no file.
    std::string content;
    const char* says;
};

TEST_F(KeptCrawl, FilesThatCannotBeUsedExitTwoBeforeAnyRequestAndStayAsTheyWere) {
    ServeSite(0ms);
    auto kept = RunCli({"--quiet", "--db", Path("finished.db"), start_});
    ASSERT_TRUE(kept.Wait(kRunLimit));
    const std::string finished = FileBytes(Path("finished.db"));
    auto browserRun = RunCli({"--quiet", "--rules", "browser", "--max-pages", "3", "--db", Path("browser.db"), start_});
    ASSERT_TRUE(browserRun.Wait(kRunLimit));
    auto classicRun = RunCli({"--quiet", "--max-pages", "3", "--db", Path("classic.db"), start_});
    ASSERT_TRUE(classicRun.Wait(kRunLimit));
    const std::string browser = Path("browser.db");
    const std::string classic = Path("classic.db");
    // An address on another port of this host: a crafted queue must not send a request there.
    LoopbackSite elsewhere;
    elsewhere.ServeHtml("/", "never asked for");
    site_.ClearRequests();
    const std::vector<BadInputRow> rows = {
        {"text file", {"--db", "DB", "--resume"}, "just some notes\n", "no crawl database"},
        {"text file as new", {"--db", "DB", "URL"}, "just some notes\n", "exists already"},
        {"text file to read", {"--db", "DB", "--offline"}, "just some notes\n", "no crawl database"},
        {"missing file", {"--db", "DB", "--resume"}, "", "no such file"},
        {"finished crawl", {"--db", "DB", "--resume"}, finished, "is finished"},
        {"other rules", {"--db", "DB", "--offline", "--rules", "browser"}, finished, "--rules"},
        {"other start", {"--db", "DB", "--offline", "http://elsewhere.test/"}, finished, "URL"},
        {"robots", {"--db", "DB", "--offline", "--robots"}, finished, "--robots"},
        {"memory", {"--db", "DB", "--offline", "--max-memory", "64M"}, finished, "--max-memory"},
        {"db in a missing folder", {"--db", Path("nodir/sub/a.db"), "URL"}, "", "does not exist"},
        {"nofollow not kept", {"--db", "DB", "--offline", "--follow-nofollow"}, finished, "--follow-nofollow"},
        {"sitemaps not kept", {"--db", "DB", "--offline", "--sitemaps"}, finished, "--sitemaps"},
        {"links of a classic crawl",
         {"--db", "DB", "--offline", "--links", Path("l.csv")},
         finished,
         "needs --rules browser"},
        // A file is checked whole when opened: its tables, its columns, its settings and its queue.
        {"queue for another port",
         {"--db", "DB", "--resume"},
         Crafted(browser, "", elsewhere.Url("/")),
         "outside the site"},
        {"queue for another host",
         {"--db", "DB", "--resume"},
         Crafted(classic, "", "http://elsewhere.test/"),
         "outside the site"},
        {"queue read offline",
         {"--db", "DB", "--offline"},
         Crafted(browser, "", elsewhere.Url("/")),
         "outside the site"},
        {"endless delay",
         {"--db", "DB", "--resume"},
         Crafted(browser, "UPDATE settings SET delay_ms = 1000000000000"),
         "delay of"},
        {"no memory",
         {"--db", "DB", "--resume"},
         Crafted(classic, "UPDATE settings SET max_memory = 0"),
         "memory budget"},
        {"no pages", {"--db", "DB", "--resume"}, Crafted(classic, "UPDATE settings SET max_pages = 0"), "page limit"},
        {"unknown rules",
         {"--db", "DB", "--resume"},
         Crafted(browser, "UPDATE settings SET rules = 'fast'"),
         "no run writes"},
        {"unknown state", {"--db", "DB", "--offline"}, Crafted(browser, "UPDATE crawl SET state = 'odd'"), "no state"},
        {"queue ends before its head",
         {"--db", "DB", "--resume"},
         Crafted(browser, "UPDATE crawl SET queue_tail = queue_head - 1"),
         "a queue from"},
        {"no links table", {"--db", "DB", "--resume"}, Crafted(browser, "DROP TABLE links"), "lacks the table links"},
        {"no hops table", {"--db", "DB", "--resume"}, Crafted(browser, "DROP TABLE hops"), "lacks the table hops"},
        {"no fetches table",
         {"--db", "DB", "--offline"},
         Crafted(classic, "DROP TABLE fetches"),
         "lacks the table fetches"},
        {"no queue table", {"--db", "DB", "--resume"}, Crafted(classic, "DROP TABLE queue"), "lacks the table queue"},
        {"no sitemap mark on fetches",
         {"--db", "DB", "--offline"},
         Crafted(browser, "ALTER TABLE fetches DROP COLUMN in_sitemap"),
         "lacks the column fetches.in_sitemap"},
        {"no title column",
         {"--db", "DB", "--resume"},
         Crafted(browser, "ALTER TABLE pages DROP COLUMN title"),
         "lacks the column pages.title"},
        {"audit page of a classic crawl",
         {"--db", "DB", "--offline", "--html", Path("a.html")},
         finished,
         "needs --rules browser"},
        {"offline without db", {"--offline"}, "", "--offline"},
        {"compare without db", {"--compare", "DB"}, "", "--compare"},
        {"resume and offline", {"--db", "DB", "--resume", "--offline"}, finished, "--resume"},
    };
    for (const BadInputRow& row : rows) {
        const std::string path = Path("bad.db");
        std::filesystem::remove(path);
        if (!row.content.empty()) {
            std::ofstream(path, std::ios::binary) << row.content;
        }
        std::vector<std::string> args;
        for (const std::string& arg : row.args) {
            args.push_back(arg == "DB" ? path : arg == "URL" ? start_ : arg);
        }
        auto cli = RunCli(args);
        ASSERT_TRUE(cli.Wait(kRunLimit)) << row.name;
        EXPECT_EQ(cli.ExitCode(), 2) << row.name;
        EXPECT_NE(cli.Err().find(row.says), std::string::npos) << row.name << ": " << cli.Err();
        EXPECT_EQ(cli.Out(), "") << row.name;
        EXPECT_EQ(std::filesystem::exists(path), !row.content.empty()) << row.name;
        if (!row.content.empty()) {
            EXPECT_TRUE(FileBytes(path) == row.content) << row.name;
        }
    }
    EXPECT_TRUE(site_.Targets().empty());
    EXPECT_TRUE(elsewhere.Targets().empty());
}

TEST_F(KeptCrawl, ASecondProcessOnARunningCrawlsFileIsRefused) {
    ServeSite(100ms);
    auto running = RunCli({"--quiet", "--db", Path("c.db"), start_});
    ASSERT_TRUE(running.WaitForOut("/p2.html\n", kRunLimit));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--db", Path("c.db"), "--resume"}, {"--db", Path("c.db"), "--offline"}}) {
        auto second = RunCli(args);
        ASSERT_TRUE(second.Wait(kRunLimit));
        EXPECT_EQ(second.ExitCode(), 2);
        EXPECT_NE(second.Err().find("a running crawl holds it"), std::string::npos) << second.Err();
    }
    running.Signal(SIGINT);
    ASSERT_TRUE(running.Wait(kRunLimit));
    EXPECT_EQ(running.ExitCode(), 0) << running.Err();
    // The refused runs left the crawl as the running one kept it.
    auto offline = RunCli({"--quiet", "--db", Path("c.db"), "--offline"});
    ASSERT_TRUE(offline.Wait(kRunLimit));
    EXPECT_EQ(offline.Out(), running.Out());
}

} // namespace
} // namespace vortaxel::test
