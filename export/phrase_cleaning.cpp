#include "phrase_cleaning.h"

#include "web/ascii.h"

#include <array>
#include <cstddef>

namespace vortaxel::keywords {
namespace {

using namespace std::string_view_literals;

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAsciiAlnum(char c) {
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsAt(std::string_view text, std::size_t at, std::string_view what) {
    return text.substr(at, what.size()) == what;
}

constexpr std::array kUnicodeBlanks = {
    "\xC2\xA0"sv,     "\xE1\x9A\x80"sv, "\xE2\x80\x80"sv, "\xE2\x80\x81"sv, "\xE2\x80\x82"sv, "\xE2\x80\x83"sv,
    "\xE2\x80\x84"sv, "\xE2\x80\x85"sv, "\xE2\x80\x86"sv, "\xE2\x80\x87"sv, "\xE2\x80\x88"sv, "\xE2\x80\x89"sv,
    "\xE2\x80\x8A"sv, "\xE2\x80\xA8"sv, "\xE2\x80\xA9"sv, "\xE2\x80\xAF"sv, "\xE2\x81\x9F"sv, "\xE3\x80\x80"sv,
};

// Soft hyphen, zero width space, word joiner, byte order mark.
constexpr std::array kInvisibles = {"\xC2\xAD"sv, "\xE2\x80\x8B"sv, "\xE2\x81\xA0"sv, "\xEF\xBB\xBF"sv};

/// The length of the sequence of `set` that stands at `at`, or 0.
template <std::size_t N>
std::size_t MatchAt(std::string_view text, std::size_t at, const std::array<std::string_view, N>& set) {
    for (const std::string_view what : set) {
        if (StartsAt(text, at, what)) {
            return what.size();
        }
    }
    return 0;
}

// Signs that stand beside a word, taken out without a blank: "word[1]." stays "word.".
constexpr std::array kAttachedMarks = {"\xE2\x80\xA0"sv /* † */, "\xE2\x80\xA1"sv /* ‡ */};
// Signs that stand on their own, each taken out for a blank.
constexpr std::array kStandingMarks = {"\xC2\xB6"sv /* ¶ */, "\xF0\x9F\x94\x97"sv /* 🔗 */,
                                       "\xE2\x86\xA9\xEF\xB8\x8E"sv /* ↩ text style */, "\xE2\x86\xA9"sv /* ↩ */,
                                       "\xE2\x86\x91"sv /* ↑ */};

/// The length of a footnote reference "[1]" to "[999]" at `at`, or 0.
std::size_t FootnoteAt(std::string_view text, std::size_t at) {
    if (text[at] != '[') {
        return 0;
    }
    std::size_t end = at + 1;
    while (end < text.size() && end - at <= 3 && IsAsciiDigit(text[end])) {
        ++end;
    }
    return end > at + 1 && end < text.size() && text[end] == ']' ? end - at + 1 : 0;
}

// What stands between words or around a navigation word without being one: dashes, bullets, quotes,
// guillemets, the ellipsis, pointing triangles. Arrows are a block of their own (IsArrowAt).
constexpr std::array kWordlessSigns = {
    "\xE2\x80\x90"sv, "\xE2\x80\x91"sv, "\xE2\x80\x92"sv, "\xE2\x80\x93"sv, "\xE2\x80\x94"sv,
    "\xE2\x80\x95"sv, "\xE2\x80\x98"sv, "\xE2\x80\x99"sv, "\xE2\x80\x9C"sv, "\xE2\x80\x9D"sv,
    "\xE2\x80\xA2"sv, "\xE2\x80\xA6"sv, "\xE2\x80\xB9"sv, "\xE2\x80\xBA"sv, "\xC2\xAB"sv,
    "\xC2\xBB"sv,     "\xC2\xB7"sv,     "\xC2\xA7"sv,     "\xC2\xB6"sv,     "\xE2\x80\xA0"sv,
    "\xE2\x80\xA1"sv, "\xE2\x96\xB6"sv, "\xE2\x96\xBA"sv, "\xE2\x97\x80"sv, "\xE2\x97\x84"sv,
};

/// The length of a sign of the Arrows block (U+2190 to U+21FF) at `at`, or 0.
std::size_t ArrowAt(std::string_view text, std::size_t at) {
    if (at + 2 < text.size() && text[at] == '\xE2' && (text[at + 1] == '\x86' || text[at + 1] == '\x87')) {
        const auto last = static_cast<unsigned char>(text[at + 2]);
        return last >= 0x80 && last <= 0xBF ? 3 : 0;
    }
    return 0;
}

std::size_t WordlessSignAt(std::string_view text, std::size_t at) {
    const std::size_t sign = MatchAt(text, at, kWordlessSigns);
    return sign != 0 ? sign : ArrowAt(text, at);
}

// Tokens that join a title's parts; one left at either end of a phrase joins nothing.
constexpr std::array kJoiners = {"-"sv,
                                 "|"sv,
                                 "/"sv,
                                 ":"sv,
                                 "::"sv,
                                 "~"sv,
                                 "\xE2\x80\x93"sv,
                                 "\xE2\x80\x94"sv,
                                 "\xC2\xB7"sv,
                                 "\xE2\x80\xA2"sv,
                                 "\xC2\xBB"sv,
                                 "\xC2\xAB"sv,
                                 "\xE2\x80\xBA"sv,
                                 "\xE2\x80\xB9"sv};

/// Blank-folded `text` without whole tokens at either end for which `drop` holds.
template <typename Drop> std::string_view WithoutEndTokens(std::string_view text, Drop drop) {
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view first = text.substr(0, blank);
        if (!drop(first)) {
            break;
        }
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
    while (!text.empty()) {
        const std::size_t blank = text.rfind(' ');
        const std::string_view last = blank == std::string_view::npos ? text : text.substr(blank + 1);
        if (!drop(last)) {
            break;
        }
        text = blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
    }
    return text;
}

constexpr std::array kNumberingWords = {"chapter"sv, "appendix"sv, "part"sv,   "section"sv, "lesson"sv,
                                        "step"sv,    "unit"sv,     "volume"sv, "book"sv};

bool IsRomanLetter(char c) {
    const char upper = web::ToUpperAscii(c);
    return upper == 'I' || upper == 'V' || upper == 'X' || upper == 'L' || upper == 'C' || upper == 'D' || upper == 'M';
}

/// A number as numbering writes it, read from the start of a text.
struct Number {
    std::size_t length = 0; // 0: none
    std::size_t parts = 0;  // "A.9" has two
    bool endsWithDot = false;
    bool lettered = false; // the first part is a letter or a roman numeral
    std::size_t firstPartLength = 0;
};

std::size_t DigitsAt(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && IsAsciiDigit(text[end])) {
        ++end;
    }
    // A year or a count of four digits is more likely text than a section.
    return end - at <= 3 ? end - at : 0;
}

/// The run of roman numeral letters at the start of `text`, all of one case: "IV", "xii", not "Mix".
std::size_t RomanAt(std::string_view text, bool anyCase) {
    if (text.empty() || !IsRomanLetter(text[0])) {
        return 0;
    }
    const bool upper = text[0] >= 'A' && text[0] <= 'Z';
    if (!upper && !anyCase) {
        return 0;
    }
    std::size_t end = 0;
    while (end < text.size() && IsRomanLetter(text[end]) && (text[end] >= 'A' && text[end] <= 'Z') == upper) {
        ++end;
    }
    return end;
}

Number ReadNumber(std::string_view text, bool afterWord) {
    Number number;
    std::size_t end = DigitsAt(text, 0);
    if (end == 0 && !text.empty()) {
        const std::size_t roman = RomanAt(text, afterWord);
        const bool letter = (text[0] >= 'A' && text[0] <= 'Z') || (afterWord && IsAsciiAlnum(text[0]));
        if (roman != 0 && (roman == text.size() || !IsAsciiAlnum(text[roman]))) {
            end = roman;
        } else if (letter && (text.size() == 1 || !IsAsciiAlnum(text[1]))) {
            end = 1;
        }
        number.lettered = end != 0;
    }
    if (end == 0) {
        return number;
    }
    number.firstPartLength = end;
    number.parts = 1;
    while (end < text.size() && text[end] == '.') {
        const std::size_t digits = DigitsAt(text, end + 1);
        if (digits == 0) {
            number.endsWithDot = true;
            ++end;
            break;
        }
        end += 1 + digits;
        ++number.parts;
    }
    number.length = end;
    return number;
}

bool EndsToken(std::string_view text, std::size_t at) {
    return at == text.size() || text[at] == ' ';
}

/// `text` from `at` on, past a blank and one joining token ("Chapter 1: Name", "1.5 - Name").
std::string_view AfterNumbering(std::string_view text, std::size_t at) {
    std::string_view rest = text.substr(at);
    if (!rest.empty() && rest[0] == ' ') {
        rest.remove_prefix(1);
    }
    const std::size_t blank = rest.find(' ');
    if (blank != std::string_view::npos && IsJoiner(rest.substr(0, blank))) {
        rest.remove_prefix(blank + 1);
    }
    return rest;
}

} // namespace

bool IsJoiner(std::string_view token) {
    for (const std::string_view joiner : kJoiners) {
        if (token == joiner) {
            return true;
        }
    }
    return false;
}

std::string FoldBlanks(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    bool blank = false;
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t invisible = MatchAt(text, i, kInvisibles); invisible != 0) {
            i += invisible;
            continue;
        }
        std::size_t space = IsAsciiSpace(text[i]) ? 1 : 0;
        if (space == 0) {
            space = MatchAt(text, i, kUnicodeBlanks);
        }
        if (space != 0) {
            blank = !folded.empty();
            i += space;
            continue;
        }
        if (blank) {
            folded += ' ';
            blank = false;
        }
        folded += text[i++];
    }
    return folded;
}

