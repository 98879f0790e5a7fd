#include "crawl/robots/robots_pattern.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

/// The plain reading of a pattern, by dynamic programming over every pair of positions: slow, and
/// plainly right. matches[j] says whether the pattern read so far matches path[0..j).
bool PlainMatch(std::string_view pattern, std::string_view path) {
    const bool anchored = !pattern.empty() && pattern.back() == '$';
    if (anchored) {
        pattern.remove_suffix(1);
    }
    std::vector<bool> matches(path.size() + 1, false);
    matches[0] = true;
    for (const char c : pattern) {
        std::vector<bool> next(path.size() + 1, false);
        for (std::size_t j = 0; j <= path.size(); ++j) {
            if (c == '*') {
                next[j] = matches[j] || (j > 0 && next[j - 1]);
            } else {
                next[j] = j > 0 && matches[j - 1] && path[j - 1] == c;
            }
        }
        matches = std::move(next);
    }
    if (anchored) {
        return matches[path.size()];
    }
    for (const bool m : matches) {
        if (m) {
            return true;
        }
    }
    return false;
}

struct PatternCase {
    std::string pattern;
    std::string path;
    bool matches;
};

TEST(RobotsPattern, TableOfShapes) {
    const std::vector<PatternCase> rows = {
        {"/", "/x", true},
        {"/x$", "/x", true},
        {"/x$", "/xy", false},
        {"/*.html$", "/a/b.html", true},
        {"/*.html$", "/a/b.html?x", false},
        {"/*.html", "/a/b.html?x", true},
        {"/a*b*c", "/aXbYc", true},
        {"/a*b*c", "/aXcYb", false},
        {"/a*bc$", "/abcbc", true},
        {"/a*bc$", "/abc", true},
        {"/ab*b$", "/ab", false},
        {"/a**$", "/a", true},
        {"*", "", true},
        {"$", "", true},
        {"$", "/", false},
        {"/a$b", "/a$b", true},
        {"/aa*aa$", "/aaa", false},
        {"/aa*aa$", "/aaaa", true},
    };
    for (const PatternCase& row : rows) {
        EXPECT_EQ(RobotsPatternMatches(row.pattern, row.path), row.matches) << row.pattern << " on " << row.path;
        EXPECT_EQ(PlainMatch(row.pattern, row.path), row.matches) << "reference: " << row.pattern << " on " << row.path;
    }
}

// Small alphabets make many near matches, where a matcher that commits to a wrong place shows.
TEST(RobotsPattern, AgreesWithThePlainReadingOnRandomShapes) {
    std::mt19937 rng(19);
    const std::string patternBytes = "ab*$/";
    const std::string pathBytes = "ab/$";
    for (int round = 0; round < 20000; ++round) {
        std::string pattern;
        std::string path;
        for (std::size_t i = rng() % 8; i > 0; --i) {
            pattern += patternBytes[rng() % patternBytes.size()];
        }
        for (std::size_t i = rng() % 10; i > 0; --i) {
            path += pathBytes[rng() % pathBytes.size()];
        }
        ASSERT_EQ(RobotsPatternMatches(pattern, path), PlainMatch(pattern, path)) << pattern << " on " << path;
    }
}

} // namespace
} // namespace vortaxel::crawl
