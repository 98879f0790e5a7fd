#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::keywords {

/// True when a phrase earns a line: it holds some byte other than a space.
bool IsWrittenPhrase(std::string_view phrase);

/// Collects the bytes of a keyword file, one URL at a time, in the order given. Each URL whose phrase
/// earns a line adds that phrase, untrimmed, followed by CR LF. No byte-order mark, no header, no
/// transcoding. A CR or LF inside a phrase (link values may carry line breaks) is written as a blank,
/// so one URL never yields more than one line.
class KeywordFileBuilder {
public:
    void Add(std::string_view url);
    /// Adds a phrase made some other way (from a title, an H1, an anchor text), under the same rules.
    void AddPhrase(std::string phrase);

    /// The file content so far; empty when no URL earned a line.
    const std::string& Bytes() const& { return bytes_; }
    /// The same, handed over rather than copied, from a builder that is done.
    std::string Bytes() && { return std::move(bytes_); }
    std::size_t LineCount() const { return lines_; }

private:
    std::string bytes_;
    std::size_t lines_ = 0;
};

/// The whole keyword file for these URLs, every one of them taken as selected.
std::string BuildKeywordFile(std::span<const std::string_view> urls);

} // namespace vortaxel::keywords
