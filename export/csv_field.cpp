#include "export/csv_field.h"

#include <algorithm>

namespace vortaxel::keywords {

namespace {

/// What a spreadsheet takes as the start of a formula (OWASP's list for CSV): a cell from a server that
/// begins so would run as one.
bool StartsAFormula(char first) {
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r';
}

/// Control bytes a terminal or viewer would act on (ESC starts a sequence, BEL rings). Tab, CR and LF stay:
/// CSV quoting carries them as cell text.
bool IsEscapedControl(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return (value < 0x20 && value != '\t' && value != '\r' && value != '\n') || value == 0x7F;
}

void AppendQuoted(std::string& text, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        text += field;
        return;
    }
    text += '"';
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        text.append(field.substr(0, quote + 1));
        text += '"';
        field.remove_prefix(quote + 1);
    }
    text += field;
    text += '"';
}

} // namespace

void AppendCsvField(std::string& text, std::string_view field) {
    const bool formula = !field.empty() && StartsAFormula(field.front());
    if (!formula && std::none_of(field.begin(), field.end(), IsEscapedControl)) {
        AppendQuoted(text, field); // every ordinary cell: no copy
        return;
    }
    // The quote makes a spreadsheet take the cell as text; readers of the file see it in front.
    std::string cell = formula ? "'" : "";
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char byte : field) {
        if (IsEscapedControl(byte)) {
            const auto value = static_cast<unsigned char>(byte);
            cell += '%';
            cell += kHex[value >> 4];
            cell += kHex[value & 0xF];
        } else {
            cell += byte;
        }
    }
    AppendQuoted(text, cell);
}

} // namespace vortaxel::keywords
