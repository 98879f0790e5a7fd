// Stand-in for the page reader's text blocks until it has them.
#include "bench/keyphrase_blocks.h"

#include "crawl/page/html_tokenizer.h"

#include <array>

namespace vortaxel::bench {
namespace {

bool IsBlock(std::string_view name) {
    static constexpr std::array<std::string_view, 24> kBlocks = {
        "p",  "li", "td", "th", "div", "pre", "dt", "dd", "tr",         "table",   "br",     "ul",
        "ol", "dl", "h1", "h2", "h3",  "h4",  "h5", "h6", "blockquote", "section", "header", "footer"};
    for (const auto block : kBlocks) {
        if (name == block) {
            return true;
        }
    }
    return false;
}

void Collapse(std::string& text) {
    std::string out;
    bool blank = true;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r';
        if (space) {
            if (!blank) {
                out.push_back(' ');
            }
            blank = true;
        } else {
            out.push_back(c);
            blank = false;
        }
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    text = std::move(out);
}

} // namespace

std::vector<text::TextBlock> ReadBlocks(std::string_view html) {
    std::vector<text::TextBlock> blocks;
    crawl::HtmlTokenizer tokens(html);
    text::Zone zone = text::Zone::Body;
    std::string current;
    const auto flush = [&] {
        Collapse(current);
        if (!current.empty()) {
            blocks.push_back({zone, current});
        }
        current.clear();
    };
    for (auto kind = tokens.Next(); kind != crawl::TokenKind::End; kind = tokens.Next()) {
        const auto name = tokens.Name();
        if (kind == crawl::TokenKind::StartTag) {
            if (name == "script") {
                tokens.SwitchTo(crawl::TextMode::ScriptData);
                continue;
            }
            if (name == "style") {
                tokens.SwitchTo(crawl::TextMode::RawText);
                continue;
            }
            if (name == "meta" && tokens.Find("name") == "description") {
                blocks.push_back({text::Zone::Description, std::string(tokens.Find("content").value_or(""))});
            }
            if (name == "img" && tokens.Find("alt")) {
                blocks.push_back({text::Zone::ImageAlt, std::string(*tokens.Find("alt"))});
            }
            if (name == "title" || IsBlock(name)) {
                flush();
            }
            if (name == "title") {
                tokens.SwitchTo(crawl::TextMode::RcData);
                zone = text::Zone::Title;
            } else if (name == "h1") {
                zone = text::Zone::H1;
            } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '2' && name[1] <= '6') {
                zone = text::Zone::Heading;
            }
        } else if (kind == crawl::TokenKind::EndTag) {
            if (name == "title" || IsBlock(name)) {
                flush();
                zone = text::Zone::Body;
            }
        } else if (kind == crawl::TokenKind::Text) {
            tokens.AppendText(current);
        }
    }
    flush();
    return blocks;
}

} // namespace vortaxel::bench