std::string WithoutMarks(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t mark = MatchAt(text, i, kStandingMarks); mark != 0) {
            kept += ' ';
            i += mark;
        } else if (const std::size_t attached = MatchAt(text, i, kAttachedMarks); attached != 0) {
            i += attached;
        } else if (const std::size_t footnote = FootnoteAt(text, i); footnote != 0) {
            i += footnote;
        } else {
            kept += text[i++];
        }
    }
    std::string folded = FoldBlanks(kept);
    // A lone "§" or "#" after a heading is its permalink.
    std::string_view trimmed = folded;
    while (trimmed.ends_with(" \xC2\xA7") || trimmed.ends_with(" #")) {
        trimmed.remove_suffix(trimmed.back() == '#' ? 2 : 3);
    }
    if (trimmed == "\xC2\xA7" || trimmed == "#") {
        trimmed = {};
    }
    return std::string(trimmed);
}

std::string WithoutNumbering(std::string_view text) {
    std::string_view rest = text;
    bool afterWord = false;
    for (const std::string_view word : kNumberingWords) {
        if (rest.size() > word.size() && web::StartsWithIgnoreCase(rest, word) && rest[word.size()] == ' ') {
            rest.remove_prefix(word.size() + 1);
            afterWord = true;
            break;
        }
    }
    if (!afterWord && rest.starts_with("\xC2\xA7")) {
        rest.remove_prefix(2);
        if (rest.starts_with(' ')) {
            rest.remove_prefix(1);
        }
        afterWord = true;
    }
    const Number number = ReadNumber(rest, afterWord);
    if (number.length == 0) {
        return std::string(text);
    }
    std::size_t end = number.length;
    // "Chapter 1: Name", and a cross reference's "Section 6.2.3, “Name”".
    const bool comma = afterWord && end < rest.size() && rest[end] == ',';
    if (afterWord && !number.endsWithDot && end < rest.size() && (rest[end] == ':' || comma)) {
        ++end;
    }
    if (!EndsToken(rest, end)) {
        return std::string(text);
    }
    if (!afterWord) {
        // Alone, a number is numbering when a dot ends it: "11.5 Setting" may be a version's notes. A
        // single letter may be an initial ("E. coli", "C. S. Lewis"), so it needs a second part too.
        const bool oneLetter = number.lettered && number.firstPartLength == 1;
        if (!number.endsWithDot || (oneLetter && number.parts < 2)) {
            return std::string(text);
        }
    }
    std::string_view name = AfterNumbering(rest, end);
    if (comma && name.size() > 6 && name.starts_with("\xE2\x80\x9C") && name.ends_with("\xE2\x80\x9D")) {
        name = name.substr(3, name.size() - 6);
    }
    return std::string(name);
}

