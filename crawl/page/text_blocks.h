#pragma once

#include "text/text_block.h"

#include <algorithm>
#include <array>
#include <cstddef>
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
    // Sorted, for the binary search: this is asked of every tag of every page.
    static constexpr auto kBlocks = std::to_array<std::string_view>({
        "address", "applet",   "article",   "aside",    "audio",    "blockquote", "body",    "br",     "button",
        "canvas",  "caption",  "center",    "col",      "colgroup", "dd",         "details", "dialog", "dir",
        "div",     "dl",       "dt",        "embed",    "fieldset", "figcaption", "figure",  "footer", "form",
        "frame",   "frameset", "h1",        "h2",       "h3",       "h4",         "h5",      "h6",     "head",
        "header",  "hgroup",   "hr",        "html",     "iframe",   "input",      "keygen",  "legend", "li",
        "listing", "main",     "marquee",   "menu",     "meter",    "nav",        "object",  "ol",     "optgroup",
        "option",  "p",        "plaintext", "pre",      "progress", "search",     "section", "select", "summary",
        "table",   "tbody",    "td",        "textarea", "tfoot",    "th",         "thead",   "title",  "tr",
        "ul",      "video",    "xmp",
    });
    static_assert(std::ranges::is_sorted(kBlocks));
    if (name.size() > 10) {
        return false;
    }
    return std::ranges::binary_search(kBlocks, name);
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
    void Add(text::Zone zone, std::string_view text) {
        const char* at = text.data();
        const char* const end = at + text.size();
        while (at < end && room_ > 0) {
            if (IsSpace(*at)) {
                space_ = !block_.empty();
                ++at;
                continue;
            }
            const char* run = at;
            while (at < end && !IsSpace(*at)) {
                ++at;
            }
            if (block_.empty()) {
                zone_ = zone;
            }
            std::size_t size = static_cast<std::size_t>(at - run);
            if (space_) {
                block_.push_back(' ');
                --room_;
                space_ = false;
            }
            if (size > room_) {
                size = CharacterStart(std::string_view(run, static_cast<std::size_t>(end - run)), room_);
                room_ = 0;
            } else {
                room_ -= size;
            }
            block_.append(run, size);
        }
    }

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
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

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
