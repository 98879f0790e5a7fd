#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class Hunspell;

namespace vortaxel::text {

/// A Hunspell dictionary on disk: its affix file and its word list.
struct DictionaryFiles {
    std::string aff;
    std::string dic;
};

/// The folders dictionaries are looked for in: those of `dicPath` (Hunspell's own DICPATH, folders parted by
/// ':') first, then /usr/share/hunspell, where Debian's hunspell-* packages put them.
std::vector<std::string> DictionaryFolders(const char* dicPath);

/// The dictionary for `lang` (an ISO 639-1 code) in the first folder that has one. `region` (such as "GB",
/// from the page's lang="en-GB") is preferred where it is installed; then the language alone (fr), its own
/// country (de_DE, fr_FR), en_US for English, and else the first of the language's regions by name.
std::optional<DictionaryFiles> FindDictionary(std::span<const std::string> folders, std::string_view lang,
                                              std::string_view region);

/// One Hunspell handle. A handle is not safe to share between threads: each thread that checks words keeps
/// its own (see Speller).
class SpellChecker {
public:
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;
    SpellChecker(SpellChecker&&) noexcept;
    SpellChecker& operator=(SpellChecker&&) noexcept;

    /// Loads `files`, once they look like a dictionary: Hunspell itself takes any file and then knows no
    /// word, which would report every word of every page. Null and `problem` set to why (naming the file)
    /// when they do not.
    static std::unique_ptr<SpellChecker> Open(const DictionaryFiles& files, std::string& problem);

    /// Whether the dictionary knows `word`, valid UTF-8 (a word its encoding cannot write is unknown).
    bool Knows(std::string_view word);

private:
    SpellChecker();
    std::unique_ptr<Hunspell> hunspell_;
    // The dictionary's own encoding, when it is not UTF-8: words are converted to it.
    std::string encoding_;
};

} // namespace vortaxel::text
