#include "cli/options.h"

#include "cli/option_values.h"
#include "cli/scope_options.h"
#include "vortaxel/version.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

namespace vortaxel::cli {
namespace {

constexpr const char* kDescription =
    "Walks a web site breadth-first from URL, prints every in-site page it finds, and can write their\n"
    "keyword phrases to a file.\n";
constexpr const char* kFooter =
    "Exit status: 0 after a run or a stop, 1 when an output file cannot be written or the run\n"
    "ended on an error, 2 for a refused URL, a usage error or a crawl database that cannot be used.";

[[noreturn]] void Refuse(const std::string& option, const std::string& reason) {
    throw CLI::ValidationError(option, reason);
}

std::uint64_t Number(const std::string& option, const std::string& text, std::uint64_t least, std::uint64_t most) {
    const auto number = ParseWholeNumber(text);
    if (!number || *number < least || *number > most) {
        Refuse(option, most == std::numeric_limits<std::uint64_t>::max()
                           ? "takes a whole number of at least " + std::to_string(least)
                           : "takes a whole number from " + std::to_string(least) + " to " + std::to_string(most));
    }
    return *number;
}

std::string FileName(const std::string& option, const std::string& text) {
    if (text.empty()) {
        Refuse(option, "needs a file name");
    }
    return text;
}

// Checked here so that a mistyped bundle path stops the run before any request, not at the first https page.
std::string ReadableFile(const std::string& option, const std::string& text) {
    FileName(option, text);
    std::error_code ignored;
    // Only a regular file: opening a named pipe would wait for a writer that may never come.
    if (!std::filesystem::is_regular_file(text, ignored)) {
        Refuse(option, "cannot read " + text + ": not a regular file");
    }
    if (!std::ifstream(text, std::ios::binary).is_open()) {
        Refuse(option, "cannot read " + text);
    }
    return text;
}

// Each option is declared once here: its name, its one line of help and how its value is checked.
void Declare(CLI::App& app, Options& o) {
    using Setter = std::function<void(const std::string&)>;
    const auto value = [&app](const char* name, const char* type, const char* help, const Setter& set) {
        app.add_option_function<std::string>(name, set, help)->type_name(type);
    };
    app.add_option("URL", o.url, "The address the crawl starts from (left out with --resume or --offline)")
        ->type_name("");
    value("--max-pages", "N", "Stop after N pages have been found", [&o](const std::string& v) {
        o.maxPages = Number("--max-pages", v, 1, std::numeric_limits<std::uint64_t>::max());
    });
    value("--parallel", "K", "Keep up to K fetches in flight (1 to 64, default 1); results stay the same",
          [&o](const std::string& v) { o.parallel = Number("--parallel", v, 1, kMaxParallel); });
    value("--keywords", "FILE", "Write the keyword phrase of every page found to FILE",
          [&o](const std::string& v) { o.keywordsFile = FileName("--keywords", v); });
    app.add_flag("--quiet", o.quiet, "Print no progress and no failed fetches on standard error");
    value("--rules", "classic|browser", "Which links are followed (default classic)", [&o](const std::string& v) {
        if (v != "classic" && v != "browser") {
            Refuse("--rules", "takes classic or browser");
        }
        o.rules = v == "browser" ? RuleSet::Browser : RuleSet::Classic;
    });
    value("--max-memory", "SIZE", "Memory for found and queued addresses: bytes, or with K, M, G (default 4G)",
          [&o](const std::string& v) {
              const auto size = ParseByteSize(v);
              if (!size || *size < kMinMaxMemory) {
                  Refuse("--max-memory",
                         "takes a size of at least " + std::to_string(kMinMaxMemory / kMiB) + "M, such as 512M or 4G");
              }
              o.maxMemory = *size;
          });
    value("--report", "FILE", "Write a CSV report of every page's status to FILE",
          [&o](const std::string& v) { o.reportFile = FileName("--report", v); });
    app.add_flag("--robots", o.obeyRobots, "Obey each site's robots.txt");
    value("--delay", "MS", "Wait at least MS milliseconds between requests to the same host (default 0)",
          [&o](const std::string& v) {
              o.delay = std::chrono::milliseconds(Number("--delay", v, 0, kMaxDelay.count()));
          });
    value("--timeout", "SECONDS", "Give up a request after SECONDS, redirects included (1 to 3600, default 60)",
          [&o](const std::string& v) {
              o.timeout = std::chrono::seconds(Number("--timeout", v, 1, kMaxTimeout.count()));
          });
    value("--ca-file", "FILE", "Also trust the certificate authorities in FILE (PEM) for https",
          [&o](const std::string& v) { o.caFile = ReadableFile("--ca-file", v); });
    value("--db", "FILE", "Keep the crawl in the crawl database FILE as it runs",
          [&o](const std::string& v) { o.dbFile = FileName("--db", v); });
    app.add_flag("--resume", o.resume, "Carry on the crawl kept in the --db FILE");
    app.add_flag("--offline", o.offline, "Print and export the crawl kept in the --db FILE, with no request");
    value("--compare", "OLD", "Print what changed from the crawl kept in OLD to the one in the --db FILE",
          [&o](const std::string& v) { o.compareFile = FileName("--compare", v); });
    value("--gap", "MINE",
          "Print the keyword gap between the site kept in the --db FILE (theirs) and the one kept in MINE (CSV)",
          [&o](const std::string& v) { o.gapFile = FileName("--gap", v); });
    DeclareAuditOptions(app, o.audit);
    DeclareContentOptions(app, o.content);
    DeclareRenderOptions(app, o.render);
    DeclareListOptions(app, o.list);
    DeclareIdentityOptions(app, o.identity);
    // Scope, patterns, depth and parameters to strip.
    DeclareScopeOptions(app, o.controls);
}

/// What the options mean together; the parser sees each alone.
void CheckTogether(const Options& o, const CLI::App& app) {
    if (!o.dbFile) {
        for (const char* name : {"--resume", "--offline", "--compare", "--gap"}) {
            if (app.count(name) != 0) {
                Refuse(name, "needs --db FILE");
            }
        }
    }
    if (o.resume && (o.offline || o.compareFile || o.gapFile)) {
        Refuse("--resume", o.offline       ? "cannot go with --offline"
                           : o.compareFile ? "cannot go with --compare"
                                           : "cannot go with --gap");
    }
    if (o.gapFile && o.compareFile) {
        Refuse("--gap", "cannot go with --compare");
    }
    const bool keptOnly = o.resume || o.offline || o.compareFile || o.gapFile;
    CheckAuditOptions(o.audit, o.rules == RuleSet::Browser, keptOnly);
    CheckContentOptions(o.content, o.rules == RuleSet::Browser, keptOnly);
    CheckRenderOptions(o.render, o.rules == RuleSet::Browser, keptOnly);
    CheckIdentityOptions(o.identity, o.rules == RuleSet::Browser, keptOnly, o.resume);
    // Scope, patterns, depth and parameters to strip: the kept crawl's rules are checked when it is opened.
    if (const AuditOptionRefusal refused = RefusedScopeOption(o.controls, o.rules == RuleSet::Browser);
        !keptOnly && refused.option != nullptr) {
        Refuse(refused.option, refused.reason);
    }
    CheckListOptions(o.list, o.rules == RuleSet::Browser, o.audit.sitemaps, keptOnly);
    // A list names its own pages: the first stands for the site when no URL is given.
    if (!keptOnly && app.count("URL") == 0 && !o.list.urlsFile) {
        throw CLI::RequiredError("URL");
    }
}

std::vector<std::string> GivenOptions(const CLI::App& app) {
    std::vector<std::string> given;
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() != 0) {
            given.push_back(option->get_name());
        }
    }
    return given;
}

} // namespace

const char* VersionText() {
    return kVersionText;
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    Options options;
    CLI::App app(kDescription, "vortaxel-cli");
    // As before: a repeated option counts with its last value, and a flag takes no value.
    app.option_defaults()->take_last()->disable_flag_override();
    app.set_help_flag("-h,--help", "Print this help and exit");
    app.set_version_flag("--version", std::string("vortaxel-cli ") + VersionText(), "Print the version and exit");
    app.footer(kFooter);
    app.get_formatter()->column_width(34);
    Declare(app, options);

    // CLI11 consumes its arguments from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
        CheckTogether(options, app);
        // An output of the key phrases asks for them as the switch does, and a kept crawl keeps them so.
        options.audit.keyPhrases = options.audit.WantsKeyPhrases();
        // A threshold asks for the checks it sets.
        options.content.duplicates =
            options.content.duplicates || options.content.nearPercent || options.content.thinWords;
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, {}, app.help()};
    } catch (const CLI::CallForVersion& version) {
        return {std::nullopt, {}, std::string(version.what()) + "\n"};
    } catch (const CLI::ParseError& refused) {
        return {std::nullopt, refused.what(), {}};
    }
    return {std::move(options), {}, {}, GivenOptions(app)};
}

} // namespace vortaxel::cli
