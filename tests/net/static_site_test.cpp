#include "tests/support/scratch_folder.h"
#include "tools/static_site.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

namespace vortaxel::tools {
namespace {

namespace fs = std::filesystem;

// A served root and, beside it, a secret that must never be served.
class ServedTree {
public:
    ServedTree() {
        fs::create_directories(folder_ / "root" / "garden");
        fs::create_directories(folder_ / "root" / "empty-folder");
        Write("root/index.html", "<a href=\"@SITE@/garden/solar-lights.html\">@SITE@</a>");
        Write("root/garden/solar-lights.html", "solar");
        Write("root/notes.txt", "@SITE@ stays in text");
        Write("secret.txt", "secret");
        fs::create_symlink(folder_ / "secret.txt", folder_ / "root" / "leak.txt");
        fs::create_directory_symlink(folder_.Path(), folder_ / "root" / "up");
        fs::create_symlink(folder_ / "root" / "garden" / "solar-lights.html", folder_ / "root" / "alias.html");
    }

    fs::path Root() const { return folder_ / "root"; }

private:
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

    test::ScratchFolder folder_{"static"};
};

TEST(StaticSite, ServesOnlyFilesInsideItsFolder) {
    const ServedTree tree;
    const StaticSite site(tree.Root());
    const std::string address = "http://127.0.0.1:8123";
    struct Row {
        std::string path;
        int status;
        std::string body;
    };
    const Row rows[] = {
        {"/", 200, "<a href=\"http://127.0.0.1:8123/garden/solar-lights.html\">http://127.0.0.1:8123</a>"},
        {"/index.html", 200, "<a href=\"http://127.0.0.1:8123/garden/solar-lights.html\">http://127.0.0.1:8123</a>"},
        {"/garden/solar-lights.html", 200, "solar"},
        {"/garden//solar-lights.html", 200, "solar"},
        {"/./garden/solar-lights.html", 200, "solar"},
        {"/notes.txt", 200, "@SITE@ stays in text"},
        {"/alias.html", 200, "solar"},
        {"/missing.html", 404, ""},
        {"/empty-folder/", 404, ""},
        {"/garden", 404, ""},
        {"/../secret.txt", 404, ""},
        {"/garden/../../secret.txt", 404, ""},
        {"/garden/../index.html", 404, ""},
        {"/leak.txt", 404, ""},
        {"/up/secret.txt", 404, ""},
        {std::string("/index.html\0.txt", 16), 404, ""},
        {"index.html", 404, ""},
        {"", 404, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const auto reply = site.Get(row.path, address);
        EXPECT_EQ(reply.status, row.status);
        if (row.status == 200) {
            EXPECT_EQ(reply.body, row.body);
        } else {
            EXPECT_EQ(reply.body.find("secret"), std::string::npos);
        }
    }
}

TEST(StaticSite, RefusesARootThatIsNotAFolder) {
    const ServedTree tree;
    EXPECT_THROW(StaticSite(tree.Root() / "notes.txt"), std::runtime_error);
    EXPECT_THROW(StaticSite(tree.Root() / "no-such-folder"), std::runtime_error);
}

TEST(StaticSite, ContentTypeFollowsTheExtension) {
    struct Row {
        const char* file;
        const char* type;
    };
    const Row rows[] = {
        {"a.html", "text/html; charset=utf-8"}, {"a.htm", "text/html; charset=utf-8"},
        {"a.pdf", "application/pdf"},           {"a.css", "text/css"},
        {"a.HTML", "application/octet-stream"}, {"noextension", "application/octet-stream"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ContentTypeFor(row.file), row.type) << row.file;
    }
}

// Every link in the bundled pages that the crawl would follow leads to a page that exists,
// so a demonstration crawl lists pages rather than failed fetches.
TEST(SampleSite, InSiteLinksLeadToExistingPages) {
    const fs::path root = VORTAXEL_SAMPLE_SITE_DIR;
    const std::regex link(R"((?:href="|window\.open\(')([^"']*))");
    int pages = 0;
    int links = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".html") {
            continue;
        }
        ++pages;
        std::ifstream in(entry.path());
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            std::string value = (*it)[1];
            if (value.rfind("@SITE@", 0) == 0) {
                value.erase(0, 6);
            }
            const bool elsewhere = value.find(':') != std::string::npos;
            const bool filteredOut = value.ends_with(".pdf");
            if (elsewhere || filteredOut) {
                continue;
            }
            ++links;
            const fs::path target = value == "/" ? root / "index.html" : root / fs::path(value).relative_path();
            EXPECT_TRUE(fs::is_regular_file(target)) << entry.path() << " links to " << value;
        }
    }
    EXPECT_GE(pages, 12);
    EXPECT_GT(links, pages);
}

} // namespace
} // namespace vortaxel::tools
