#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <vector>

namespace vortaxel::text {

enum class WordKind : std::uint8_t { Number, Letters, Kana, Ideographs };

/// One word of a block: where it stands in the block's UTF-16 text and how it relates to the word before.
struct Word {
    std::int32_t start = 0;
    std::int32_t end = 0;
    WordKind kind = WordKind::Letters;
    /// The block's first word, or the first after a sentence's end: ". ! ? ; : …" followed by a blank or
    /// the block's end, or their full-width forms, which need no blank.
    bool sentenceStart = false;
    /// Written right after the word before, in the same sentence, with nothing but blanks between (or
    /// nothing at all, as Chinese, Japanese and Thai write): the two can stand in one phrase. Any other
    /// mark between them (a comma, a bracket, a quote, a dash between blanks, U+FFFD) parts them.
    bool followsInPhrase = false;
    /// At least one blank stands between this word and the one before.
    bool blankBefore = false;
};

/// Splits a block's text into words with ICU's word break rules for one language (ICU's dictionaries
/// split Chinese, Japanese, Khmer, Lao, Burmese and Thai, which are written without blanks). Only
/// segments of letters, numbers, kana or ideographs are words. Words are kept as the text writes them:
/// ICU's rules already keep `CMAKE_FIND_PACKAGE_NAME`, `don't`, `example.com` and `3.11` whole, and this
/// splitter joins back what ICU parts at one `-`, `_`, `.`, `'` or U+2019 written between two words with
/// no blank (`apt-get`, `x86-64`, `rock'n'roll`), and keeps one or two `+` or one `#` that end a word
/// before a blank or a mark (`C++`, `C#`, `Notepad++`). A run of katakana is one word: ICU's dictionary
/// cuts the loanwords it does not know into pieces.
class WordSplitter {
public:
    /// `lang` is an ISO 639-1 code or empty (ICU's root rules).
    explicit WordSplitter(std::string_view lang);
    ~WordSplitter();
    WordSplitter(const WordSplitter&) = delete;
    WordSplitter& operator=(const WordSplitter&) = delete;
    WordSplitter(WordSplitter&&) noexcept;
    WordSplitter& operator=(WordSplitter&&) noexcept;

    /// The words of `text`, at most `maxWords` of them (the first ones).
    std::vector<Word> Split(const icu::UnicodeString& text, std::size_t maxWords = SIZE_MAX);

private:
    std::unique_ptr<icu::BreakIterator> words_;
};

} // namespace vortaxel::text
