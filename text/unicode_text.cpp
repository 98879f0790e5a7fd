#include "text/unicode_text.h"

#include <unicode/normalizer2.h>

namespace vortaxel::text {

icu::UnicodeString ReadUtf8(std::string_view bytes) {
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(bytes.data(), static_cast<std::int32_t>(bytes.size())));
    for (std::int32_t at = text.indexOf(char16_t{0}); at >= 0; at = text.indexOf(char16_t{0}, at + 1)) {
        text.setCharAt(at, char16_t{0xFFFD});
    }
    return text;
}

namespace {

/// Copies text[start, end) into `out` byte for byte while it is ASCII, lower-casing it with `lower`; false
/// at the first other character, `out` then holding what came before it.
bool CopyAscii(const icu::UnicodeString& text, std::int32_t start, std::int32_t end, bool lower, std::string& out) {
    out.reserve(static_cast<std::size_t>(end - start));
    for (std::int32_t i = start; i < end; ++i) {
        const char16_t c = text.charAt(i);
        if (c >= 0x80) {
            return false;
        }
        out.push_back(lower && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c));
    }
    return true;
}

} // namespace

std::string WriteUtf8(const icu::UnicodeString& text, std::int32_t start, std::int32_t end) {
    std::string out;
    if (CopyAscii(text, start, end, false, out)) {
        return out;
    }
    out.clear();
    icu::UnicodeString(text, start, end - start).toUTF8String(out);
    return out;
}

std::string FoldCase(const icu::UnicodeString& text, std::int32_t start, std::int32_t end) {
    std::string out;
    if (CopyAscii(text, start, end, true, out)) {
        return out;
    }
    icu::UnicodeString part(text, start, end - start);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
    icu::UnicodeString folded;
    if (U_SUCCESS(status)) {
        folded = fold->normalize(part, status);
    }
    if (U_FAILURE(status)) {
        folded = part.foldCase();
    }
    folded.findAndReplace(icu::UnicodeString(char16_t{0x2019}), icu::UnicodeString(char16_t{'\''}));
    out.clear();
    folded.toUTF8String(out);
    return out;
}

} // namespace vortaxel::text
