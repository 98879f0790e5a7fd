#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace vortaxel::text {

/// One language's stop words, compared with words as FoldCase folds them.
class StopWords {
public:
    StopWords() = default;
    /// A list as the project ships it: one word a line; `|` starts a comment; blank lines are skipped.
    explicit StopWords(std::string_view list);

    /// Snowball's name of a language ("english"): its shipped list, or none.
    static StopWords ForLanguage(std::string_view name);

    /// Whether a folded word is a stop word: listed itself, or made only of listed parts joined by
    /// apostrophes ("don't" is "don" and "t", both listed in English; "l'homme" is not a stop word).
    bool Contains(std::string_view folded) const;
    /// The word without the elided article or preposition it begins with, where that is a stop word
    /// ("l'installation" is "installation", "dell'arte" is "arte"): what it is stemmed as. Other words,
    /// and words made only of stop words, are returned whole.
    std::string_view WithoutElision(std::string_view folded) const;

    std::size_t size() const { return words_.size(); }

private:
    std::unordered_set<std::string> words_;
};

} // namespace vortaxel::text
