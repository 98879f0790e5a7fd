#include "cli/list_options.h"

#include "cli/output_escape.h"
#include "crawl/crawl_controls.h"
#include "crawl/list/address_list.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace vortaxel::cli {

void DeclareListOptions(CLI::App& app, ListOptions& list) {
    app.add_option_function<std::string>(
           "--urls",
           [&list](const std::string& v) {
               if (v.empty()) {
                   throw CLI::ValidationError("--urls", "needs a file name, or - for standard input");
               }
               list.urlsFile = v;
               list.listMode = true;
           },
           "With --rules browser: audit exactly the addresses in FILE, one a line (- reads standard input), "
           "following no link; URL may then be left out")
        ->type_name("FILE");
    app.add_flag_callback(
        "--urls-from-sitemaps",
        [&list] {
            list.fromSitemaps = true;
            list.listMode = true;
        },
        "With --rules browser --sitemaps: audit exactly the pages the site's sitemaps list, following no link");
    app.add_flag("--check-external", list.checkExternal,
                 "With --rules browser: request each distinct target of a link the crawl does not follow (another "
                 "host, or nofollow) once, with HEAD, for --links' status column and the broken links");
}

ListOptionRefusal RefusedListOption(const ListOptions& list, bool browser, bool sitemaps) {
    const char* const needsBrowser = "needs --rules browser";
    if (list.urlsFile && !browser) {
        return {"--urls", needsBrowser};
    }
    if (list.fromSitemaps && !browser) {
        return {"--urls-from-sitemaps", needsBrowser};
    }
    if (list.checkExternal && !browser) {
        return {"--check-external", needsBrowser};
    }
    if (list.fromSitemaps && list.urlsFile) {
        return {"--urls-from-sitemaps", "cannot go with --urls"};
    }
    if (list.fromSitemaps && !sitemaps) {
        return {"--urls-from-sitemaps", "needs --sitemaps"};
    }
    return {};
}

void CheckListOptions(const ListOptions& list, bool browser, bool sitemaps, bool keptOnly) {
    if (keptOnly) {
        return;
    }
    if (const ListOptionRefusal refused = RefusedListOption(list, browser, sitemaps); refused.option != nullptr) {
        throw CLI::ValidationError(refused.option, refused.reason);
    }
}

namespace {

void TellRefusedLine(const crawl::ListedLineProblem& problem) {
    std::string text = EscapeControlBytes(problem.text);
    if (problem.bytes > problem.text.size()) {
        text += "... (" + std::to_string(problem.bytes) + " bytes)";
    }
    std::fprintf(stderr, "vortaxel-cli: --urls: line %zu is no web address, skipped: %s\n", problem.line, text.c_str());
}

} // namespace

std::string ReadListedAddresses(ListOptions& list) {
    if (!list.urlsFile) {
        return {};
    }
    const std::string& name = *list.urlsFile;
    crawl::ListedAddresses read;
    if (name == "-") {
        read = crawl::ReadAddressList(std::cin, TellRefusedLine);
        if (std::cin.bad()) {
            return "--urls: cannot read standard input";
        }
    } else {
        std::error_code ignored;
        if (std::filesystem::is_directory(name, ignored)) {
            return "--urls: cannot read " + EscapeControlBytes(name) + ": it is a folder";
        }
        std::ifstream file(name, std::ios::binary);
        if (!file.is_open()) {
            return "--urls: cannot read " + EscapeControlBytes(name) + ": " + std::strerror(errno);
        }
        read = crawl::ReadAddressList(file, TellRefusedLine);
        if (file.bad()) {
            return "--urls: cannot read " + EscapeControlBytes(name);
        }
    }
    if (read.addresses.empty()) {
        return "--urls: " + (name == "-" ? std::string("standard input") : EscapeControlBytes(name)) +
               " holds no web address (http:// or https://), one a line";
    }
    list.listed = std::move(read.addresses);
    return {};
}

} // namespace vortaxel::cli

namespace vortaxel::cli {

void PutListControls(const ListOptions& list, crawl::CrawlControls& controls) {
    controls.listMode = list.listMode;
    controls.listed = list.listed;
    controls.listFromSitemaps = list.fromSitemaps;
    controls.checkExternal = list.checkExternal;
}

std::string TakeKeptListControls(const crawl::CrawlControls& kept, const std::string& crawl,
                                 const std::vector<std::string>& given, ListOptions& list) {
    const auto isGiven = [&given](const char* name) { return std::ranges::find(given, name) != given.end(); };
    if (isGiven("--urls")) {
        if (!kept.listMode || kept.listFromSitemaps) {
            return "--urls: " + crawl + " does not audit a list of addresses";
        }
        if (list.listed != kept.listed) {
            return "--urls: " + crawl + " audits another list of addresses (" + std::to_string(kept.listed.size()) +
                   " of them)";
        }
    }
    if (isGiven("--urls-from-sitemaps") && !kept.listFromSitemaps) {
        return "--urls-from-sitemaps: " + crawl + " does not audit its sitemaps' pages alone";
    }
    if (isGiven("--check-external") && !kept.checkExternal) {
        return "--check-external: " + crawl + " does not check links that leave it";
    }
    list.listMode = kept.listMode;
    list.listed = kept.listed;
    list.fromSitemaps = kept.listFromSitemaps;
    list.checkExternal = kept.checkExternal;
    return {};
}

} // namespace vortaxel::cli
