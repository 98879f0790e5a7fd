#include "analysis/phrase_file.h"

#include "export/keyword_file.h"
#include "export/site_title_affixes.h"
#include "export/utf8.h"
#include "store/read/audit_reader.h"
#include "store/read/page_text_reader.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace vortaxel::app {

std::string TargetPhraseFileBytes(store::AuditReader& reader, std::span<const std::string_view> pages,
                                  std::string& bytes) {
    std::unordered_map<std::string, std::string> targets;
    std::string error = reader.ForEachRow([&targets](const store::AuditRow& row) {
        if (!row.listed || row.keyPhrases.empty()) {
            return;
        }
        // The found list names a page by the address asked for, or by where a redirect led.
        targets.emplace(row.page.url, row.keyPhrases.front().phrase);
        if (!row.page.finalUrl.empty()) {
            targets.emplace(row.page.finalUrl, row.keyPhrases.front().phrase);
        }
    });
    if (!error.empty()) {
        return error;
    }
    keywords::KeywordFileBuilder builder;
    for (const std::string_view page : pages) {
        if (const auto target = targets.find(std::string(page)); target != targets.end()) {
            builder.AddPhrase(keywords::WellFormedUtf8(target->second));
        }
    }
    bytes = builder.Bytes();
    return {};
}

std::string PhraseFileBytes(store::CrawlStore& store, keywords::PhraseSource source,
                            std::span<const std::string_view> pages, std::string& bytes) {
    keywords::KeywordFileBuilder builder;
    if (source == keywords::PhraseSource::KeyPhrase) {
        store::AuditReader reader(store, false);
        return TargetPhraseFileBytes(reader, pages, bytes);
    }
    if (source == keywords::PhraseSource::Slug) {
        for (const std::string_view page : pages) {
            builder.AddPhrase(keywords::MakeDecodedSlugPhrase(page));
        }
    } else {
        store::PageTextReader reader(store, source == keywords::PhraseSource::Title ? store::PageText::Title
                                            : source == keywords::PhraseSource::H1  ? store::PageText::H1
                                                                                    : store::PageText::InboundAnchors);
        if (store::SqlStatus status = reader.Prepare(); !status) {
            return status.message;
        }
        // What a site writes around every title is known only from all of them.
        std::vector<std::string> titles;
        for (const std::string_view page : pages) {
            std::vector<std::string> anchors = reader.Read(page);
            if (source == keywords::PhraseSource::Anchor) {
                const std::vector<std::string_view> views(anchors.begin(), anchors.end());
                builder.AddPhrase(keywords::WellFormedUtf8(keywords::ChooseAnchorText(views)));
            } else if (source == keywords::PhraseSource::Title) {
                titles.push_back(anchors.empty() ? std::string() : std::move(anchors.front()));
            } else {
                builder.AddPhrase(keywords::WellFormedUtf8(
                    keywords::MakeTextPhrase(anchors.empty() ? std::string() : anchors.front())));
            }
        }
        for (std::string& phrase : keywords::CleanTitlePhrases(titles)) {
            builder.AddPhrase(keywords::WellFormedUtf8(phrase));
        }
    }
    bytes = builder.Bytes();
    return {};
}

} // namespace vortaxel::app
