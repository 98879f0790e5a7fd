#include "crawl/page/html_tokenizer.h"

#include "web/ascii.h"

#include <algorithm>
#include <cstring>

namespace vortaxel::crawl {

namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
// Past this many attributes in one tag, a repeated name is found by hashing instead of a scan.
constexpr std::size_t kScannedAttributes = 8;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EndsName(char c) {
    return web::IsHtmlSpace(c) || c == '/' || c == '>';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool StartsCaseless(std::string_view text, std::size_t at, std::string_view lowered) {
    if (text.size() - at < lowered.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        if (Lower(text[at + i]) != lowered[i]) {
            return false;
        }
    }
    return true;
}

std::uint32_t Hash(std::string_view name) {
    std::uint32_t hash = 2166136261U;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return hash;
}

} // namespace

HtmlTokenizer::HtmlTokenizer(std::string_view input) : input_(input.substr(0, kMaxInput)) {}

std::optional<std::string_view> HtmlTokenizer::Find(std::string_view name) const {
    for (const AttributeSpans& attribute : attributes_) {
        if (View(attribute.name) == name) {
            return View(attribute.value);
        }
    }
    return std::nullopt;
}

void HtmlTokenizer::SwitchTo(TextMode mode) {
    mode_ = mode;
}

TokenKind HtmlTokenizer::Next() {
    name_ = {};
    selfClosing_ = false;
    attributes_.clear();
    hashed_ = false;
    text_ = {};
    textRefs_ = false;
    buffer_.clear();
    if (at_ >= input_.size()) {
        return TokenKind::End;
    }
    switch (mode_) {
    case TextMode::Data:
        return DataToken();
    case TextMode::PlainText:
        return Text(at_, input_.size(), false);
    default:
        return TextUntilEnd();
    }
}

TokenKind HtmlTokenizer::Text(std::size_t from, std::size_t to, bool references) {
    text_ = {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from), false};
    textRefs_ = references;
    at_ = to;
    return TokenKind::Text;
}

TokenKind HtmlTokenizer::DataToken() {
    const std::size_t size = input_.size();
    while (at_ < size) {
        if (input_[at_] != '<') {
            const std::size_t lt = input_.find('<', at_);
            return Text(at_, lt == npos ? size : lt, true);
        }
        const std::size_t p = at_ + 1;
        const char c = p < size ? input_[p] : '\0';
        if (p < size && IsLetter(c)) {
            return Tag(p, false);
        }
        if (c == '/' && p + 1 < size) {
            if (IsLetter(input_[p + 1])) {
                return Tag(p + 1, true);
            }
            if (input_[p + 1] == '>') {
                at_ = p + 2; // "</>" is dropped
                continue;
            }
            SkipTo(">", p + 1);
            return TokenKind::Comment;
        }
        if (c == '!' && p < size) {
            const std::size_t q = p + 1;
            if (input_.substr(q, 2) == "--") {
                const std::size_t body = q + 2;
                if (input_.substr(body, 1) == ">") {
                    at_ = body + 1;
                } else if (input_.substr(body, 2) == "->") {
                    at_ = body + 2;
                } else {
                    at_ = size;
                    for (std::size_t dash = input_.find("--", body); dash != npos; dash = input_.find("--", dash + 1)) {
                        if (input_.substr(dash + 2, 1) == ">") {
                            at_ = dash + 3;
                            break;
                        }
                        if (input_.substr(dash + 2, 2) == "!>") {
                            at_ = dash + 4;
                            break;
                        }
                    }
                }
                return TokenKind::Comment;
            }
            if (foreign_ && input_.substr(q, 7) == "[CDATA[") {
                const std::size_t close = input_.find("]]>", q + 7);
                const std::size_t end = close == npos ? size : close;
                Text(q + 7, end, false);
                at_ = close == npos ? size : close + 3;
                return TokenKind::Text;
            }
            // A DOCTYPE ends at its first '>' as a bogus comment does; neither matters here.
            SkipTo(">", q);
            return TokenKind::Comment;
        }
        if (c == '?') {
            SkipTo(">", p);
            return TokenKind::Comment;
        }
        // A '<' that opens nothing is text, up to the next one.
        const std::size_t lt = input_.find('<', p);
        return Text(at_, lt == npos ? size : lt, true);
    }
    return TokenKind::End;
}

