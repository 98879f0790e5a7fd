// Under browser rules a reply is a page when a browser would show it as one: by its Content-Type,
// or by its first bytes when it has none.

#include "hostile_server.h"
#include "tests/cli/child_process.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

struct TypeRow {
    const char* name;
    std::string typeHeader; // empty: no Content-Type at all
    std::string body;
    bool listed;
};

#ifdef VORTAXEL_CLI_PATH
TEST(BrowserReplyType, ATypeOrFirstBytesMakeAPage) {
    const TypeRow rows[] = {
        {"HtmlWithParameters", "Content-Type: TEXT/HTML; charset=utf-8\r\n", "x", true},
        {"Xhtml", "Content-Type: application/xhtml+xml\r\n", "x", true},
        {"UntypedDoctype", "", "\n <!DOCTYPE html><title>t</title>", true},
        {"UntypedParagraph", "", "<p>text", true},
        {"UntypedComment", "", "<!-- generated -->text", true},
        {"EmptyType", "Content-Type: \r\n", "<html><body>", true},
        {"UntypedPdf", "", "%PDF-1.4 <html>", false},
        {"UntypedPlainText", "", "just words", false},
        {"UntypedTagNotOfHtml", "", "<paragraph>", false},
        // A browser shows such a reply as text, so it is no page, whatever it holds.
        {"WrongType", "Content-Type: text/plain\r\n", "<html><body>page</body></html>", false},
    };
    for (const TypeRow& row : rows) {
        SCOPED_TRACE(row.name);
        HostileServer server;
        server.On("/", [&row](HostileStream& s) {
            const std::string body = s.target == "/" ? std::string(R"(<a href="/p">p</a>)") : row.body;
            const std::string type = s.target == "/" ? std::string("Content-Type: text/html\r\n") : row.typeHeader;
            std::string reply = "HTTP/1.1 200 OK\r\n";
            reply += type;
            reply += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
            reply += body;
            s.Send(reply);
        });
        server.Start();
        ChildProcess cli(VORTAXEL_CLI_PATH, {"--quiet", "--rules", "browser", server.Url("/")});
        ASSERT_TRUE(cli.Wait(30s));
        EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
        std::string expected = server.Url("/") + "\n";
        if (row.listed) {
            expected += server.Url("/p") + "\n";
        }
        EXPECT_EQ(cli.Out(), expected);
    }
}
#endif

} // namespace
} // namespace vortaxel::test
