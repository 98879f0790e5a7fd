#include "text/spell_checker.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <hunspell/hunspell.hxx>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

namespace vortaxel::text {

namespace {

// Debian's largest word lists are a few tens of MB; a file far past that is no dictionary, and Hunspell
// would hold it all.
constexpr std::uintmax_t kMostDictionaryBytes = std::uintmax_t{256} << 20;
constexpr std::uintmax_t kMostAffixBytes = std::uintmax_t{64} << 20;
// What is read of a file to judge it.
constexpr std::size_t kJudgedBytes = std::size_t{64} * 1024;

std::string FileProblem(const std::string& path, std::uintmax_t most, std::string& head) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return path + " is no file";
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > most) {
        return path + " is too large for a dictionary";
    }
    std::ifstream in(path, std::ios::binary);
    head.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kJudgedBytes)));
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) {
        return path + " cannot be read";
    }
    if (head.find('\0') != std::string::npos) {
        return path + " is no text";
    }
    return {};
}

// A word list starts with the count of its words, as Hunspell's own files do.
bool StartsWithWordCount(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    const std::size_t end = head.find_first_of("\r\n");
    std::string_view line = head.substr(0, end);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return !line.empty() && end != std::string_view::npos &&
           std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

DictionaryFiles FilesNamed(const std::string& folder, const std::string& name) {
    std::string stem = folder;
    stem += '/';
    stem += name;
    DictionaryFiles files{stem, stem};
    files.aff += ".aff";
    files.dic += ".dic";
    return files;
}

bool Exists(const std::string& folder, const std::string& name) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder + "/" + name + ".aff", error) &&
           std::filesystem::is_regular_file(folder + "/" + name + ".dic", error);
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return upper;
}

} // namespace

std::vector<std::string> DictionaryFolders(const char* dicPath) {
    std::vector<std::string> folders;
    std::string_view rest = dicPath != nullptr ? dicPath : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        if (const std::string_view folder = rest.substr(0, colon); !folder.empty()) {
            folders.emplace_back(folder);
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    folders.emplace_back("/usr/share/hunspell");
    return folders;
}

std::optional<DictionaryFiles> FindDictionary(std::span<const std::string> folders, std::string_view lang,
                                              std::string_view region) {
    if (lang.empty() || lang.size() > 8 ||
        !std::all_of(lang.begin(), lang.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
        return std::nullopt;
    }
    const std::string code(lang);
    std::vector<std::string> names;
    if (region.size() == 2) {
        names.push_back(code + "_" + Upper(region));
    }
    names.push_back(code);
    names.push_back(code + "_" + Upper(lang));
    if (lang == "en") {
        names.emplace_back("en_US");
    }
    if (lang == "no") {
        // Norwegian's dictionaries are those of its written forms, Bokmål first.
        names.emplace_back("nb_NO");
        names.emplace_back("nn_NO");
    }
    for (const std::string& folder : folders) {
        for (const std::string& name : names) {
            if (Exists(folder, name)) {
                return FilesNamed(folder, name);
            }
        }
        std::error_code error;
        std::vector<std::string> regional;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().stem().string();
            if (it->path().extension() == ".dic" && name.size() == code.size() + 3 && name.starts_with(code + "_") &&
                Exists(folder, name)) {
                regional.push_back(name);
            }
        }
        if (!regional.empty()) {
            const std::string first = *std::min_element(regional.begin(), regional.end());
            return FilesNamed(folder, first);
        }
    }
    return std::nullopt;
}

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker() = default;
SpellChecker::SpellChecker(SpellChecker&&) noexcept = default;
SpellChecker& SpellChecker::operator=(SpellChecker&&) noexcept = default;

std::unique_ptr<SpellChecker> SpellChecker::Open(const DictionaryFiles& files, std::string& problem) {
    std::string head;
    problem = FileProblem(files.aff, kMostAffixBytes, head);
    if (problem.empty()) {
        problem = FileProblem(files.dic, kMostDictionaryBytes, head);
    }
    if (problem.empty() && !StartsWithWordCount(head)) {
        problem = files.dic + " is no Hunspell word list (its first line holds no word count)";
    }
    if (!problem.empty()) {
        return nullptr;
    }
    std::unique_ptr<SpellChecker> checker(new SpellChecker());
    checker->hunspell_ = std::make_unique<Hunspell>(files.aff.c_str(), files.dic.c_str());
    const std::string& encoding = checker->hunspell_->get_dict_encoding();
    if (encoding != "UTF-8" && encoding != "utf-8") {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* converter = ucnv_open(encoding.c_str(), &status);
        if (U_FAILURE(status)) {
            problem = files.aff + " names an encoding this program cannot write: " + encoding;
            return nullptr;
        }
        ucnv_close(converter);
        checker->encoding_ = encoding;
    }
    return checker;
}

bool SpellChecker::Knows(std::string_view word) {
    if (encoding_.empty()) {
        return hunspell_->spell(std::string(word));
    }
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(word.data(), static_cast<std::int32_t>(word.size())));
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(encoding_.c_str(), &status);
    if (U_FAILURE(status)) {
        return false;
    }
    // A character the encoding lacks would be written as a substitute and could match another word.
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::string bytes(static_cast<std::size_t>(text.length()) * 4 + 4, '\0');
    const std::int32_t length = text.extract(bytes.data(), static_cast<std::int32_t>(bytes.size()), converter, status);
    ucnv_close(converter);
    if (U_FAILURE(status)) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(length));
    return hunspell_->spell(bytes);
}

} // namespace vortaxel::text
