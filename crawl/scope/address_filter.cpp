#include "crawl/scope/address_filter.h"

#include <algorithm>
#include <re2/re2.h>
#include <re2/set.h>

namespace vortaxel::crawl {

struct AddressFilter::PatternSet {
    explicit PatternSet(const RE2::Options& options) : set(options, RE2::UNANCHORED) {}
    RE2::Set set;
};

AddressFilter::AddressFilter(const CrawlControls& controls) {
    const auto compile = [](const std::vector<std::string>& patterns) -> std::unique_ptr<PatternSet> {
        if (patterns.empty()) {
            return nullptr;
        }
        RE2::Options options;
        // As AddressPatternError checks them: bytes as they are, no message printed.
        options.set_encoding(RE2::Options::EncodingLatin1);
        options.set_log_errors(false);
        auto compiled = std::make_unique<PatternSet>(options);
        for (const std::string& pattern : patterns) {
            compiled->set.Add(re2::StringPiece(pattern.data(), pattern.size()), nullptr);
        }
        compiled->set.Compile();
        return compiled;
    };
    include_ = compile(controls.include);
    exclude_ = compile(controls.exclude);
    for (const std::string& name : controls.stripQuery) {
        if (name.ends_with('*')) {
            stripPrefixes_.push_back(name.substr(0, name.size() - 1));
        } else {
            stripNames_.push_back(name);
        }
    }
}

AddressFilter::~AddressFilter() = default;
AddressFilter::AddressFilter(AddressFilter&&) noexcept = default;
AddressFilter& AddressFilter::operator=(AddressFilter&&) noexcept = default;

bool AddressFilter::Admits(std::string_view address) const {
    const re2::StringPiece text(address.data(), address.size());
    if (include_ != nullptr && !include_->set.Match(text, nullptr)) {
        return false;
    }
    return exclude_ == nullptr || !exclude_->set.Match(text, nullptr);
}

bool AddressFilter::StripQuery(std::string& address) const {
    const std::size_t mark = address.find('?');
    if (mark == std::string::npos || !Strips()) {
        return false;
    }
    const auto stripped = [this](std::string_view name) {
        for (const std::string& listed : stripNames_) {
            if (name == listed) {
                return true;
            }
        }
        for (const std::string& prefix : stripPrefixes_) {
            if (name.starts_with(prefix)) {
                return true;
            }
        }
        return false;
    };
    const std::string_view query = std::string_view(address).substr(mark + 1);
    std::string kept;
    bool removed = false;
    bool first = true;
    std::size_t from = 0;
    while (from <= query.size()) {
        const std::size_t end = std::min(query.find('&', from), query.size());
        const std::string_view parameter = query.substr(from, end - from);
        if (stripped(parameter.substr(0, parameter.find('=')))) {
            removed = true;
        } else {
            if (!first) {
                kept += '&';
            }
            first = false;
            kept.append(parameter);
        }
        from = end + 1;
    }
    if (!removed) {
        return false;
    }
    address.resize(mark);
    if (!first) {
        address.append(1, '?').append(kept);
    }
    return true;
}

} // namespace vortaxel::crawl
