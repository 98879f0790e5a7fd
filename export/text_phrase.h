#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// Where a page's keyword phrase comes from. Slug is the classic one (MakeKeywordPhrase).
enum class PhraseSource { Slug, Title, H1, Anchor };

/// "slug", "title", "h1" or "anchor" (as typed, any ASCII case); nothing for anything else.
std::optional<PhraseSource> PhraseSourceNamed(std::string_view name);

/// The phrase of a page text (its title, first H1, or an anchor text linking to it), cleaned as slug
/// phrases are: every "_" and "-" a blank. Since such text is HTML, where line breaks and runs of blanks
/// mean one blank, every run of ASCII white space becomes one blank and none is left at either end. Bytes
/// are otherwise kept as they are: no case folding, no transcoding.
std::string MakeTextPhrase(std::string_view text);

/// The slug phrase as browser rules read an address: MakeKeywordPhrase's text with its percent escapes
/// decoded as UTF-8 first ("caf%C3%A9" gives "café", "%2D" a blank like "-"). A run of escapes that does
/// not decode to well-formed UTF-8, an escape of a control byte, and a "%" not followed by two hex digits
/// are left as they stand.
std::string MakeDecodedSlugPhrase(std::string_view url);

/// The anchor phrase that stands for a page: of the anchor texts of the links to it, each cleaned as
/// MakeTextPhrase does, the most frequent non-empty one (on a tie, the one that got there first); empty
/// when no link has any text.
std::string ChooseAnchorText(std::span<const std::string_view> anchors);

} // namespace vortaxel::keywords
