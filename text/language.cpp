#include "text/language.h"

#include <algorithm>
#include <array>

namespace vortaxel::text {
namespace {

// Sorted by code. The languages with a stemmer or a stop list are those Snowball covers (and Polish,
// Chinese and Japanese, whose lists the project wrote); the others are the written languages the detector
// reports, split by ICU alone.
constexpr std::array kLanguages{
    LanguageInfo{"af", "", ""},
    LanguageInfo{"am", "", ""},
    LanguageInfo{"ar", "arabic", ""},
    LanguageInfo{"az", "", ""},
    LanguageInfo{"be", "", ""},
    LanguageInfo{"bg", "", ""},
    LanguageInfo{"bn", "", ""},
    LanguageInfo{"bs", "", ""},
    LanguageInfo{"ca", "catalan", ""},
    LanguageInfo{"cs", "", ""},
    LanguageInfo{"cy", "", ""},
    LanguageInfo{"da", "danish", "danish"},
    LanguageInfo{"de", "german", "german"},
    LanguageInfo{"el", "greek", ""},
    LanguageInfo{"en", "english", "english"},
    LanguageInfo{"eo", "", ""},
    LanguageInfo{"es", "spanish", "spanish"},
    LanguageInfo{"et", "", ""},
    LanguageInfo{"eu", "basque", ""},
    LanguageInfo{"fa", "", ""},
    LanguageInfo{"fi", "finnish", "finnish"},
    LanguageInfo{"fr", "french", "french"},
    LanguageInfo{"ga", "irish", ""},
    LanguageInfo{"gl", "", ""},
    LanguageInfo{"gu", "", ""},
    LanguageInfo{"he", "", ""},
    LanguageInfo{"hi", "hindi", ""},
    LanguageInfo{"hr", "", ""},
    LanguageInfo{"hu", "hungarian", "hungarian"},
    LanguageInfo{"hy", "armenian", ""},
    LanguageInfo{"id", "indonesian", ""},
    LanguageInfo{"is", "", ""},
    LanguageInfo{"it", "italian", "italian"},
    LanguageInfo{"ja", "", "japanese"},
    LanguageInfo{"ka", "", ""},
    LanguageInfo{"kk", "", ""},
    LanguageInfo{"km", "", ""},
    LanguageInfo{"kn", "", ""},
    LanguageInfo{"ko", "", ""},
    LanguageInfo{"ky", "", ""},
    LanguageInfo{"lo", "", ""},
    LanguageInfo{"lt", "lithuanian", ""},
    LanguageInfo{"lv", "", ""},
    LanguageInfo{"mk", "", ""},
    LanguageInfo{"ml", "", ""},
    LanguageInfo{"mn", "", ""},
    LanguageInfo{"mr", "", ""},
    LanguageInfo{"ms", "", ""},
    LanguageInfo{"mt", "", ""},
    LanguageInfo{"my", "", ""},
    LanguageInfo{"ne", "nepali", "nepali"},
    LanguageInfo{"nl", "dutch", "dutch"},
    LanguageInfo{"no", "norwegian", "norwegian"},
    LanguageInfo{"pa", "", ""},
    LanguageInfo{"pl", "", "polish"},
    LanguageInfo{"ps", "", ""},
    LanguageInfo{"pt", "portuguese", "portuguese"},
    LanguageInfo{"ro", "romanian", ""},
    LanguageInfo{"ru", "russian", "russian"},
    LanguageInfo{"si", "", ""},
    LanguageInfo{"sk", "", ""},
    LanguageInfo{"sl", "", ""},
    LanguageInfo{"sq", "", ""},
    LanguageInfo{"sr", "serbian", ""},
    LanguageInfo{"sv", "swedish", "swedish"},
    LanguageInfo{"sw", "", ""},
    LanguageInfo{"ta", "tamil", ""},
    LanguageInfo{"te", "", ""},
    LanguageInfo{"th", "", ""},
    LanguageInfo{"tl", "", ""},
    LanguageInfo{"tr", "turkish", "turkish"},
    LanguageInfo{"uk", "", ""},
    LanguageInfo{"ur", "", ""},
    LanguageInfo{"uz", "", ""},
    LanguageInfo{"vi", "", ""},
    LanguageInfo{"yi", "yiddish", ""},
    LanguageInfo{"zh", "", "chinese"},
};

constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kAliases{{
    {"in", "id"},
    {"iw", "he"},
    {"ji", "yi"},
    {"nb", "no"},
    {"nn", "no"},
}};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

const LanguageInfo* FindLanguage(std::string_view code) {
    const auto* it = std::lower_bound(kLanguages.begin(), kLanguages.end(), code,
                                      [](const LanguageInfo& l, std::string_view c) { return l.code < c; });
    return it != kLanguages.end() && it->code == code ? &*it : nullptr;
}

std::string DeclaredLanguage(std::string_view tag) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!tag.empty() && isBlank(tag.front())) {
        tag.remove_prefix(1);
    }
    std::string primary;
    for (char c : tag) {
        if (c == '-' || c == '_' || c == ',' || c == ';' || isBlank(c)) {
            break;
        }
        primary.push_back(LowerAscii(c));
    }
    for (const auto& [from, to] : kAliases) {
        if (primary == from) {
            primary = to;
        }
    }
    return FindLanguage(primary) != nullptr ? primary : std::string();
}

} // namespace vortaxel::text
