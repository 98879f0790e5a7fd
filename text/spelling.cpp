#include "text/spelling.h"

#include "text/language.h"
#include "text/language_detector.h"
#include "text/page_language.h"
#include "text/text_analyser.h"
#include "text/unicode_text.h"
#include "text/word_splitter.h"

#include <algorithm>
#include <unicode/uchar.h>
#include <unordered_set>

namespace vortaxel::text {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

/// `utf8` with each run that is an address or a mail address blanked out.
std::string WithoutAddresses(std::string_view utf8) {
    std::string out(utf8);
    std::size_t at = 0;
    while (at < out.size()) {
        while (at < out.size() && IsBlank(out[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < out.size() && !IsBlank(out[end])) {
            ++end;
        }
        const std::string_view run(out.data() + at, end - at);
        if (run.find("://") != std::string_view::npos || StartsWithIgnoringCase(run, "www.") ||
            run.find('@') != std::string_view::npos) {
            std::fill(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(end),
                      ' ');
        }
        at = end;
    }
    return out;
}

/// Whether the word [start, end) of `text` is one a dictionary judges.
bool IsJudged(const icu::UnicodeString& text, std::int32_t start, std::int32_t end) {
    if (end - start > kMaxWordLength) {
        return false;
    }
    int letters = 0;
    int capitals = 0;
    bool innerCapital = false;
    bool afterLower = false;
    for (std::int32_t i = start; i < end;) {
        const UChar32 c = text.char32At(i);
        if (u_isdigit(c) || c == '.' || c == '_' || c == '+' || c == '#' || c == '@') {
            return false;
        }
        if (u_isalpha(c)) {
            innerCapital = innerCapital || (afterLower && u_isupper(c));
            afterLower = u_islower(c);
            ++letters;
            capitals += u_isupper(c) ? 1 : 0;
        }
        i += U16_LENGTH(c);
    }
    return letters > 0 && !(letters >= 2 && capitals == letters) && !innerCapital;
}

std::vector<std::string> WordsWith(WordSplitter& splitter, std::string_view utf8) {
    icu::UnicodeString text = ReadUtf8(WithoutAddresses(utf8));
    text.findAndReplace(icu::UnicodeString(char16_t{0x2019}), icu::UnicodeString(char16_t{'\''}));
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    for (const Word& word : splitter.Split(text)) {
        if (word.kind != WordKind::Letters || !IsJudged(text, word.start, word.end)) {
            continue;
        }
        std::string written = WriteUtf8(text, word.start, word.end);
        if (seen.insert(written).second) {
            words.push_back(std::move(written));
        }
    }
    return words;
}

} // namespace

std::vector<std::string> SpellingWords(std::string_view utf8, std::string_view lang) {
    WordSplitter splitter(FindLanguage(lang) != nullptr ? lang : std::string_view());
    return WordsWith(splitter, utf8);
}

std::string PageLanguage(std::span<const TextBlock> blocks, std::string_view declaredTag) {
    // The sample the text pass reads: the blocks' first bytes, each as valid UTF-8, one per line.
    std::string sample;
    for (const TextBlock& block : blocks) {
        if (sample.size() >= kDetectionSampleBytes) {
            break;
        }
        const icu::UnicodeString text = ReadUtf8(block.text);
        if (text.isEmpty()) {
            continue;
        }
        const std::int32_t room = static_cast<std::int32_t>(kDetectionSampleBytes - sample.size());
        icu::UnicodeString part(text, 0, std::min(text.length(), room));
        part.toUTF8String(sample);
        sample += '\n';
    }
    return ChoosePageLanguage(DeclaredLanguage(declaredTag), DetectLanguage(sample));
}

std::string_view RegionOf(std::string_view tag, std::string_view lang) {
    const std::size_t dash = tag.find_first_of("-_");
    if (dash == std::string_view::npos || DeclaredLanguage(tag) != lang) {
        return {};
    }
    const std::string_view rest = tag.substr(dash + 1);
    const std::string_view region = rest.substr(0, rest.find_first_of("-_"));
    const bool letters = std::all_of(region.begin(), region.end(),
                                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
    return region.size() == 2 && letters ? region : std::string_view();
}

struct Speller::Handle {
    explicit Handle(const std::string& lang) : splitter(FindLanguage(lang) != nullptr ? lang : std::string_view()) {}
    std::unique_ptr<SpellChecker> checker;
    // Made once: a break iterator costs more to make than a title costs to split.
    WordSplitter splitter;
};

Speller::Speller(std::vector<std::string> folders) : folders_(std::move(folders)) {}
Speller::~Speller() = default;
Speller::Speller(Speller&&) noexcept = default;
Speller& Speller::operator=(Speller&&) noexcept = default;

SpellingOutcome Speller::Check(std::span<const std::string_view> texts, const std::string& lang,
                               std::string_view region) {
    SpellingOutcome outcome;
    if (lang.empty()) {
        return outcome;
    }
    // Each language's dictionary is chosen once, by the region of the first page in it.
    auto handle = handles_.find(lang);
    if (handle == handles_.end()) {
        Language& language = languages_[lang];
        auto made = std::make_unique<Handle>(lang);
        if (const std::optional<DictionaryFiles> files = FindDictionary(folders_, lang, region)) {
            language.files = *files;
            made->checker = SpellChecker::Open(*files, language.problem);
        } else {
            language.problem = "no Hunspell dictionary for " + lang;
        }
        handle = handles_.emplace(lang, std::move(made)).first;
    }
    if (!handle->second->checker) {
        outcome.state = languages_[lang].files.dic.empty() ? SpellingOutcome::State::NoDictionary
                                                           : SpellingOutcome::State::BadDictionary;
        return outcome;
    }
    outcome.state = SpellingOutcome::State::Checked;
    std::unordered_set<std::string> seen;
    for (const std::string_view text : texts) {
        for (std::string& word : WordsWith(handle->second->splitter, text)) {
            if (outcome.unknown.size() == kMostUnknownWords) {
                return outcome;
            }
            if (seen.insert(word).second && !handle->second->checker->Knows(word)) {
                outcome.unknown.push_back(std::move(word));
            }
        }
    }
    return outcome;
}

} // namespace vortaxel::text
