#include "text/text_analyser.h"

#include "text/language.h"
#include "text/language_detector.h"
#include "text/page_language.h"
#include "text/phrase_counter.h"
#include "text/stemmer.h"
#include "text/stop_words.h"
#include "text/unicode_text.h"
#include "text/word_splitter.h"

#include <map>
#include <memory>
#include <string>
#include <unicode/uchar.h>
#include <unordered_map>
#include <vector>

namespace vortaxel::text {
namespace {

// What one language needs, made the first time a page in it is read.
struct LanguageTools {
    explicit LanguageTools(const std::string& lang)
        : splitter(lang), stemmer(FindLanguage(lang) ? FindLanguage(lang)->stemmer : std::string_view()),
          stopWords(StopWords::ForLanguage(FindLanguage(lang) ? FindLanguage(lang)->stopWords : std::string_view())) {}

    // A word as written gives its key and whether it is a stop word; a site's pages share most of their
    // words, so this spares most folding and stemming. Emptied when full, which bounds it.
    struct Known {
        std::string key;
        bool stop = false;
    };
    const Known& Look(const icu::UnicodeString& text, const Word& word, const std::string& surface) {
        const auto found = known.find(surface);
        if (found != known.end()) {
            return found->second;
        }
        if (known.size() >= kMaxKnownWords) {
            known.clear();
        }
        const std::string folded = FoldCase(text, word.start, word.end);
        Known entry{stemmer.Stem(stopWords.WithoutElision(folded)), stopWords.Contains(folded)};
        return known.emplace(surface, std::move(entry)).first->second;
    }

    static constexpr std::size_t kMaxKnownWords = 50000;
    WordSplitter splitter;
    Stemmer stemmer;
    StopWords stopWords;
    std::unordered_map<std::string, Known> known;
};

bool IsCapital(const icu::UnicodeString& text, std::int32_t at) {
    const UChar32 c = text.char32At(at);
    return u_isupper(c) || u_istitle(c);
}

} // namespace

struct TextAnalyser::State {
    LanguageTools& ToolsFor(const std::string& lang) {
        auto it = tools.find(lang);
        if (it == tools.end()) {
            it = tools.emplace(lang, std::make_unique<LanguageTools>(lang)).first;
        }
        return *it->second;
    }
    std::map<std::string, std::unique_ptr<LanguageTools>> tools;
};

TextAnalyser::TextAnalyser() : state_(std::make_unique<State>()) {}
TextAnalyser::~TextAnalyser() = default;
TextAnalyser::TextAnalyser(TextAnalyser&&) noexcept = default;
TextAnalyser& TextAnalyser::operator=(TextAnalyser&&) noexcept = default;

PageTerms TextAnalyser::Analyse(std::span<const TextBlock> blocks, std::string_view declaredLang) {
    PageTerms terms;
    if (!state_) {
        state_ = std::make_unique<State>();
    }

    // Read the blocks' bytes once, within the page's budget.
    std::vector<std::pair<Zone, icu::UnicodeString>> texts;
    std::string sample;
    std::size_t budget = kMaxTextBytes;
    for (const TextBlock& block : blocks) {
        if (budget == 0) {
            break;
        }
        std::string_view bytes = block.text;
        if (bytes.size() > budget) {
            bytes = bytes.substr(0, budget);
        }
        budget -= bytes.size();
        icu::UnicodeString text = ReadUtf8(bytes);
        if (text.isEmpty()) {
            continue;
        }
        if (sample.size() < kDetectionSampleBytes) {
            const std::int32_t room = static_cast<std::int32_t>(kDetectionSampleBytes - sample.size());
            icu::UnicodeString part(text, 0, std::min(text.length(), room));
            part.toUTF8String(sample);
            sample += '\n';
        }
        texts.emplace_back(block.zone, std::move(text));
    }

    terms.lang = ChoosePageLanguage(DeclaredLanguage(declaredLang), DetectLanguage(sample));
    LanguageTools& tools = state_->ToolsFor(terms.lang);

    PhraseCounter counter;
    std::vector<PhraseWord> run;
    std::uint32_t index = 0;
    for (const auto& [zone, text] : texts) {
        if (index >= kMaxWordsAnalysed) {
            break;
        }
        const std::vector<Word> words = tools.splitter.Split(text, kMaxWordsAnalysed - index);
        run.clear();
        for (const Word& word : words) {
            const bool phraseWord = word.kind != WordKind::Number && word.end - word.start <= kMaxWordLength;
            if (!phraseWord || !word.followsInPhrase || word.sentenceStart) {
                counter.AddRun(zone, run);
                run.clear();
            }
            if (phraseWord) {
                PhraseWord w;
                w.surface = WriteUtf8(text, word.start, word.end);
                const LanguageTools::Known& known = tools.Look(text, word, w.surface);
                w.stop = known.stop;
                w.key = known.key;
                w.capitalised = !word.sentenceStart && IsCapital(text, word.start);
                w.blankBefore = word.blankBefore;
                w.index = index;
                run.push_back(std::move(w));
            }
            ++index;
        }
        counter.AddRun(zone, run);
    }
    terms.words = index;
    terms.candidates = counter.Take(kCandidatesKept);
    return terms;
}

} // namespace vortaxel::text
