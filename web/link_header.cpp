#include "web/link_header.h"

#include "web/ascii.h"

namespace vortaxel::web {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
}

/// A parameter's value at `at`: a quoted string (its escapes undone) or a token up to ';' or ','. False
/// for a quote that does not end.
bool ReadValue(std::string_view text, std::size_t& at, std::string& value) {
    value.clear();
    if (at < text.size() && text[at] == '"') {
        for (++at; at < text.size(); ++at) {
            if (text[at] == '\\' && at + 1 < text.size()) {
                value += text[++at];
            } else if (text[at] == '"') {
                ++at;
                return true;
            } else {
                value += text[at];
            }
        }
        return false;
    }
    const std::size_t start = at;
    while (at < text.size() && text[at] != ';' && text[at] != ',') {
        ++at;
    }
    value.assign(TrimBlanks(text.substr(start, at - start)));
    return true;
}

bool HoldsAlternate(std::string_view rel) {
    std::size_t at = 0;
    while (at < rel.size()) {
        while (at < rel.size() && IsBlank(rel[at])) {
            ++at;
        }
        const std::size_t start = at;
        while (at < rel.size() && !IsBlank(rel[at])) {
            ++at;
        }
        if (EqualsIgnoreCase(rel.substr(start, at - start), "alternate")) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<HeaderAlternate> HeaderAlternates(std::string_view value) {
    std::vector<HeaderAlternate> found;
    std::size_t at = 0;
    std::string name;
    std::string param;
    while (at < value.size() && found.size() < kMostHeaderAlternates) {
        SkipBlanks(value, at);
        if (at < value.size() && value[at] == ',') {
            ++at;
            continue;
        }
        if (at >= value.size() || value[at] != '<') {
            break;
        }
        const std::size_t close = value.find('>', at);
        if (close == std::string_view::npos) {
            break;
        }
        HeaderAlternate link{std::string(TrimBlanks(value.substr(at + 1, close - at - 1))), {}};
        at = close + 1;
        bool alternate = false;
        bool hasLang = false;
        bool rel = false;
        for (;;) {
            SkipBlanks(value, at);
            if (at >= value.size() || value[at] != ';') {
                break;
            }
            ++at;
            SkipBlanks(value, at);
            const std::size_t start = at;
            while (at < value.size() && value[at] != '=' && value[at] != ';' && value[at] != ',') {
                ++at;
            }
            name.assign(TrimBlanks(value.substr(start, at - start)));
            param.clear();
            if (at < value.size() && value[at] == '=') {
                ++at;
                SkipBlanks(value, at);
                if (!ReadValue(value, at, param)) {
                    return found;
                }
            }
            // Only the first of a repeated parameter counts, as RFC 8288 has it for rel.
            if (EqualsIgnoreCase(name, "rel") && !rel) {
                rel = true;
                alternate = HoldsAlternate(param);
            } else if (EqualsIgnoreCase(name, "hreflang") && !hasLang) {
                hasLang = !param.empty();
                link.hreflang = param;
            }
        }
        SkipBlanks(value, at);
        if (at < value.size() && value[at] != ',') {
            break;
        }
        if (alternate && hasLang) {
            found.push_back(std::move(link));
        }
    }
    return found;
}

} // namespace vortaxel::web
