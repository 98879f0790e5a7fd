#include "cli/content_audit_options.h"

#include "crawl/content/custom_extract.h"

#include <CLI/CLI.hpp>

namespace vortaxel::cli {

std::string ParseExtractor(const std::string& text, crawl::Extractor& extractor) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return "takes NAME=xpath:EXPR or NAME=regex:RE";
    }
    extractor.name = text.substr(0, equals);
    const std::string rest = text.substr(equals + 1);
    if (rest.starts_with("xpath:")) {
        extractor.kind = crawl::ExtractorKind::XPath;
        extractor.expression = rest.substr(6);
    } else if (rest.starts_with("regex:")) {
        extractor.kind = crawl::ExtractorKind::Regex;
        extractor.expression = rest.substr(6);
    } else {
        return "takes NAME=xpath:EXPR or NAME=regex:RE";
    }
    if (std::string problem = crawl::ExtractorProblem(extractor); !problem.empty()) {
        return extractor.name.empty() ? problem : extractor.name + ": " + problem;
    }
    return {};
}

void DeclareContentAuditOptions(CLI::App& app, crawl::ContentAuditChoices& content) {
    app.add_flag("--structured-data", content.structuredData,
                 "With --rules browser: read each page's JSON-LD, microdata and RDFa; --report gains the columns "
                 "schema_types and schema_issues");
    app.add_flag(
        "--hreflang", content.hreflang,
        "With --rules browser: check the language versions pages name (link rel=alternate hreflang, Link headers) "
        "against each other after the crawl; --report gains the column hreflang_issues");
    app.add_option_function<std::vector<std::string>>(
           "--extract",
           [&content](const std::vector<std::string>& values) {
               content.extractors.clear();
               for (const std::string& value : values) {
                   crawl::Extractor extractor;
                   if (std::string refused = ParseExtractor(value, extractor); !refused.empty()) {
                       throw CLI::ValidationError("--extract", refused);
                   }
                   for (const crawl::Extractor& earlier : content.extractors) {
                       if (earlier.name == extractor.name) {
                           throw CLI::ValidationError("--extract", extractor.name + ": the name is given twice");
                       }
                   }
                   if (content.extractors.size() == crawl::kMaxExtractors) {
                       throw CLI::ValidationError(
                           "--extract", "takes at most " + std::to_string(crawl::kMaxExtractors) + " extractors");
                   }
                   content.extractors.push_back(std::move(extractor));
               }
           },
           "With --rules browser: a report column NAME of what each page holds, by XPath (over the page as "
           "libxml2's HTML parser reads it) or by RE2 regex (its first group, else the match); may be given up "
           "to 100 times")
        ->type_name("NAME=xpath:EXPR|NAME=regex:RE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        // One extractor per --extract, so that the address after one is not taken for another.
        ->allow_extra_args(false);
    app.add_flag("--extract-all", content.extractAll,
                 "With --extract: every match (up to 100 a page, each up to 1024 bytes) joined by \" | \", not the "
                 "first alone");
    app.add_flag("--spelling", content.spelling,
                 "With --rules browser: check each page's title, meta description and H1 with Hunspell in the "
                 "page's language (dictionaries from DICPATH's folders, then /usr/share/hunspell); --report gains the "
                 "column spelling, after all others; a language with no dictionary is noted and its pages skipped");
}

const char* GivenContentAuditOption(const crawl::ContentAuditChoices& content) {
    if (content.structuredData) {
        return "--structured-data";
    }
    if (content.hreflang) {
        return "--hreflang";
    }
    if (!content.extractors.empty()) {
        return "--extract";
    }
    if (content.extractAll) {
        return "--extract-all";
    }
    if (content.spelling) {
        return "--spelling";
    }
    return nullptr;
}

} // namespace vortaxel::cli