void HtmlTokenizer::SkipTo(std::string_view close, std::size_t from) {
    const std::size_t end = input_.find(close, from);
    at_ = end == npos ? input_.size() : end + close.size();
}

HtmlTokenizer::Span HtmlTokenizer::Lowered(std::size_t from, std::size_t to) {
    bool plain = true;
    for (std::size_t i = from; i < to && plain; ++i) {
        plain = input_[i] != '\0' && !(input_[i] >= 'A' && input_[i] <= 'Z');
    }
    if (plain) {
        return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from), false};
    }
    const std::size_t start = buffer_.size();
    for (std::size_t i = from; i < to; ++i) {
        if (input_[i] == '\0') {
            buffer_.append(kReplacementUtf8);
        } else {
            buffer_.push_back(Lower(input_[i]));
        }
    }
    return {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(buffer_.size() - start), true};
}

HtmlTokenizer::Span HtmlTokenizer::AttributeValue(std::size_t from, std::size_t to) {
    const std::string_view raw = input_.substr(from, to - from);
    if (raw.find('&') == npos && raw.find('\0') == npos) {
        return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from), false};
    }
    // References are read within the value: none reaches past its closing quote or space.
    const std::string_view bounded = input_.substr(0, to);
    const std::size_t start = buffer_.size();
    for (std::size_t i = from; i < to;) {
        const char c = input_[i];
        if (c == '&') {
            i = DecodeReference(bounded, i + 1, true, buffer_);
        } else if (c == '\0') {
            buffer_.append(kReplacementUtf8);
            ++i;
        } else {
            buffer_.push_back(c);
            ++i;
        }
    }
    return {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(buffer_.size() - start), true};
}

bool HtmlTokenizer::IsDuplicate(std::string_view name, std::size_t index) {
    if (index < kScannedAttributes) {
        for (std::size_t i = 0; i < index; ++i) {
            if (View(attributes_[i].name) == name) {
                return true;
            }
        }
        return false;
    }
    const auto grow = [this](std::size_t count) {
        // Kept at most a quarter full after growing, so the next growth is as many inserts away.
        std::size_t slots = 64;
        while (slots < count * 4) {
            slots *= 2;
        }
        slots_.assign(slots, 0);
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t slot = Hash(View(attributes_[i].name)) & (slots - 1);
            while (slots_[slot] != 0) {
                slot = (slot + 1) & (slots - 1);
            }
            slots_[slot] = static_cast<std::uint32_t>(i + 1);
        }
    };
    if (!hashed_ || index * 2 >= slots_.size()) {
        grow(index);
        hashed_ = true;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = Hash(name) & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
        if (View(attributes_[slots_[slot] - 1].name) == name) {
            return true;
        }
    }
    slots_[slot] = static_cast<std::uint32_t>(index + 1);
    return false;
}

void HtmlTokenizer::AddAttribute(Span name, Span value) {
    if (IsDuplicate(View(name), attributes_.size())) {
        return;
    }
    attributes_.push_back({name, value});
}

TokenKind HtmlTokenizer::Tag(std::size_t at, bool end) {
    const std::size_t size = input_.size();
    std::size_t i = at;
    while (i < size && !EndsName(input_[i])) {
        ++i;
    }
    name_ = Lowered(at, i);
    // Each pass reads one attribute; a tag cut off by the end of the input is dropped.
    while (i < size) {
        const char c = input_[i];
        if (web::IsHtmlSpace(c)) {
            ++i;
            continue;
        }
        if (c == '>') {
            at_ = i + 1;
            if (!end) {
                lastStart_.assign(Name());
            }
            return end ? TokenKind::EndTag : TokenKind::StartTag;
        }
        if (c == '/') {
            ++i;
            if (i < size && input_[i] == '>') {
                selfClosing_ = true;
            }
            continue;
        }
        // An attribute name; a leading '=' belongs to it.
        const std::size_t nameStart = i;
        ++i;
        while (i < size && !EndsName(input_[i]) && input_[i] != '=') {
            ++i;
        }
        const std::size_t nameEnd = i;
        while (i < size && web::IsHtmlSpace(input_[i])) {
            ++i;
        }
        Span value;
        if (i < size && input_[i] == '=') {
            ++i;
            while (i < size && web::IsHtmlSpace(input_[i])) {
                ++i;
            }
            if (i >= size) {
                break;
            }
            const char quote = input_[i];
            if (quote == '"' || quote == '\'') {
                const std::size_t close = input_.find(quote, i + 1);
                if (close == npos) {
                    break;
                }
                if (!end) {
                    value = AttributeValue(i + 1, close);
                }
                i = close + 1;
            } else if (quote != '>') {
                const std::size_t start = i;
                while (i < size && !web::IsHtmlSpace(input_[i]) && input_[i] != '>') {
                    ++i;
                }
                if (!end) {
                    value = AttributeValue(start, i);
                }
            }
        }
        if (!end) {
            AddAttribute(Lowered(nameStart, nameEnd), value);
        }
    }
    at_ = size;
    return TokenKind::End;
}

