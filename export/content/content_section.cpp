#include "export/content/content_section.h"

#include "export/page_text.h"

#include <cmath>
#include <string_view>

namespace vortaxel::audit {

namespace {

std::string Whole(double value) {
    return std::to_string(static_cast<long long>(std::floor(value + 1e-9)));
}

/// One list: its heading, how many there are, and a table of its head.
void AppendList(std::string& out, std::string_view id, std::string_view heading, std::string_view otherColumn,
                std::string_view valueColumn, const std::vector<ContentLine>& lines, std::size_t total) {
    out += "<h3>";
    out += heading;
    out += "</h3><p class=\"note\" id=\"" + std::string(id) + "-note\">" + std::to_string(total) +
           (total == 1 ? " page" : " pages");
    if (total > lines.size()) {
        out += ", the first " + std::to_string(lines.size()) + " shown (the report lists them all)";
    }
    out += ".</p>";
    if (lines.empty()) {
        return;
    }
    out += "<table id=\"" + std::string(id) + "\"><thead><tr><th>Page</th>";
    if (!otherColumn.empty()) {
        out += "<th>" + std::string(otherColumn) + "</th>";
    }
    if (!valueColumn.empty()) {
        out += "<th>" + std::string(valueColumn) + "</th>";
    }
    out += "</tr></thead><tbody>";
    for (const ContentLine& line : lines) {
        out += "<tr><td>";
        AppendHtmlText(out, line.url);
        out += "</td>";
        if (!otherColumn.empty()) {
            out += "<td>";
            AppendHtmlText(out, line.other);
            out += "</td>";
        }
        if (!valueColumn.empty()) {
            out += "<td>" + Whole(line.value) + "</td>";
        }
        out += "</tr>";
    }
    out += "</tbody></table>";
}

} // namespace

void AppendContentSection(std::string& out, const ContentSection& section) {
    out += "<section id=\"content\"><h2>Content</h2>";
    if (section.duplicates) {
        AppendList(out, "exact-duplicates", "Duplicate pages", "Same text as", "", section.exact, section.exactTotal);
        AppendList(out, "near-duplicates", "Near-duplicates", "Most like", "Similarity %", section.near,
                   section.nearTotal);
        AppendList(out, "thin-pages", "Thin pages", "", "Words", section.thin, section.thinTotal);
    }
    if (section.linkScore) {
        AppendList(out, "strongest-pages", "Strongest pages by link score", "", "Link score", section.strongest,
                   section.strongest.size());
        AppendList(out, "weakest-pages", "Weakest pages by link score", "", "Link score", section.weakest,
                   section.weakest.size());
    }
    out += "</section>";
}

} // namespace vortaxel::audit
