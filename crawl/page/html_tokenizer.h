#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// How the text after a start tag is read until its end tag, as a browser's tree builder tells its
/// tokenizer: title and textarea hold text with character references, style and the like plain
/// text, script its own escaping, plaintext everything to the end.
enum class TextMode { Data, RcData, RawText, ScriptData, PlainText };

enum class TokenKind { StartTag, EndTag, Text, Comment, End };

/// Reads HTML as the HTML standard's tokenizer does, one token at a time and without a tree: time
/// is linear in the input and memory holds at most one token, whatever the markup's shape.
///
/// Where this tokenizer knowingly departs from the standard:
/// - Named character references are a subset: every name a page may write without a semicolon and
///   the common ones (ASCII punctuation, typography, arrows); any other name stays as written.
/// - Bytes are passed through as they are: malformed UTF-8 stays malformed, CR is not folded.
/// - A DOCTYPE is skipped; a CDATA section is read as text only when told the tokenizer is in
///   foreign content (SVG or MathML).
class HtmlTokenizer {
public:
    /// Far beyond any page the crawler keeps; what a token's decoded text may grow to stays addressable.
    static constexpr std::size_t kMaxInput = std::size_t{512} << 20;

    /// Reads `input` up to its first kMaxInput bytes.
    explicit HtmlTokenizer(std::string_view input);

    /// Reads the next token; End once the input is used up, and from then on.
    TokenKind Next();

    /// After a start tag, what follows it is read as `mode` until the end tag of the same name.
    void SwitchTo(TextMode mode);
    /// Whether "<![CDATA[" opens a CDATA section, as it does inside SVG and MathML.
    void SetForeign(bool foreign) { foreign_ = foreign; }

    /// The tag's name in lower case (start and end tags).
    std::string_view Name() const { return View(name_); }
    bool SelfClosing() const { return selfClosing_; }
    /// The value of the start tag's attribute `name`; a repeated name keeps only its first value.
    std::optional<std::string_view> Find(std::string_view name) const;

    /// A text token as written; runs of text may come as several tokens.
    std::string_view RawText() const { return View(text_); }
    /// Appends the text token's characters to `out`, references decoded and NUL bytes dropped
    /// where a browser decodes and drops them.
    void AppendText(std::string& out) const;

private:
    /// A piece of the current token: in the input, or in the token's buffer once decoded.
    /// Kept small: a tag may carry millions of attributes.
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size : 31 = 0;
        std::uint32_t owned : 1 = 0;
    };
    struct AttributeSpans {
        Span name;
        Span value;
    };

    std::string_view View(Span span) const {
        return (span.owned ? std::string_view(buffer_) : input_).substr(span.offset, span.size);
    }

    TokenKind DataToken();
    TokenKind TextUntilEnd();
    TokenKind Tag(std::size_t at, bool end);
    void SkipTo(std::string_view close, std::size_t from);
    std::size_t ScriptEnd(std::size_t from) const;
    bool IsEndTagOf(std::size_t at) const;
    Span Lowered(std::size_t from, std::size_t to);
    Span AttributeValue(std::size_t from, std::size_t to);
    void AddAttribute(Span name, Span value);
    bool IsDuplicate(std::string_view name, std::size_t index);
    TokenKind Text(std::size_t from, std::size_t to, bool references);

    std::string_view input_;
    std::size_t at_ = 0;
    TextMode mode_ = TextMode::Data;
    bool foreign_ = false;
    /// The last start tag's name: the end tag that closes RCDATA, RAWTEXT and script text.
    std::string lastStart_;

    Span name_;
    bool selfClosing_ = false;
    std::vector<AttributeSpans> attributes_;
    /// Open addressing over attribute indexes plus one, used once a tag has many attributes.
    std::vector<std::uint32_t> slots_;
    bool hashed_ = false;
    Span text_;
    bool textRefs_ = false;
    std::string buffer_;
};

/// Appends the character reference at `at` (just after its '&') to `out` as UTF-8 and returns
/// where reading goes on; a '&' that starts no reference is appended as itself. In an attribute
/// value a name without its semicolon followed by '=' or a letter or digit is left as written.
std::size_t DecodeReference(std::string_view input, std::size_t at, bool inAttribute, std::string& out);

} // namespace vortaxel::crawl
