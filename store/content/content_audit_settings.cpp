#include "store/content/content_audit_settings.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

namespace vortaxel::store {

namespace {

std::string ExtractorsText(const std::vector<crawl::Extractor>& extractors) {
    nlohmann::json list = nlohmann::json::array();
    for (const crawl::Extractor& extractor : extractors) {
        list.push_back({{"name", extractor.name},
                        {"kind", extractor.kind == crawl::ExtractorKind::Regex ? "regex" : "xpath"},
                        {"expression", extractor.expression}});
    }
    // Expressions are the user's bytes: one that is no UTF-8 is kept with its bytes replaced, never refused.
    return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool ParseExtractors(std::string_view text, std::vector<crawl::Extractor>& extractors) {
    const nlohmann::json list = nlohmann::json::parse(text, nullptr, false);
    if (!list.is_array() || list.size() > crawl::kMaxExtractors) {
        return false;
    }
    for (const nlohmann::json& item : list) {
        if (!item.is_object() || !item.contains("name") || !item["name"].is_string() || !item.contains("kind") ||
            !item["kind"].is_string() || !item.contains("expression") || !item["expression"].is_string()) {
            return false;
        }
        const std::string kind = item["kind"].get<std::string>();
        if (kind != "xpath" && kind != "regex") {
            return false;
        }
        extractors.push_back({item["name"].get<std::string>(),
                              kind == "regex" ? crawl::ExtractorKind::Regex : crawl::ExtractorKind::XPath,
                              item["expression"].get<std::string>()});
    }
    return true;
}

} // namespace

bool HasContentAudit(SqlDatabase& db) {
    std::int64_t tables = 0;
    return db.QueryInt("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'content_audit'", tables) &&
           tables == 1;
}

bool HasSpelling(SqlDatabase& db) {
    std::int64_t tables = 0;
    return db.QueryInt("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'page_spelling'", tables) &&
           tables == 1;
}

SqlStatus WriteContentAuditSettings(SqlDatabase& db, const crawl::ContentAuditChoices& choices) {
    if (!HasContentAudit(db)) {
        return choices.Any() ? SqlStatus{SQLITE_ERROR, "the file's layout keeps no content audit"} : SqlStatus{};
    }
    const bool spelling = HasSpelling(db);
    if (choices.spelling && !spelling) {
        return SqlStatus{SQLITE_ERROR, "the file's layout keeps no spelling"};
    }
    SqlStatement write;
    SqlStatus status = write.Prepare(db, "INSERT OR REPLACE INTO content_audit (id, structured_data, hreflang, "
                                         "extract_all, extractors) VALUES (1, ?, ?, ?, ?)");
    if (!status) {
        return status;
    }
    write.Bind(1, std::int64_t{choices.structuredData ? 1 : 0});
    write.Bind(2, std::int64_t{choices.hreflang ? 1 : 0});
    write.Bind(3, std::int64_t{choices.extractAll ? 1 : 0});
    write.Bind(4, ExtractorsText(choices.extractors));
    status = write.Run();
    if (status && spelling) {
        SqlStatement flag;
        status = flag.Prepare(db, "UPDATE content_audit SET spelling = ? WHERE id = 1");
        if (status) {
            flag.Bind(1, std::int64_t{choices.spelling ? 1 : 0});
            status = flag.Run();
        }
    }
    return status;
}

std::string ReadContentAuditSettings(SqlDatabase& db, crawl::ContentAuditChoices& choices) {
    choices = {};
    if (!HasContentAudit(db)) {
        return {};
    }
    SqlStatement read;
    if (const SqlStatus status = read.Prepare(
            db, "SELECT structured_data, hreflang, extract_all, extractors FROM content_audit WHERE id = 1");
        !status) {
        return "it is damaged: " + status.message;
    }
    if (!read.Step()) {
        // A crawl begun before its settings were written, or made before they were kept: all off.
        return read.Status() ? std::string() : "it is damaged: " + read.Status().message;
    }
    const auto isFlag = [&read](int column) { return read.Int(column) == 0 || read.Int(column) == 1; };
    if (!isFlag(0) || !isFlag(1) || !isFlag(2) || !ParseExtractors(read.Text(3), choices.extractors)) {
        choices = {};
        return "it is damaged: its content audit settings hold a value no run writes";
    }
    choices.structuredData = read.Int(0) != 0;
    choices.hreflang = read.Int(1) != 0;
    choices.extractAll = read.Int(2) != 0;
    if (!HasSpelling(db)) {
        return {};
    }
    SqlStatement spelling;
    if (const SqlStatus status = spelling.Prepare(db, "SELECT spelling FROM content_audit WHERE id = 1");
        !status || !spelling.Step()) {
        return "it is damaged: " + (status ? spelling.Status().message : status.message);
    }
    if (spelling.Int(0) != 0 && spelling.Int(0) != 1) {
        choices = {};
        return "it is damaged: its content audit settings hold a value no run writes";
    }
    choices.spelling = spelling.Int(0) != 0;
    return {};
}

} // namespace vortaxel::store
