#include "cli/render_columns.h"

#include "export/csv_field.h"
#include "export/utf8.h"
#include "store/write/rendered_writer.h"

namespace vortaxel::cli {

namespace {

void AppendText(std::string& fields, std::string_view text) {
    fields += ',';
    keywords::AppendCsvField(fields, keywords::WellFormedUtf8(text));
}

void AppendNumber(std::string& fields, std::uint64_t number) {
    fields += ',';
    fields += std::to_string(number);
}

} // namespace

std::string LinkSeenInField(std::int64_t seenIn) {
    return std::string(",") + store::SeenInName(seenIn);
}

void AppendReportRenderedFields(std::string& fields, const std::optional<crawl::RenderedPage>& rendered) {
    if (!rendered) {
        fields.append(11, ',');
        return;
    }
    for (const std::optional<std::string>* fact :
         {&rendered->title, &rendered->description, &rendered->h1, &rendered->canonical, &rendered->robots}) {
        AppendText(fields, fact->value_or(std::string()));
    }
    AppendNumber(fields, rendered->jsLinks);
    // A page the browser could not show says so where its script errors would be.
    std::string errors = rendered->error.empty() ? std::string() : "render failed: " + rendered->error;
    for (const std::string& error : rendered->jsErrors) {
        errors += (errors.empty() ? "" : "; ") + error;
    }
    AppendText(fields, errors);
    AppendNumber(fields, rendered->requests);
    AppendNumber(fields, static_cast<std::uint64_t>(rendered->elapsed.count()));
    AppendNumber(fields, rendered->jsWords);
    AppendNumber(fields, rendered->blocked);
}

} // namespace vortaxel::cli
