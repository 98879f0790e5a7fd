#include "cli/content_options.h"

#include "store/crawl_store.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <string>

namespace vortaxel::cli {

namespace {

int WholeNumber(const char* option, const std::string& text, int least, int most, const char* range) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
        throw CLI::ValidationError(option, range);
    }
    return value;
}

} // namespace

void DeclareContentOptions(CLI::App& app, ContentOptions& content) {
    app.add_flag("--duplicates", content.duplicates,
                 "With --rules browser: find exact duplicates, near-duplicates and thin pages among the indexable "
                 "pages; --report gains the columns duplicate_of, near_duplicate_of, similarity, word_count, thin");
    app.add_option_function<std::string>(
           "--near-duplicates",
           [&content](const std::string& v) {
               content.nearPercent = WholeNumber("--near-duplicates", v, 1, 100, "takes a percentage from 1 to 100");
           },
           "With --rules browser: pages this alike (percent of their text, default 90) are near-duplicates; "
           "implies --duplicates")
        ->type_name("PERCENT");
    app.add_option_function<std::string>(
           "--thin-words",
           [&content](const std::string& v) {
               content.thinWords =
                   WholeNumber("--thin-words", v, 0, store::kMostThinWords, "takes a number from 0 to 1000000");
           },
           "With --rules browser: a page of fewer visible words (default 200) is thin; implies --duplicates")
        ->type_name("N");
    app.add_flag("--link-score", content.linkScore,
                 "With --rules browser: score each page 0-100 by the site's followed links to it (PageRank, log "
                 "scale); --report gains the column link_score");
}

const char* RefusedContentOption(const ContentOptions& content, bool browser) {
    if (browser) {
        return nullptr;
    }
    return content.duplicates    ? "--duplicates"
           : content.nearPercent ? "--near-duplicates"
           : content.thinWords   ? "--thin-words"
           : content.linkScore   ? "--link-score"
                                 : nullptr;
}

void CheckContentOptions(const ContentOptions& content, bool browser, bool keptOnly) {
    if (const char* refused = RefusedContentOption(content, browser); !keptOnly && refused != nullptr) {
        throw CLI::ValidationError(refused, "needs --rules browser");
    }
}

} // namespace vortaxel::cli
