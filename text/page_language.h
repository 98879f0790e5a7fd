#pragma once

#include "text/language_detector.h"

#include <string>

namespace vortaxel::text {

/// The least a detection must read before it can overrule what a page declares.
inline constexpr int kOverrulingTextBytes = 512;
/// The least share of that text (percent) the detected language must hold to overrule it.
inline constexpr int kOverrulingPercent = 90;

/// The language a page is read in. What the page declares (`declared`, a known code or empty) counts
/// first: sites state their language, and a short or mixed text says less than they do. Only a page whose
/// text is clearly in another language (the detector reliable, at least kOverrulingTextBytes of letters,
/// kOverrulingPercent of them in that one language) is read in the language of its text: a template that
/// says `lang="en"` on every page of a German site would otherwise have German stemmed as English and its
/// function words taken for key phrases. Without a declared language the detected one counts, or none.
std::string ChoosePageLanguage(const std::string& declared, const DetectedLanguage& detected);

} // namespace vortaxel::text
