#include "export/csv_field.h"

#include <array>

namespace vortaxel::keywords {

namespace {

/// What a spreadsheet takes as the start of a formula (OWASP's list for CSV): a cell from a server that
/// begins so would run as one.
bool StartsAFormula(char first) {
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r';
}

/// Control bytes a terminal or viewer would act on (ESC starts a sequence, BEL rings). Tab, CR and LF stay:
/// CSV quoting carries them as cell text.
constexpr bool IsEscapedControl(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return (value < 0x20 && value != '\t' && value != '\r' && value != '\n') || value == 0x7F;
}

// What each byte asks of its cell, so that one pass over the cell tells how to write it: a report or
// links file of millions of cells spends most of its time deciding that a cell needs nothing.
constexpr unsigned char kNeedsQuotes = 1;
constexpr unsigned char kNeedsEscape = 2;
constexpr std::array<unsigned char, 256> kByteNeeds = [] {
    std::array<unsigned char, 256> needs{};
    for (std::size_t byte = 0; byte < needs.size(); ++byte) {
        needs[byte] = IsEscapedControl(static_cast<char>(byte)) ? kNeedsEscape : 0;
    }
    for (const char byte : {',', '"', '\r', '\n'}) {
        needs[static_cast<unsigned char>(byte)] = kNeedsQuotes;
    }
    return needs;
}();

unsigned char NeedsOf(std::string_view field) {
    unsigned char needs = 0;
    for (const char byte : field) {
        needs |= kByteNeeds[static_cast<unsigned char>(byte)];
    }
    return needs;
}

void AppendQuoted(std::string& text, std::string_view field) {
    if ((NeedsOf(field) & kNeedsQuotes) == 0) {
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
    const unsigned char needs = NeedsOf(field);
    if (!formula && needs == 0) {
        text += field; // every ordinary cell
        return;
    }
    if (!formula && needs == kNeedsQuotes) {
        AppendQuoted(text, field); // no copy
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
