#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct sb_stemmer;

namespace vortaxel::bench {

/// Per file name ("sql-select.html"), the terms a reader of the site would say the page is about.
using Truth = std::map<std::string, std::set<std::string>>;

/// A book index in DocBook's HTML (`<dt>term, <a class="indexterm" href="page.html#...">`, sub-entries in
/// a nested `<dd><dl>`): each page gets the terms that link to it; a sub-entry "built-in" of "aggregate
/// function" gives its pages both "aggregate function" and "built-in aggregate function".
Truth ReadBookIndex(std::string_view html);

/// The comma-separated terms of a page's `<meta name="keywords">`, none when it has no such tag.
std::set<std::string> ReadMetaKeywords(std::string_view html);

/// The form phrases are compared in: lower-cased, split into words of letters and digits, each word
/// Porter-stemmed, joined by one blank.
class PhraseNormaliser {
public:
    PhraseNormaliser();
    ~PhraseNormaliser();
    PhraseNormaliser(const PhraseNormaliser&) = delete;
    PhraseNormaliser& operator=(const PhraseNormaliser&) = delete;
    std::string operator()(std::string_view phrase);

private:
    ::sb_stemmer* stemmer_;
};

struct Quality {
    std::size_t pages = 0;
    double f1 = 0;
    double precision = 0;
    double recall = 0;
    double precisionAt1 = 0;
    /// The same where a hit is also one phrase a run of the other's words.
    double partialF1 = 0;
    double partialPrecisionAt1 = 0;
};

/// Macro averages over the pages the truth names (a page with no phrases scores 0); `phrases` holds each
/// file's phrases best first. Precision is of the first `k` (hits / k, however many a page has), so a
/// method that names fewer phrases is not paid for naming less.
Quality Score(const Truth& truth, const std::map<std::string, std::vector<std::string>>& phrases,
              PhraseNormaliser& normalise, std::size_t k);

/// The best the same phrases could score if they were ranked knowing the truth: their hits first.
Quality Ceiling(const Truth& truth, const std::map<std::string, std::vector<std::string>>& phrases,
                PhraseNormaliser& normalise, std::size_t k);

} // namespace vortaxel::bench
