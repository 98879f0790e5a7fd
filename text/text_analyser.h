#pragma once

#include "text/page_terms.h"
#include "text/text_block.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace vortaxel::text {

/// The most of a page's text the analyser reads (the blocks in order, the last one cut): a page of 10 MB
/// costs what one of 4 MB does.
inline constexpr std::size_t kMaxTextBytes = std::size_t{4} * 1024 * 1024;
/// The most words the analyser reads of a page; the words past them are neither counted nor phrased.
inline constexpr std::uint32_t kMaxWordsAnalysed = 100000;
/// A word longer than this (UTF-16 code units) is counted but stands in no phrase: it is a hash, an
/// address or a run of letters, not a term.
inline constexpr std::int32_t kMaxWordLength = 64;

/// The text pass: language, words (ICU's word break, with its dictionaries for scripts written without
/// blanks), stop words and stems per language, and the phrases a page's blocks hold. It keeps its stemmers
/// and break iterators, so one analyser serves many pages; it is not shared between threads (each reading
/// thread has its own).
class TextAnalyser {
public:
    TextAnalyser();
    ~TextAnalyser();
    TextAnalyser(const TextAnalyser&) = delete;
    TextAnalyser& operator=(const TextAnalyser&) = delete;
    TextAnalyser(TextAnalyser&&) noexcept;
    TextAnalyser& operator=(TextAnalyser&&) noexcept;

    /// The page's phrases. `declaredLang` is what the page says (its `lang` attribute or Content-Language,
    /// such as "en-GB"); when it is empty or names no language the analyser knows, the language is
    /// detected from the text. Bytes that are not UTF-8 are read as U+FFFD and split no word.
    PageTerms Analyse(std::span<const TextBlock> blocks, std::string_view declaredLang);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vortaxel::text
