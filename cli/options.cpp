#include "cli/options.h"

#include <charconv>
#include <string>

namespace vortaxel::cli {
namespace {

std::optional<std::size_t> ParsePositive(const std::string& text) {
    std::size_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || value == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    Options options;
    bool haveUrl = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.starts_with("--");
        if (!isOption) {
            if (haveUrl) {
                return {std::nullopt, "more than one URL given"};
            }
            options.url = arg;
            haveUrl = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        const bool takesValue = arg == "--max-pages" || arg == "--parallel" || arg == "--keywords" || arg == "--rules";
        if (!takesValue) {
            return {std::nullopt, "unknown option " + arg};
        }
        if (i + 1 == args.size()) {
            return {std::nullopt, arg + " needs a value"};
        }
        const std::string& value = args[++i];
        if (arg == "--rules") {
            const auto rules = crawl::ParseRuleSet(value);
            if (!rules) {
                return {std::nullopt, "--rules takes classic or browser"};
            }
            options.rules = *rules;
            continue;
        }
        if (arg == "--keywords") {
            if (value.empty()) {
                return {std::nullopt, "--keywords needs a file name"};
            }
            options.keywordsFile = value;
            continue;
        }
        const auto number = ParsePositive(value);
        if (!number) {
            return {std::nullopt, arg + " takes a whole number of at least 1"};
        }
        if (arg == "--max-pages") {
            options.maxPages = *number;
        } else if (*number > kMaxParallel) {
            return {std::nullopt, "--parallel takes a whole number from 1 to " + std::to_string(kMaxParallel)};
        } else {
            options.parallel = *number;
        }
    }
    if (!haveUrl) {
        return {std::nullopt, "no URL given"};
    }
    return {std::move(options), {}};
}

} // namespace vortaxel::cli
