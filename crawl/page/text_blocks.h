#pragma once

#include "crawl/page/tag_name_set.h"
#include "text/text_block.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// Whether a start or end tag of this element ends a block of text: the elements a browser lays out
/// as blocks of their own, line and rule breaks, and the controls and embedded content that stand
/// apart from the prose around them (a button's label is not part of the sentence before it).
/// Inline elements (a, span, em, code, label, ...) and unknown ones, inline as a browser shows them,
/// do not.
inline bool BreaksText(std::string_view name) {
    static constexpr TagNameSet kBlocks(std::to_array<std::string_view>({
        "address",  "applet",   "article", "aside",    "audio",  "body",    "br",       "button",  "canvas",
        "caption",  "center",   "col",     "colgroup", "dd",     "details", "dialog",   "dir",     "div",
        "dl",       "dt",       "embed",   "fieldset", "figure", "footer",  "form",     "frame",   "frameset",
        "h1",       "h2",       "h3",      "h4",       "h5",     "h6",      "head",     "header",  "hgroup",
        "hr",       "html",     "iframe",  "input",    "keygen", "legend",  "li",       "listing", "main",
        "marquee",  "menu",     "meter",   "nav",      "object", "ol",      "optgroup", "option",  "p",
        "pre",      "progress", "search",  "section",  "select", "summary", "table",    "tbody",   "td",
        "textarea", "tfoot",    "th",      "thead",    "title",  "tr",      "ul",       "video",   "xmp",
    }));
    if (name.size() > 8) {
        return name == "blockquote" || name == "figcaption" || name == "plaintext";
    }
    return kBlocks.Contains(name);
}

/// Collects a page's text as blocks: runs of ASCII white space become one blank, none at either end of
/// a block, and empty blocks are dropped. Bounded in all it keeps: past `maxBytes` over all blocks (the
/// last one cut where a UTF-8 character starts) or `maxBlocks` blocks, text is no longer looked at.
class TextBlocks {
public:
    TextBlocks(std::vector<text::TextBlock>& out, std::size_t maxBytes, std::size_t maxBlocks)
        : out_(&out), room_(maxBlocks == 0 ? 0 : maxBytes), blocksLeft_(maxBlocks) {}

    /// Whether more text may still be kept; callers skip decoding text when it may not.
    bool Open() const { return room_ > 0; }

    /// Adds decoded text to the block being read, which takes `zone` if this starts it.
    void Add(text::Zone zone, std::string_view text) { Take<false>(zone, text); }

    /// Adds a text token as written, up to its first character reference or NUL, which only the
    /// tokenizer decodes: returns where it stopped (text.size() when it took all it may).
    std::size_t AddRaw(text::Zone zone, std::string_view text) { return Take<true>(zone, text); }

    /// Ends the block being read; what follows starts a new one.
    void Break() {
        space_ = false;
        if (!block_.empty() && block_.back() == ' ') {
            block_.pop_back(); // the bound fell just after a blank
        }
        if (block_.empty()) {
            return;
        }
        out_->push_back({zone_, block_});
        block_.clear();
        if (--blocksLeft_ == 0) {
            room_ = 0;
        }
    }

    /// Adds `text` as a block of its own.
    void AddBlock(text::Zone zone, std::string_view text) {
        Break();
        Add(zone, text);
        Break();
    }

private:
    enum Kind : std::uint8_t { kText, kBlank, kSpace, kStop };

    /// Each byte's kind: HTML's ASCII white space is a blank or other space (tab, line feed, form feed,
    /// carriage return); '&' and NUL stop a token taken as written.
    static constexpr std::array<std::uint8_t, 256> Kinds(bool raw) {
        std::array<std::uint8_t, 256> kinds{};
        kinds[' '] = kBlank;
        for (const char c : {'\t', '\n', '\f', '\r'}) {
            kinds[static_cast<unsigned char>(c)] = kSpace;
        }
        if (raw) {
            kinds['&'] = kStop;
            kinds[0] = kStop;
        }
        return kinds;
    }

    template <bool kRaw> std::size_t Take(text::Zone zone, std::string_view text) {
        static constexpr std::array<std::uint8_t, 256> kKinds = Kinds(kRaw);
        const auto kind = [](const char* c) { return kKinds[static_cast<unsigned char>(*c)]; };
        const char* at = text.data();
        const char* const end = at + text.size();
        // Locals, not members: the bytes appended could alias them, and this loop runs over every byte of text.
        std::size_t room = room_;
        bool space = space_;
        while (at < end && room > 0) {
            const std::uint8_t first = kind(at);
            if (first == kStop) {
                break;
            }
            if (first != kText) {
                space = true;
                ++at;
                continue;
            }
            // Words with single blanks between them stand as they are: they go in at once.
            const char* const chunk = at;
            while (at < end) {
                const std::uint8_t k = kind(at);
                if (k == kText) {
                    ++at;
                } else if (k == kBlank && at + 1 < end && kind(at + 1) == kText) {
                    at += 2;
                } else {
                    break;
                }
            }
            if (block_.empty()) {
                zone_ = zone;
            } else if (space) {
                block_.push_back(' ');
                --room;
            }
            space = false;
            std::size_t size = static_cast<std::size_t>(at - chunk);
            if (size > room) {
                size = CharacterStart(std::string_view(chunk, static_cast<std::size_t>(end - chunk)), room);
                room = 0;
            } else {
                room -= size;
            }
            block_.append(chunk, size);
        }
        room_ = room;
        space_ = space;
        return room == 0 ? text.size() : static_cast<std::size_t>(at - text.data());
    }

    /// The last place at or before `at` in `text` where a UTF-8 character starts; a malformed run of
    /// continuation bytes is cut where it stands.
    static std::size_t CharacterStart(std::string_view text, std::size_t at) {
        for (std::size_t back = 0; back < 4 && at >= back; ++back) {
            if (at - back == 0 || (static_cast<unsigned char>(text[at - back]) & 0xC0) != 0x80) {
                return at - back;
            }
        }
        return at;
    }

    std::vector<text::TextBlock>* out_;
    std::string block_;
    text::Zone zone_ = text::Zone::Body;
    bool space_ = false;
    std::size_t room_;
    std::size_t blocksLeft_;
};

} // namespace vortaxel::crawl