bool HtmlTokenizer::IsEndTagOf(std::size_t at) const {
    const std::size_t nameAt = at + 2;
    return input_.substr(at, 2) == "</" && StartsCaseless(input_, nameAt, lastStart_) &&
           nameAt + lastStart_.size() < input_.size() && EndsName(input_[nameAt + lastStart_.size()]);
}

std::size_t HtmlTokenizer::ScriptEnd(std::size_t from) const {
    // The standard's script data states, folded: inside "<!--" a "<script" starts a stretch in
    // which "</script>" does not end the element, until "</script" or "-->" ends that stretch.
    enum class State { Data, Escaped, DoubleEscaped };
    State state = State::Data;
    const std::size_t size = input_.size();
    const auto scriptWord = [this, size](std::size_t at) {
        return StartsCaseless(input_, at, "script") && at + 6 < size && EndsName(input_[at + 6]);
    };
    std::size_t i = from;
    while (i < size) {
        if (state == State::Data) {
            i = input_.find('<', i);
            if (i == npos) {
                return npos;
            }
            if (IsEndTagOf(i)) {
                return i;
            }
            if (input_.substr(i, 4) == "<!--") {
                state = State::Escaped;
                // "<!--" leaves the tokenizer after two dashes, so a '>' at once ends the stretch.
                i += 2;
                continue;
            }
            ++i;
            continue;
        }
        const char c = input_[i];
        if (c == '-' && input_.substr(i, 3) == "-->") {
            state = State::Data;
            i += 3;
            continue;
        }
        if (c == '<') {
            if (state == State::Escaped) {
                if (IsEndTagOf(i)) {
                    return i;
                }
                if (scriptWord(i + 1)) {
                    state = State::DoubleEscaped;
                    i += 7;
                    continue;
                }
            } else if (input_.substr(i + 1, 1) == "/" && scriptWord(i + 2)) {
                state = State::Escaped;
                i += 8;
                continue;
            }
        }
        ++i;
    }
    return npos;
}

TokenKind HtmlTokenizer::TextUntilEnd() {
    std::size_t end = npos;
    if (mode_ == TextMode::ScriptData) {
        end = ScriptEnd(at_);
    } else {
        for (std::size_t lt = input_.find('<', at_); lt != npos; lt = input_.find('<', lt + 1)) {
            if (IsEndTagOf(lt)) {
                end = lt;
                break;
            }
        }
    }
    const bool references = mode_ == TextMode::RcData;
    mode_ = TextMode::Data;
    if (end == at_) {
        return DataToken();
    }
    return Text(at_, end == npos ? input_.size() : end, references);
}

void HtmlTokenizer::AppendText(std::string& out) const {
    const std::string_view raw = RawText();
    if (!textRefs_) {
        out.append(raw);
        return;
    }
    const std::string_view bounded = input_.substr(0, text_.offset + text_.size);
    std::size_t i = text_.offset;
    const std::size_t end = bounded.size();
    while (i < end) {
        const char* from = input_.data() + i;
        std::size_t run = 0;
        while (i + run < end && from[run] != '&' && from[run] != '\0') {
            ++run;
        }
        out.append(from, run);
        i += run;
        if (i >= end) {
            break;
        }
        if (input_[i] == '&') {
            i = DecodeReference(bounded, i + 1, false, out);
        } else {
            ++i; // a NUL in text is dropped
        }
    }
}

} // namespace vortaxel::crawl
