// The language versions a Link header names, read as RFC 8288 writes link values.

#include "web/link_header.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::web {
namespace {

using Alternates = std::vector<HeaderAlternate>;

TEST(HeaderAlternates, ReadsEachAlternateWithALanguage) {
    const struct {
        const char* name;
        std::string value;
        Alternates found;
    } rows[] = {
        {"one", R"(<https://e.x/de/>; rel="alternate"; hreflang="de")", {{"https://e.x/de/", "de"}}},
        {"tokens, not quoted", "</en/>;rel=alternate;hreflang=en-GB", {{"/en/", "en-GB"}}},
        {"several joined",
         R"(</de/>; rel="alternate"; hreflang="de", </fr/>; rel="alternate"; hreflang="fr")",
         {{"/de/", "de"}, {"/fr/", "fr"}}},
        {"rel among others, any case",
         R"(</x/>; rel="ALTERNATE nofollow"; hreflang="x-default")",
         {{"/x/", "x-default"}}},
        {"a comma inside the address", R"(</a,b/>; rel="alternate"; hreflang="de")", {{"/a,b/", "de"}}},
        {"a comma inside a quote", R"(</a/>; title="one, two"; rel="alternate"; hreflang="de")", {{"/a/", "de"}}},
        {"an escaped quote", R"(</a/>; title="say \"hi\""; rel=alternate; hreflang=de)", {{"/a/", "de"}}},
        {"no hreflang", R"(</a/>; rel="alternate")", {}},
        {"an empty hreflang", R"(</a/>; rel="alternate"; hreflang="")", {}},
        {"not an alternate",
         R"(</style.css>; rel="preload"; hreflang="de", </de/>; rel=alternate; hreflang=de)",
         {{"/de/", "de"}}},
        {"alternates of a word", R"(</a/>; rel="alternates"; hreflang="de")", {}},
        {"the first rel counts", R"(</a/>; rel="preload"; rel="alternate"; hreflang="de")", {}},
        {"no closing bracket ends it",
         R"(</de/>; rel=alternate; hreflang=de, </fr/; rel=alternate; hreflang=fr)",
         {{"/de/", "de"}}},
        {"an open quote ends it",
         R"(</de/>; rel=alternate; hreflang=de, </fr/>; rel="alternate; hreflang=fr)",
         {{"/de/", "de"}}},
        {"garbage", "not a link header", {}},
        {"empty", "", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HeaderAlternates(row.value), row.found) << row.name;
    }
}

TEST(HeaderAlternates, KeepsAtMostItsBound) {
    std::string value;
    for (int i = 0; i < 10'000; ++i) {
        value += "</>; rel=alternate; hreflang=en, ";
    }
    EXPECT_EQ(HeaderAlternates(value).size(), kMostHeaderAlternates);
}

} // namespace
} // namespace vortaxel::web
