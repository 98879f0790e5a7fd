#pragma once

#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// What a page text is to the page it names. A title or a heading is the page's own name for itself;
/// an anchor is another page's, and there "Next" or "Home" says where the page stands, not what it is.
enum class TextRole { Title, Heading, Anchor };

/// `text` with every run of white space one blank and none at either end. White space is ASCII's and
/// Unicode's other spaces: the no-break space U+00A0, U+1680, U+2000 to U+200A, the line and paragraph
/// separators, U+202F, U+205F and U+3000. The invisible soft hyphen, zero width space, word joiner and
/// byte order mark go without a blank, since they stand inside a word. Other bytes, malformed UTF-8
/// included, are kept as they are.
std::string FoldBlanks(std::string_view text);

/// Blank-folded `text` without the signs a page puts beside a heading or a word rather than in it: the
/// permalink signs "¶" and "🔗", a "§" or "#" that stands alone at the end (a "§" before a number is
/// numbering, one inside a sentence is text), footnote references "[1]" to "[999]", the footnote marks
/// "†" and "‡", and the back references "↩" and "↑".
std::string WithoutMarks(std::string_view text);

/// Blank-folded `text` without the section number that starts it. Numbering is a number before a blank
/// or the end: after one of the words chapter, appendix, part, section, lesson, step, unit, volume or book
/// (any ASCII case) any number, a dot or colon after it optional ("Chapter 10.", "Appendix B.", "Part
/// IV:"); after "§" too ("§ 5"); alone a number that a dot ends ("1.5.", "10.", "A.9.", "IV."). So "10 Best
/// Widgets", "11.5 Release Notes" (it may be a version) and "A. Smith" or "I. Introduction" (it may be an
/// initial) keep their first word. One joining token after the number goes too ("Chapter 1 - Name"), and
/// a cross reference's comma and quotes: "Section 6.2.3, “System Upgrade”" gives "System Upgrade".
std::string WithoutNumbering(std::string_view text);

/// True when blank-folded `text` is, but for the arrows and punctuation around it, only a navigation
/// phrase ("Next", "Previous", "Prev", "Index", "Up", "Home", "Contents", "Table of Contents", "next
/// page", "Back to top", "Read more", "Skip to content", ...), in any ASCII case.
bool IsNavigationPhrase(std::string_view text);

/// True when `text` holds no letter or digit: nothing but ASCII punctuation, blanks and the dashes,
/// bullets, guillemets, arrows and ellipsis that stand between words. Any other non-ASCII byte may be
/// a letter and counts as one.
bool IsOnlyPunctuation(std::string_view text);

/// True when `token` is one of the signs that join a title's parts: "-", "–", "—", "|", "/", ":", "::", "~",
/// "·", "•", "»", "«", "›", "‹". One at either end of a phrase joins nothing and goes.
bool IsJoiner(std::string_view token);

/// A page text as a keyword phrase: blanks folded, marks and numbering gone, nothing for a text that is
/// only punctuation, and for an anchor nothing when it is only a navigation phrase. Words are kept as
/// the text writes them ("apt-get", "CMAKE_FIND_PACKAGE_NAME", "café"); no case folding, no transcoding.
/// A title's site affixes are not known from one title: SiteTitleAffixes strips them.
std::string CleanTextPhrase(std::string_view text, TextRole role);

} // namespace vortaxel::keywords
