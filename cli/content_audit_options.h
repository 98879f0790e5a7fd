#pragma once

#include "crawl/content/content_audit_choices.h"

#include <string>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// Declares --structured-data, --hreflang, --extract, --extract-all and --spelling. A bad extractor (a name unfit
/// for a column or given twice, an XPath or regex that does not compile, more than kMaxExtractors) is
/// refused as it is parsed, naming the option and why, before any request.
void DeclareContentAuditOptions(CLI::App& app, crawl::ContentAuditChoices& content);

/// The first content audit option given, which classic rules cannot serve; nullptr for none.
const char* GivenContentAuditOption(const crawl::ContentAuditChoices& content);

/// An extractor as --extract takes it, NAME=xpath:EXPR or NAME=regex:RE; fills `extractor` and
/// returns "", or returns why the text is refused.
std::string ParseExtractor(const std::string& text, crawl::Extractor& extractor);

} // namespace vortaxel::cli
