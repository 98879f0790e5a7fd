#include "crawl/link_bounds.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::crawl {
namespace {

// The shortcut may only say "too long" where resolving says so too; wherever a link can climb out of
// the base's folder or leave its origin it must resolve.
TEST(LinkBoundsTest, ShortcutAgreesWithResolving) {
    const std::string longFolder = "http://h.test/" + std::string(kMaxResolvedLinkBytes, 'x') + "/";
    const std::string shortFolder = "http://h.test/a/";
    struct Row {
        std::string base;
        const char* link;
        bool surelyPast;
        /// 1 or 0 for whether it resolves within the bound; -1 where percent-encoded dots make it the
        /// parser's choice.
        int resolves;
    };
    const Row rows[] = {
        {longFolder, "123", true, 0},
        {longFolder, "page.html?q=1#f", true, 0},
        {longFolder + "page.html", "b/c", true, 0},
        {longFolder, "../up.html", false, 1},
        {longFolder, "a/%2E%2e/../../up.html", false, -1},
        {longFolder, "a/.%2e/../up.html", false, -1},
        {longFolder, "/rooted.html", false, 1},
        {longFolder, "http://elsewhere.test/", false, 1},
        {longFolder, "mailto:x@h.test", false, 0},
        {longFolder, "?q", false, 0},
        {longFolder, "#top", false, 0},
        {longFolder, " 123", false, 0},
        {longFolder, ".\n./up.html", false, 1},
        {shortFolder, "123", false, 1},
        {"http://h.test/?" + std::string(kMaxResolvedLinkBytes, 'q'), "123", false, 1},
    };
    PageIdentityCache cache;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        EXPECT_EQ(SurelyPastLinkBound(KeptFolderBytes(row.base), row.link), row.surelyPast);
        if (row.resolves >= 0) {
            EXPECT_EQ(BoundedResolver(cache, row.base).Resolve(row.link).has_value(), row.resolves == 1);
        }
        if (const auto identity = PageIdentity(row.base, row.link); row.surelyPast) {
            ASSERT_TRUE(identity.has_value());
            EXPECT_GT(identity->size(), kMaxResolvedLinkBytes);
        }
    }
}

} // namespace
} // namespace vortaxel::crawl
