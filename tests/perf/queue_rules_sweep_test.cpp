#include "crawl/queue_filter.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

/// The markers read plainly: a caseless search for each, over the whole entry.
bool PlainHasMarker(const std::string& entry) {
    for (const std::string marker : {"mailto:", "javascript:", "document.write"}) {
        const auto hit = std::search(entry.begin(), entry.end(), marker.begin(), marker.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
        if (hit != entry.end()) {
            return true;
        }
    }
    return false;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The fast sweep looks at 16 bytes at a time for ':' and '.', so every marker and near-miss is
// tried at every offset across two such blocks, among decoy colons and dots.
TEST(QueueRulesSweep, MarkersAreFoundAtEveryOffsetAndNearMissesAreNot) {
    const std::vector<std::string> pieces = {
        "mailto:",       "MailTo:",  "javascript:", "JAVASCRIPT:", "document.write", "Document.Write",
        "mailto",        "mail to:", "javascript",  "javascript;", "document write", "document.wri",
        "ocument.write", "ailto:",   "xmailto:x",   "a.b:c.d",
    };
    const std::string filler = "http://h.test:80/a.b/c:d/e.f/g";
    int tried = 0;
    for (const std::string& piece : pieces) {
        for (const std::string& variant : {piece, Upper(piece)}) {
            for (std::size_t offset = 0; offset <= 34; ++offset) {
                std::string entry = filler.substr(0, std::min(offset, filler.size()));
                entry.append(offset > filler.size() ? offset - filler.size() : 0, 'x');
                entry += variant;
                for (const std::string& tail : {std::string(), std::string(".html"), std::string(":9")}) {
                    const std::string text = entry + tail;
                    ASSERT_EQ(IsUnwantedKind(text), PlainHasMarker(text)) << text;
                    ++tried;
                }
            }
        }
    }
    EXPECT_GT(tried, 3000);
}

} // namespace
} // namespace vortaxel::crawl
