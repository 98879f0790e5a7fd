#include "store/content/content_audit_writer.h"

#include "crawl/page/page_address.h"
#include "store/content/content_audit_settings.h"
#include "web/link_header.h"

#include <cstdlib>
#include <string>

namespace vortaxel::store {

namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty()) {
            out += kContentListSeparator;
        }
        out += item;
    }
    return out;
}

} // namespace

SqlStatus ContentAuditWriter::Prepare(SqlDatabase& db, const crawl::ContentAuditChoices& choices) {
    structuredData_ = choices.structuredData;
    extracts_ = !choices.extractors.empty();
    SqlStatus status;
    if (structuredData_) {
        status = schema_.Prepare(db, "INSERT OR REPLACE INTO page_schema (page_id, types, issues) VALUES (?, ?, ?)");
    }
    spelling_ = choices.spelling;
    if (status && spelling_) {
        status = pageSpelling_.Prepare(
            db, "INSERT OR REPLACE INTO page_spelling (page_id, lang, checked, words) VALUES (?, ?, ?, ?)");
    }
    if (status && spelling_) {
        status = language_.Prepare(
            db, "INSERT OR REPLACE INTO spelling_languages (lang, dictionary, problem) VALUES (?, ?, ?)");
    }
    headerAlternates_ = choices.hreflang && HasSpelling(db);
    if (status && headerAlternates_) {
        status = headerAlternate_.Prepare(
            db, "INSERT OR REPLACE INTO header_alternates (page_id, ordinal, target, hreflang) VALUES (?, ?, ?, ?)");
    }
    if (status && extracts_) {
        status = extract_.Prepare(
            db, "INSERT OR REPLACE INTO page_extracts (page_id, extractor, ordinal, value) VALUES (?, ?, ?, ?)");
    }
    return status;
}

SqlStatus ContentAuditWriter::Write(SqlDatabase& db, const crawl::ContentAuditChoices& choices, std::int64_t pageId,
                                    const crawl::PageRead& read, Reply reply) {
    if (!prepared_) {
        if (SqlStatus status = Prepare(db, choices); !status) {
            return status;
        }
        prepared_ = true;
    }
    SqlStatus status;
    if (structuredData_) {
        schema_.Bind(1, pageId);
        schema_.Bind(2, Joined(read.structured.types));
        schema_.Bind(3, Joined(read.structured.issues));
        status = schema_.Run();
    }
    for (std::size_t i = 0; status && extracts_ && i < read.extracted.size(); ++i) {
        for (std::size_t j = 0; status && j < read.extracted[i].size(); ++j) {
            extract_.Bind(1, pageId);
            extract_.Bind(2, static_cast<std::int64_t>(i));
            extract_.Bind(3, static_cast<std::int64_t>(j));
            extract_.Bind(4, read.extracted[i][j]);
            status = extract_.Run();
        }
    }
    if (status && spelling_) {
        status = WriteSpelling(read, pageId);
    }
    if (status && headerAlternates_ && !reply.linkHeader.empty()) {
        status = WriteHeaderAlternates(reply, pageId);
    }
    return status;
}

SqlStatus ContentAuditWriter::WriteHeaderAlternates(Reply reply, std::int64_t pageId) {
    SqlStatus status;
    std::int64_t ordinal = 0;
    for (const web::HeaderAlternate& alternate : web::HeaderAlternates(reply.linkHeader)) {
        // Kept as written where it names no web page, as a link is.
        const std::optional<std::string> target = crawl::PageIdentity(reply.url, alternate.target);
        headerAlternate_.Bind(1, pageId);
        headerAlternate_.Bind(2, ordinal++);
        headerAlternate_.Bind(3, target ? std::string_view(*target) : std::string_view(alternate.target));
        headerAlternate_.Bind(4, alternate.hreflang);
        if (status = headerAlternate_.Run(); !status) {
            break;
        }
    }
    return status;
}

SqlStatus ContentAuditWriter::WriteSpelling(const crawl::PageRead& read, std::int64_t pageId) {
    if (!speller_) {
        // Hunspell's own variable names more folders to look in, as its program reads it.
        speller_.emplace(text::DictionaryFolders(std::getenv("DICPATH")));
    }
    const crawl::PageFacts& facts = read.facts;
    std::string lang = read.terms.lang;
    if (lang.empty()) {
        // The text pass did not run: the page's language is chosen as it would have been, from its text
        // where the crawl read it, else from what is checked.
        const std::vector<text::TextBlock> checked = {{text::Zone::Title, facts.title},
                                                      {text::Zone::Description, facts.metaDescription},
                                                      {text::Zone::H1, facts.h1}};
        lang = text::PageLanguage(read.text.empty() ? std::span(checked) : std::span(read.text), facts.lang);
    }
    const std::string_view texts[] = {facts.title, facts.metaDescription, facts.h1};
    const text::SpellingOutcome outcome = speller_->Check(texts, lang, text::RegionOf(facts.lang, lang));
    SqlStatus status;
    if (!lang.empty() && languagesKept_.insert(lang).second) {
        const text::Speller::Language& language = speller_->Languages().at(lang);
        language_.Bind(1, lang);
        language_.Bind(2, language.files.dic);
        language_.Bind(3, language.problem);
        status = language_.Run();
    }
    if (status) {
        pageSpelling_.Bind(1, pageId);
        pageSpelling_.Bind(2, lang);
        pageSpelling_.Bind(3, std::int64_t{outcome.state == text::SpellingOutcome::State::Checked ? 1 : 0});
        pageSpelling_.Bind(4, Joined(outcome.unknown));
        status = pageSpelling_.Run();
    }
    return status;
}

} // namespace vortaxel::store
