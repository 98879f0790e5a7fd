#include "page_text.h"

#include "utf8.h"

#include <cstdint>

namespace vortaxel::audit {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

/// Calls `ascii(c)` for each ASCII byte and `other(sequence)` for each well-formed multi-byte sequence,
/// with U+FFFD in place of every byte that starts none.
template <typename Ascii, typename Other> void ForEachCharacter(std::string_view text, Ascii ascii, Other other) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = keywords::Utf8SequenceLength(text, i);
        if (length == 1) {
            ascii(text[i]);
        } else if (length == 0) {
            other(kReplacement);
        } else {
            other(text.substr(i, length));
        }
        i += length == 0 ? 1 : length;
    }
}

void AppendUnicodeEscape(std::string& out, std::uint32_t code) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kHex[(code >> static_cast<unsigned>(shift)) & 0xFU];
    }
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    ForEachCharacter(
        text,
        [&](char c) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '<':
            case '>':
            case '&':
                AppendUnicodeEscape(out, static_cast<unsigned char>(c));
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    AppendUnicodeEscape(out, static_cast<unsigned char>(c));
                } else {
                    out += c;
                }
            }
        },
        [&](std::string_view sequence) {
            if (sequence == "\xE2\x80\xA8") {
                AppendUnicodeEscape(out, 0x2028);
            } else if (sequence == "\xE2\x80\xA9") {
                AppendUnicodeEscape(out, 0x2029);
            } else {
                out += sequence;
            }
        });
    out += '"';
}

void AppendHtmlText(std::string& out, std::string_view text) {
    ForEachCharacter(
        text,
        [&](char c) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                    out += c;
                }
            }
        },
        [&](std::string_view sequence) { out += sequence; });
}

} // namespace vortaxel::audit
