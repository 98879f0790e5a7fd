#include "export/link_report.h"

#include "export/csv_field.h"

namespace vortaxel::audit {

LinkReportBuilder::LinkReportBuilder(std::string_view extraColumns) {
    text_ += kLinkReportHeader;
    text_ += extraColumns;
    text_ += "\r\n";
}

void LinkReportBuilder::Add(const AuditLink& link, std::string_view extraFields) {
    for (const std::string* field : {&link.source, &link.target, &link.anchor, &link.element, &link.rel}) {
        keywords::AppendCsvField(text_, *field);
        text_ += ',';
    }
    text_ += link.follow ? "yes," : "no,";
    if (link.hrefBytes != 0) {
        text_ += "too long (" + std::to_string(link.hrefBytes) + " bytes)";
    } else if (link.targetStatus) {
        text_ += std::to_string(*link.targetStatus);
    } else {
        keywords::AppendCsvField(text_, link.targetError);
    }
    text_ += extraFields;
    text_ += "\r\n";
    ++rows_;
}

std::string BuildLinkReport(std::span<const AuditLink> links) {
    LinkReportBuilder builder;
    for (const AuditLink& link : links) {
        builder.Add(link);
    }
    return std::move(builder).Text();
}

} // namespace vortaxel::audit
