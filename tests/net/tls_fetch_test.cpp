// https against a loopback server whose certificates are made here, at test time: trusted through an
// extra CA file, and refused, with libcurl's reason, when self-signed, expired or for another host.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_tls.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::net {
namespace {

constexpr auto kHost = "shop.test";
using test::Identity;
using test::kDay;
using test::TlsSite;

TEST(TlsFetch, TrustsTheExtraAuthorityAndRefusesBadCertificatesWithTheirReason) {
    const test::ScratchFolder folder("tls");
    const Identity authority("Vortaxel Test CA", true, -kDay, kDay);
    authority.Write(folder.Path() / "ca.pem", folder.Path() / "ca.key");
    struct Row {
        const char* name;
        Identity server;
        bool withCaFile;
        bool ok;
        const char* reason;
    };
    Row rows[] = {
        {"signed by the extra authority", Identity(kHost, false, -kDay, kDay, &authority), true, true, ""},
        {"the extra authority not given", Identity(kHost, false, -kDay, kDay, &authority), false, false, "certificate"},
        {"self-signed", Identity(kHost, false, -kDay, kDay), true, false, "self-signed"},
        {"expired", Identity(kHost, false, -2 * kDay, -kDay, &authority), true, false, "expired"},
        {"for another host", Identity("elsewhere.test", false, -kDay, kDay, &authority), true, false, kHost},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.server.Write(folder.Path() / "server.pem", folder.Path() / "server.key");
        const TlsSite site(folder.Path() / "server.pem", folder.Path() / "server.key");
        const std::string port = std::to_string(site.Port());
        FetchOptions options = testing::QuickOptions();
        options.resolve = {std::string(kHost) + ":" + port + ":127.0.0.1"};
        if (row.withCaFile) {
            options.caFile = (folder.Path() / "ca.pem").string();
        }
        Fetcher fetcher(options);
        const web::FetchResult result = fetcher.Fetch("https://" + std::string(kHost) + ":" + port + "/");
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(result.body, row.ok ? "secure" : "");
        EXPECT_NE(result.error.find(row.reason), std::string::npos) << result.error;
    }
}

} // namespace
} // namespace vortaxel::net
