#pragma once

#include "text/spell_checker.h"
#include "text/text_block.h"

#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::text {

/// The most words a page reports: past them a title is no text but a list of codes.
inline constexpr std::size_t kMostUnknownWords = 50;

/// The words of `utf8` a dictionary can judge, in order, each once, as the text writes them (U+2019 read as
/// "'"). Left out: numbers and words holding a digit; acronyms (two or more letters, all capitals: NASA,
/// USB); names with a capital inside (iPhone, JavaScript); words holding '.', '_', '+', '#' or '@' (example.com,
/// C++); addresses and mail addresses (a run without blanks holding "://", starting "www." or holding '@');
/// words in scripts written without blanks (kana, ideographs); and words over 64 characters. Bytes that are
/// no UTF-8 read as U+FFFD and part words.
std::vector<std::string> SpellingWords(std::string_view utf8, std::string_view lang);

/// The language a page is read in, as the text pass chooses it (ChoosePageLanguage): what `declaredTag` (the
/// page's lang attribute) names, unless the first kDetectionSampleBytes of `blocks` clearly say otherwise.
std::string PageLanguage(std::span<const TextBlock> blocks, std::string_view declaredTag);

/// What was made of one page.
struct SpellingOutcome {
    enum class State { Checked, NoLanguage, NoDictionary, BadDictionary };
    State state = State::NoLanguage;
    /// The words the dictionary does not know, at most kMostUnknownWords.
    std::vector<std::string> unknown;
};

/// Checks pages with one Hunspell handle per language, each opened at the first page in that language and
/// kept. Not to be shared between threads: each thread that checks pages has its own Speller.
class Speller {
public:
    /// What became of a language's dictionary.
    struct Language {
        /// Its files; empty when none is installed.
        DictionaryFiles files;
        /// Why it is not used, "" when it is.
        std::string problem;
    };

    explicit Speller(std::vector<std::string> folders);
    ~Speller();
    Speller(const Speller&) = delete;
    Speller& operator=(const Speller&) = delete;
    Speller(Speller&&) noexcept;
    Speller& operator=(Speller&&) noexcept;

    /// Checks `texts` (a title, a description, an H1) in `lang`; `region` picks among its dictionaries.
    SpellingOutcome Check(std::span<const std::string_view> texts, const std::string& lang, std::string_view region);
    /// The languages met so far and their dictionaries.
    const std::map<std::string, Language>& Languages() const { return languages_; }

private:
    struct Handle;
    std::vector<std::string> folders_;
    std::map<std::string, Language> languages_;
    std::map<std::string, std::unique_ptr<Handle>> handles_;
};

/// The region a language tag names for `lang` ("en-GB" gives "GB" for "en"), or "".
std::string_view RegionOf(std::string_view tag, std::string_view lang);

} // namespace vortaxel::text
