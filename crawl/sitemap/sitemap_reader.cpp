#include "crawl/sitemap/sitemap_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <zlib.h>

namespace vortaxel::crawl {

namespace {

constexpr std::size_t kMarkupCap = 1024; // a tag's bytes kept: enough for any name and a few attributes
constexpr std::size_t kDepthKept = 16;   // element names kept; deeper ones are only counted
constexpr std::size_t kEntityCap = 10;   // "&#x10FFFF;" is the longest reference worth reading

std::string_view LocalName(std::string_view tag) {
    const auto end = tag.find_first_of(" \t\r\n/");
    std::string_view name = tag.substr(0, end);
    if (const auto colon = name.rfind(':'); colon != std::string_view::npos) {
        name.remove_prefix(colon + 1);
    }
    return name;
}

std::string_view TrimXmlSpace(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// The text a reference ("&amp;", "&#233;", without "&" and ";") stands for; empty when it is none XML knows.
std::string DecodeReference(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (const auto& [entity, c] : kNamed) {
        if (name == entity) {
            return std::string(1, c);
        }
    }
    if (name.size() < 2 || name.front() != '#') {
        return {};
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    for (const char c : digits) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return {};
        }
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x10FFFF) {
            return {};
        }
    }
    if (digits.empty() || code == 0 || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    std::string out;
    AppendUtf8(out, code);
    return out;
}

} // namespace

class SitemapReader::Scanner {
public:
    explicit Scanner(SitemapLimits limits) : limits_(limits) {}

    bool Stopped() const { return stopped_; }

    void Stop(std::string problem) {
        if (!stopped_) {
            stopped_ = true;
            content_.problem = std::move(problem);
        }
    }

    bool Feed(std::string_view bytes) {
        if (stopped_) {
            return false;
        }
        const std::size_t allowed = limits_.maxBytes - fed_;
        const bool cut = bytes.size() > allowed;
        bytes = bytes.substr(0, allowed);
        fed_ += bytes.size();
        std::size_t i = 0;
        while (i < bytes.size() && !stopped_) {
            if (state_ == State::Text && !inLoc_) {
                // Outside a <loc> only markup matters: skip straight to it.
                const auto open = bytes.find('<', i);
                if (open == std::string_view::npos) {
                    break;
                }
                i = open;
            }
            OnByte(bytes[i]);
            ++i;
        }
        if (cut) {
            Stop("read only the first " + std::to_string(limits_.maxBytes) + " bytes");
        }
        return !stopped_;
    }

    SitemapContent Take() { return std::move(content_); }

private:
    enum class State { Text, Markup, Tag, Declaration, Comment, CData };

    void OnByte(char c) {
        switch (state_) {
        case State::Text:
            OnText(c);
            break;
        case State::Markup:
            OnMarkup(c);
            break;
        case State::Tag:
            OnTag(c);
            break;
        case State::Declaration:
            if (c == '>') {
                state_ = State::Text;
            }
            break;
        case State::Comment:
            OnTerminated(c, '-', false);
            break;
        case State::CData:
            OnTerminated(c, ']', true);
            break;
        }
    }

    void OnText(char c) {
        if (inEntity_) {
            if (c == ';') {
                const std::string decoded = DecodeReference(entity_);
                AppendLoc(decoded.empty() ? "&" + entity_ + ";" : decoded);
                inEntity_ = false;
                return;
            }
            if (c != '<' && c != '&' && entity_.size() < kEntityCap) {
                entity_ += c;
                return;
            }
            AppendLoc("&" + entity_);
            inEntity_ = false;
        }
        if (c == '<') {
            state_ = State::Markup;
            markup_.clear();
        } else if (c == '&') {
            inEntity_ = true;
            entity_.clear();
        } else {
            AppendLoc(std::string_view(&c, 1));
        }
    }

    void OnMarkup(char c) {
        markup_ += c;
        constexpr std::string_view kComment = "!--";
        constexpr std::string_view kCData = "![CDATA[";
        if (markup_ == kComment) {
            state_ = State::Comment;
            matched_ = 0;
        } else if (markup_ == kCData) {
            state_ = State::CData;
            matched_ = 0;
        } else if (kComment.starts_with(markup_) || kCData.starts_with(markup_)) {
            return;
        } else if (markup_.front() == '!' || markup_.front() == '?') {
            state_ = c == '>' ? State::Text : State::Declaration;
        } else {
            state_ = State::Tag;
            markup_.pop_back();
            OnTag(c);
        }
    }

    void OnTag(char c) {
        if (quote_ != 0) {
            quote_ = c == quote_ ? '\0' : quote_;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '>') {
            state_ = State::Text;
            OnTagEnd();
            return;
        }
        if (markup_.size() < kMarkupCap) {
            markup_ += c;
        }
    }

    /// Inside a comment or CDATA section, which ends at "-->" or "]]>": the repeated byte twice, then ">".
    void OnTerminated(char c, char repeated, bool keep) {
        if (matched_ == 2 && c == '>') {
            state_ = State::Text;
            return;
        }
        if (c == repeated) {
            if (matched_ == 2 && keep) {
                AppendLoc(std::string_view(&repeated, 1)); // "]]]": the first "]" was text
            }
            matched_ = std::min<std::size_t>(matched_ + 1, 2);
            return;
        }
        if (keep) {
            AppendLoc(std::string(matched_, repeated));
            AppendLoc(std::string_view(&c, 1));
        }
        matched_ = 0;
    }