bool IsNavigationPhrase(std::string_view text) {
    static constexpr std::array kNavigation = {
        "next"sv,
        "previous"sv,
        "prev"sv,
        "index"sv,
        "up"sv,
        "home"sv,
        "contents"sv,
        "table of contents"sv,
        "toc"sv,
        "next page"sv,
        "previous page"sv,
        "prev page"sv,
        "next topic"sv,
        "previous topic"sv,
        "next chapter"sv,
        "previous chapter"sv,
        "next section"sv,
        "previous section"sv,
        "back"sv,
        "go back"sv,
        "top"sv,
        "back to top"sv,
        "go to top"sv,
        "to top"sv,
        "top of page"sv,
        "more"sv,
        "read more"sv,
        "continue reading"sv,
        "skip to content"sv,
        "skip to main content"sv,
        "skip navigation"sv,
        "jump to navigation"sv,
        "menu"sv,
        "toggle navigation"sv,
        "older posts"sv,
        "newer posts"sv,
        "here"sv,
        "click here"sv,
        "permalink"sv,
    };
    std::size_t first = 0;
    std::size_t last = text.size();
    // The arrows and guillemets of "« Previous" and "Next »" are no part of the word.
    while (first < last) {
        if (const std::size_t sign = WordlessSignAt(text, first); sign != 0) {
            first += sign;
        } else if (static_cast<unsigned char>(text[first]) < 0x80 && !IsAsciiAlnum(text[first])) {
            ++first;
        } else {
            break;
        }
    }
    while (first < last) {
        const char c = text[last - 1];
        if (static_cast<unsigned char>(c) < 0x80) {
            if (IsAsciiAlnum(c)) {
                break;
            }
            --last;
            continue;
        }
        // A sign ends here when one of two to four bytes starts one.
        std::size_t sign = 0;
        for (std::size_t size = 2; size <= 4 && size <= last - first && sign == 0; ++size) {
            sign = WordlessSignAt(text, last - size) == size ? size : 0;
        }
        if (sign == 0) {
            break;
        }
        last -= sign;
    }
    const std::string_view word = text.substr(first, last - first);
    for (const std::string_view navigation : kNavigation) {
        if (web::EqualsIgnoreCase(word, navigation)) {
            return true;
        }
    }
    return false;
}

bool IsOnlyPunctuation(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            if (IsAsciiAlnum(text[i])) {
                return false;
            }
            ++i;
            continue;
        }
        const std::size_t sign = WordlessSignAt(text, i);
        if (sign == 0) {
            return false;
        }
        i += sign;
    }
    return true;
}

std::string CleanTextPhrase(std::string_view text, TextRole role) {
    const std::string marked = WithoutMarks(FoldBlanks(text));
    std::string phrase = WithoutNumbering(WithoutEndTokens(marked, IsJoiner));
    phrase = std::string(WithoutEndTokens(phrase, IsJoiner));
    if (IsOnlyPunctuation(phrase) || (role == TextRole::Anchor && IsNavigationPhrase(phrase))) {
        return {};
    }
    return phrase;
}

} // namespace vortaxel::keywords
