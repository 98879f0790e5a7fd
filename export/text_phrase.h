#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// Where a page's keyword phrase comes from. Slug is the classic one (MakeKeywordPhrase); KeyPhrase is the
/// page's target phrase, the first of its ranked key phrases.
enum class PhraseSource { Slug, Title, H1, Anchor, KeyPhrase };

/// "slug", "title", "h1", "anchor" or "keyphrase" (as typed, any ASCII case); nothing for anything else.
std::optional<PhraseSource> PhraseSourceNamed(std::string_view name);

/// The phrase of a page text (its first H1, or a title on its own), cleaned as CleanTextPhrase cleans a
/// heading: white space, no-break spaces included, one blank and none at either end; permalink and
/// footnote marks and section numbering gone; words kept as the text writes them ("apt-get" stays: only
/// a slug's "-" and "_" are blanks). No case folding, no transcoding. A site's titles lose their site
/// affixes as well through CleanTitlePhrases, which needs them all.
std::string MakeTextPhrase(std::string_view text);

/// The slug phrase as browser rules read an address: MakeKeywordPhrase's text with its percent escapes
/// decoded as UTF-8 first ("caf%C3%A9" gives "café", "%2D" a blank like "-"). A run of escapes that does
/// not decode to well-formed UTF-8, an escape of a control byte, and a "%" not followed by two hex digits
/// are left as they stand.
std::string MakeDecodedSlugPhrase(std::string_view url);

/// The anchor phrase that stands for a page: of the anchor texts of the links to it, each cleaned as
/// CleanTextPhrase cleans an anchor (so a "¶", a "[1]" or a "Next" is none), the most frequent non-empty
/// one (on a tie, the one that got there first); empty when no link has any such text.
std::string ChooseAnchorText(std::span<const std::string_view> anchors);

} // namespace vortaxel::keywords