    void OnTagEnd() {
        std::string_view tag = markup_;
        if (tag.starts_with('/')) {
            CloseElement();
            return;
        }
        const bool selfClosing = tag.ends_with('/');
        const std::string_view name = LocalName(tag);
        if (depth_ == 0 && content_.kind == SitemapKind::Unknown) {
            content_.kind = name == "urlset"         ? SitemapKind::UrlSet
                            : name == "sitemapindex" ? SitemapKind::Index
                                                     : SitemapKind::Unknown;
        }
        if (name == "loc" && !inLoc_ && (Parent() == "url" || Parent() == "sitemap")) {
            inLoc_ = true;
            locDepth_ = depth_;
            loc_.clear();
            locTooLong_ = false;
        }
        if (depth_ < kDepthKept) {
            stack_.emplace_back(name);
        }
        ++depth_;
        if (selfClosing) {
            CloseElement();
        }
    }

    std::string_view Parent() const {
        return depth_ > 0 && depth_ <= stack_.size() ? std::string_view(stack_[depth_ - 1]) : std::string_view();
    }

    void CloseElement() {
        if (depth_ == 0) {
            return;
        }
        --depth_;
        if (depth_ < stack_.size()) {
            stack_.pop_back();
        }
        if (inLoc_ && depth_ == locDepth_) {
            inLoc_ = false;
            EmitLoc();
        }
    }

    void AppendLoc(std::string_view text) {
        if (!inLoc_ || locTooLong_) {
            return;
        }
        if (loc_.size() + text.size() > limits_.maxLocBytes) {
            locTooLong_ = true;
            return;
        }
        loc_ += text;
    }

    void EmitLoc() {
        const std::string_view url = TrimXmlSpace(loc_);
        if (locTooLong_ || url.empty()) {
            return;
        }
        if (content_.pages.size() + content_.sitemaps.size() == limits_.maxUrls) {
            Stop("read only the first " + std::to_string(limits_.maxUrls) + " addresses");
            return;
        }
        (Parent() == "sitemap" ? content_.sitemaps : content_.pages).emplace_back(url);
    }

    SitemapLimits limits_;
    SitemapContent content_;
    State state_ = State::Text;
    std::size_t fed_ = 0;
    bool stopped_ = false;
    std::string markup_;
    char quote_ = 0;
    std::size_t matched_ = 0;
    std::vector<std::string> stack_;
    std::size_t depth_ = 0;
    bool inLoc_ = false;
    std::size_t locDepth_ = 0;
    std::string loc_;
    bool locTooLong_ = false;
    bool inEntity_ = false;
    std::string entity_;
};

/// zlib's gzip decoder, handing what it unpacks to the scanner a chunk at a time.
class SitemapReader::Inflater {
public:
    Inflater() {
        // 16 + MAX_WBITS: a gzip header and trailer around the deflate data.
        ok_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK;
    }
    ~Inflater() {
        if (ok_) {
            inflateEnd(&stream_);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    Inflater(Inflater&&) = delete;
    Inflater& operator=(Inflater&&) = delete;

    void Feed(std::string_view bytes, Scanner& scanner) {
        if (!ok_) {
            scanner.Stop("the gzip decoder could not start");
            return;
        }
        if (ended_) {
            return; // bytes after the gzip data's end are no part of the sitemap
        }
        // zlib's interface is not const-correct; it only reads the input.
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        stream_.avail_in = static_cast<uInt>(bytes.size());
        std::array<char, std::size_t{64} * 1024> out{};
        while (!scanner.Stopped()) {
            stream_.next_out = reinterpret_cast<Bytef*>(out.data());
            stream_.avail_out = static_cast<uInt>(out.size());
            const int result = inflate(&stream_, Z_NO_FLUSH);
            const std::size_t produced = out.size() - stream_.avail_out;
            scanner.Feed(std::string_view(out.data(), produced));
            if (result == Z_STREAM_END) {
                ended_ = true;
                return;
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                scanner.Stop(std::string("the gzip data is broken: ") + (stream_.msg ? stream_.msg : "unreadable"));
                return;
            }
            if (stream_.avail_in == 0 && stream_.avail_out != 0) {
                return; // all input used; more may come
            }
            if (result == Z_BUF_ERROR && produced == 0) {
                return;
            }
        }
    }

    bool Ended() const { return ended_; }

private:
    z_stream stream_{};
    bool ok_ = false;
    bool ended_ = false;
};

SitemapReader::SitemapReader(SitemapLimits limits) : scanner_(std::make_unique<Scanner>(limits)) {}
SitemapReader::~SitemapReader() = default;
SitemapReader::SitemapReader(SitemapReader&&) noexcept = default;
SitemapReader& SitemapReader::operator=(SitemapReader&&) noexcept = default;

bool SitemapReader::Feed(std::string_view bytes) {
    if (!decided_) {
        // Two bytes tell gzip (1F 8B) from anything else; a first chunk of one byte waits for the next.
        const std::size_t take = std::min(bytes.size(), 2 - head_.size());
        head_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (head_.size() < 2) {
            return true;
        }
        decided_ = true;
        if (head_ == "\x1F\x8B") {
            inflater_ = std::make_unique<Inflater>();
        }
        Pass(head_);
    }
    Pass(bytes);
    return !scanner_->Stopped();
}

void SitemapReader::Pass(std::string_view bytes) {
    if (inflater_) {
        inflater_->Feed(bytes, *scanner_);
    } else {
        scanner_->Feed(bytes);
    }
}

SitemapContent SitemapReader::Finish() {
    if (!decided_) {
        decided_ = true;
        scanner_->Feed(head_);
    }
    if (inflater_ && !inflater_->Ended()) {
        scanner_->Stop("the gzip data ends early");
    }
    return scanner_->Take();
}

SitemapContent ReadSitemap(std::string_view body, SitemapLimits limits) {
    SitemapReader reader(limits);
    reader.Feed(body);
    return reader.Finish();
}

} // namespace vortaxel::crawl
