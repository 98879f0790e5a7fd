#include "crawl/page/page_reader.h"

#include "crawl/page/html_tokenizer.h"
#include "crawl/page/page_address.h"
#include "crawl/page/tag_name_set.h"
#include "crawl/page/text_blocks.h"
#include "crawl/page/utf16_page.h"
#include "crawl/page/window_open_scan.h"
#include "web/ascii.h"

#include <array>

namespace vortaxel::crawl {

namespace {

// The elements whose handling differs; every other name is Other.
enum class Tag {
    Other,
    A,
    Area,
    Base,
    Body,
    Datalist,
    Frame,
    Frameset,
    H1,
    Heading, // h2-h6
    Html,
    Iframe,
    Img,
    Link,
    Math,
    Meta,
    Noembed,
    Noframes,
    Noscript,
    Plaintext,
    Script,
    Select,
    Style,
    Svg,
    Template,
    Textarea,
    Title,
    Xmp,
};

Tag TagOf(std::string_view name) {
    struct Named {
        std::string_view name;
        Tag tag;
    };
    static constexpr auto kTags = std::to_array<Named>({
        {"a", Tag::A},
        {"area", Tag::Area},
        {"base", Tag::Base},
        {"body", Tag::Body},
        {"datalist", Tag::Datalist},
        {"frame", Tag::Frame},
        {"frameset", Tag::Frameset},
        {"h1", Tag::H1},
        {"h2", Tag::Heading},
        {"h3", Tag::Heading},
        {"h4", Tag::Heading},
        {"h5", Tag::Heading},
        {"h6", Tag::Heading},
        {"html", Tag::Html},
        {"iframe", Tag::Iframe},
        {"img", Tag::Img},
        {"link", Tag::Link},
        {"math", Tag::Math},
        {"meta", Tag::Meta},
        {"noembed", Tag::Noembed},
        {"noframes", Tag::Noframes},
        {"noscript", Tag::Noscript},
        {"plaintext", Tag::Plaintext},
        {"script", Tag::Script},
        {"select", Tag::Select},
        {"style", Tag::Style},
        {"svg", Tag::Svg},
        {"template", Tag::Template},
        {"textarea", Tag::Textarea},
        {"title", Tag::Title},
        {"xmp", Tag::Xmp},
    });
    if (name.size() > 9) {
        return Tag::Other;
    }
    for (const Named& named : kTags) {
        if (named.name == name) {
            return named.tag;
        }
    }
    return Tag::Other;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (const std::string_view n : names) {
        if (n == name) {
            return true;
        }
    }
    return false;
}

/// Elements inside which text runs on: a tag of any other kind ends a word.
bool IsInline(std::string_view name) {
    static constexpr TagNameSet kInline(std::to_array<std::string_view>(
        {"a",  "b",    "i",    "em",   "strong", "span", "code", "small", "sub",   "sup",
         "u",  "s",    "abbr", "mark", "q",      "cite", "dfn",  "kbd",   "samp",  "var",
         "tt", "font", "big",  "bdi",  "bdo",    "time", "data", "wbr",   "label", "strike"}));
    return kInline.Contains(name);
}

/// Start tags that end SVG or MathML and go back to HTML, as a browser's tree builder does.
bool BreaksOutOfForeign(const HtmlTokenizer& tokens) {
    const std::string_view name = tokens.Name();
    if (name == "font") {
        return tokens.Find("color") || tokens.Find("face") || tokens.Find("size");
    }
    return IsOneOf(name,
                   {"b",     "big",   "blockquote", "body",   "br",   "center", "code",  "dd", "div",  "dl",   "dt",
                    "em",    "embed", "h1",         "h2",     "h3",   "h4",     "h5",    "h6", "head", "hr",   "i",
                    "img",   "li",    "listing",    "menu",   "meta", "nobr",   "ol",    "p",  "pre",  "ruby", "s",
                    "small", "span",  "strong",     "strike", "sub",  "sup",    "table", "tt", "u",    "ul",   "var"});
}

/// Inside SVG or MathML, these elements hold HTML again.
bool IsIntegrationPoint(bool svg, std::string_view name) {
    return svg ? IsOneOf(name, {"foreignobject", "desc", "title"})
               : IsOneOf(name, {"mi", "mo", "mn", "ms", "mtext", "annotation-xml"});
}

/// Start tags after which a frameset no longer replaces the body.
bool EndsFramesetChance(std::string_view name) {
    return IsOneOf(name, {"area",   "br",     "embed",  "img",     "keygen", "wbr",      "input", "li",
                          "dd",     "dt",     "pre",    "listing", "hr",     "textarea", "xmp",   "iframe",
                          "select", "button", "applet", "marquee", "object", "table",    "body"});
}

/// Appends text with runs of whitespace collapsed to one space, up to a cap.
class Collapsed {
public:
    Collapsed(std::string& out, std::size_t cap) : out_(&out), cap_(cap) {}

    void Add(std::string_view text) {
        for (const char c : text) {
            if (out_->size() >= cap_) {
                return;
            }
            if (web::IsHtmlSpace(c)) {
                space_ = !out_->empty();
                continue;
            }
            if (space_) {
                if (out_->size() + 1 >= cap_) {
                    return;
                }
                out_->push_back(' ');
                space_ = false;
            }
            out_->push_back(c);
        }
    }

    /// Drops a UTF-8 sequence the cap cut short.
    void Finish() {
        std::string& out = *out_;
        std::size_t lead = out.size();
        while (lead > 0 && (static_cast<unsigned char>(out[lead - 1]) & 0xC0) == 0x80 && out.size() - lead < 3) {
            --lead;
        }
        if (lead == 0) {
            return;
        }
        const auto first = static_cast<unsigned char>(out[lead - 1]);
        const std::size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (need > out.size() - lead + 1) {
            out.resize(lead - 1);
        }
        if (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
    }

private:
    std::string* out_;
    std::size_t cap_;
    bool space_ = false;
};

std::string Capped(std::string_view text, std::size_t cap) {
    std::string out;
    Collapsed collapsed(out, cap);
    collapsed.Add(text);
    collapsed.Finish();
    return out;
}

/// The address in a refresh directive ("5; url=next.html"), if it names one.
std::optional<std::string_view> RefreshTarget(std::string_view content) {
    std::size_t i = 0;
    const auto skipSpace = [&] {
        while (i < content.size() && web::IsHtmlSpace(content[i])) {
            ++i;
        }
    };
    skipSpace();
    while (i < content.size() && ((content[i] >= '0' && content[i] <= '9') || content[i] == '.')) {
        ++i;
    }
    skipSpace();
    if (i < content.size() && (content[i] == ';' || content[i] == ',')) {
        ++i;
    }
    skipSpace();
    if (i >= content.size()) {
        return std::nullopt;
    }
    if (web::StartsWithIgnoreCase(content.substr(i), "url")) {
        std::size_t j = i + 3;
        while (j < content.size() && web::IsHtmlSpace(content[j])) {
            ++j;
        }
        if (j < content.size() && content[j] == '=') {
            i = j + 1;
            skipSpace();
        }
    }
    std::string_view url = content.substr(i);
    if (!url.empty() && (url.front() == '"' || url.front() == '\'')) {
        const char quote = url.front();
        url.remove_prefix(1);
        url = url.substr(0, url.find(quote));
    }
    while (!url.empty() && web::IsHtmlSpace(url.back())) {
        url.remove_suffix(1);
    }
    if (url.empty()) {
        return std::nullopt;
    }
    return url;
}

/// Calls `take` with each address of a srcset list ("a.png 1x, b.png 2x").
template <typename Take> void ForEachSrcsetUrl(std::string_view list, Take&& take) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && (web::IsHtmlSpace(list[i]) || list[i] == ',')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < list.size() && !web::IsHtmlSpace(list[i])) {
            ++i;
        }
        std::string_view url = list.substr(start, i - start);
        const bool ended = url.ends_with(',');
        while (url.ends_with(',')) {
            url.remove_suffix(1);
        }
        if (!url.empty()) {
            take(url);
        }
        if (ended) {
            continue;
        }
        // Descriptors run to the next comma outside parentheses.
        int depth = 0;
        while (i < list.size() && (list[i] != ',' || depth > 0)) {
            depth += list[i] == '(' ? 1 : list[i] == ')' ? -1 : 0;
            ++i;
        }
    }
}

std::optional<LinkSource> LinkRelSource(std::string_view rel) {
    constexpr std::array<std::pair<std::string_view, LinkSource>, 6> kKinds = {{
        {"canonical", LinkSource::LinkCanonical},
        {"next", LinkSource::LinkNext},
        {"prev", LinkSource::LinkPrev},
        {"stylesheet", LinkSource::LinkStylesheet},
        {"icon", LinkSource::LinkIcon},
        {"alternate", LinkSource::LinkAlternate},
    }};
    std::optional<LinkSource> best;
    std::size_t bestRank = kKinds.size();
    std::size_t i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && web::IsHtmlSpace(rel[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < rel.size() && !web::IsHtmlSpace(rel[i])) {
            ++i;
        }
        const std::string_view word = rel.substr(start, i - start);
        for (std::size_t rank = 0; rank < bestRank; ++rank) {
            if (web::EqualsIgnoreCase(word, kKinds[rank].first) ||
                (rank == 2 && web::EqualsIgnoreCase(word, "previous"))) {
                best = kKinds[rank].second;
                bestRank = rank;
            }
        }
    }
    return best;
}

class Reader {
public:
    Reader(std::string_view html, const ReadLimits& limits)
        : html_(html), tokens_(html), limits_(limits), blocks_(read_.text, limits.textBlockBytes, limits.textBlocks) {
        if (limits.structuredData) {
            structured_.emplace();
        }
    }

    PageRead Read() {
        for (TokenKind kind = tokens_.Next(); kind != TokenKind::End; kind = tokens_.Next()) {
            switch (kind) {
            case TokenKind::StartTag:
                StartTag();
                break;
            case TokenKind::EndTag:
                EndTag();
                break;
            case TokenKind::Text:
                Text();
                break;
            default:
                break;
            }
        }
        EndText();
        CloseHeading();
        CloseAnchor();
        blocks_.Break();
        ForEachWindowOpenValue(html_, [this](std::string_view value) { AddLink(value, LinkSource::WindowOpen); });
        if (structured_) {
            read_.structured = structured_->Finish();
        }
        return std::move(read_);
    }

private:
    /// What the text after the last start tag is: a title, textarea, raw text (script, style...) or markup.
    enum class TextKind { Markup, Title, Textarea, Raw };

    /// SVG or MathML opened, or an element inside them that holds HTML again.
    struct Frame {
        std::string closer;
        bool foreign;
        bool svg;
        /// An SVG drawing's text (labels on a picture, title and desc tooltips) is not the page's prose.
        bool hidesText;
    };

    bool Foreign() const { return !frames_.empty() && frames_.back().foreign; }

    /// Whether markup text read now is shown as the page's text.
    bool TextShown() const {
        return InDocument() && !inSelect_ && noscriptDepth_ == 0 && datalistDepth_ == 0 &&
               textKind_ == TextKind::Markup && (frames_.empty() || !frames_.back().hidesText);
    }

    /// Whether what is read now is part of the document: a template's content is not.
    bool InDocument() const { return templateDepth_ == 0; }

    PageLink* AddLink(std::string_view target, LinkSource source) {
        if (!InDocument()) {
            return nullptr;
        }
        if (target.size() > kMaxLinkBytes) {
            // Left out, but not without a word: its start and length are kept for the report.
            if (read_.overlong.size() < kOverlongLinksKept) {
                read_.overlong.push_back({source, target.size(), std::string(target.substr(0, kOverlongHeadBytes))});
            }
            ++read_.overlongCount;
            return nullptr;
        }
        if (read_.links.size() >= limits_.links) {
            return nullptr;
        }
        PageLink& link = read_.links.emplace_back();
        link.target.assign(target);
        link.source = source;
        return &link;
    }

    void AddAttributeLink(std::string_view attribute, LinkSource source) {
        if (const auto value = tokens_.Find(attribute)) {
            AddLink(*value, source);
        }
    }

    void CloseAnchor() {
        if (anchor_) {
            anchor_->Finish();
            anchor_.reset();
            read_.links[anchorIndex_].anchor = std::move(anchorText_);
            anchorText_.clear();
        }
    }

    void CloseHeading() {
        if (h1_) {
            h1_->Finish();
            h1_.reset();
        }
        if (firstHeading_) {
            firstHeading_->Finish();
            firstHeading_.reset();
        }
    }

    /// Title, textarea and raw text end with their end tag, the only tag they can meet.
    void EndText() {
        if (title_) {
            title_->Finish();
            title_.reset();
        }
        if (titleBlock_) {
            titleBlock_ = false;
            blocks_.Break();
        }
        textKind_ = TextKind::Markup;
        inJsonLd_ = false;
    }

    void StartTag() {
        const std::string_view name = tokens_.Name();
        const bool isInline = IsInline(name);
        if (!isInline) {
            inWord_ = false;
        }
        if (Foreign()) {
            if (!BreaksOutOfForeign(tokens_)) {
                ForeignStartTag();
                return;
            }
            while (Foreign()) {
                frames_.pop_back();
            }
            tokens_.SetForeign(false);
        }
        if (!isInline && InDocument() && BreaksText(name)) {
            blocks_.Break();
        }
        const Tag tag = TagOf(name);
        if (structured_ && InDocument()) {
            ReadItemTypes();
        }
        if (frameset_) {
            FramesetStartTag(tag);
            return;
        }
        if (inSelect_) {
            if (tag == Tag::Script) {
                tokens_.SwitchTo(TextMode::ScriptData);
                return;
            }
            if (tag != Tag::Select && tag != Tag::Textarea &&
                !IsOneOf(name, {"input", "keygen", "caption", "table", "tbody", "tfoot", "thead", "tr", "td", "th"})) {
                return; // a select holds options only; anything else is dropped
            }
            inSelect_ = false;
            if (tag == Tag::Select) {
                return;
            }
        }
        if (EndsFramesetChance(name)) {
            framesetChance_ = false;
        }
        HtmlStartTag(tag);
    }

    void ForeignStartTag() {
        const std::string_view name = tokens_.Name();
        const Tag tag = TagOf(name);
        // An SVG or MathML element is no HTML element of the same name: only SVG's own link counts, by
        // either attribute it may be written with (href first, as SVG 2 reads them).
        if (tag == Tag::A && frames_.back().svg) {
            auto href = tokens_.Find("href");
            if (!href) {
                href = tokens_.Find("xlink:href");
            }
            if (href) {
                AddLink(*href, LinkSource::A);
            }
        }
        if (tokens_.SelfClosing()) {
            return;
        }
        if (tag == Tag::Svg || tag == Tag::Math) {
            frames_.push_back({std::string(name), true, tag == Tag::Svg, tag == Tag::Svg});
        } else if (IsIntegrationPoint(frames_.back().svg, name)) {
            frames_.push_back({std::string(name), false, false, frames_.back().svg && name != "foreignobject"});
            tokens_.SetForeign(false);
        }
    }

    void FramesetStartTag(Tag tag) {
        if (tag == Tag::Frame) {
            AddAttributeLink("src", LinkSource::Frame);
        } else if (tag == Tag::Noframes) {
            tokens_.SwitchTo(TextMode::RawText);
        }
    }

    /// The links an element carries wherever it stands.
    void LinkTag(Tag tag) {
        switch (tag) {
        case Tag::A:
            if (!InDocument()) {
                break; // nor does it end the document's open link
            }
            CloseAnchor();
            if (const auto href = tokens_.Find("href")) {
                if (PageLink* link = AddLink(*href, LinkSource::A)) {
                    link->rel = Capped(tokens_.Find("rel").value_or(""), limits_.anchorBytes);
                    link->hreflang = Capped(tokens_.Find("hreflang").value_or(""), limits_.anchorBytes);
                    anchorIndex_ = read_.links.size() - 1;
                    anchor_.emplace(anchorText_, limits_.anchorBytes);
                }
            }
            break;
        case Tag::Area:
            if (const auto href = tokens_.Find("href")) {
                if (PageLink* link = AddLink(*href, LinkSource::Area)) {
                    link->anchor = Capped(tokens_.Find("alt").value_or(""), limits_.anchorBytes);
                    link->rel = Capped(tokens_.Find("rel").value_or(""), limits_.anchorBytes);
                }
            }
            break;
        case Tag::Frame:
            AddAttributeLink("src", LinkSource::Frame);
            break;
        case Tag::Iframe:
            AddAttributeLink("src", LinkSource::Iframe);
            break;
        case Tag::Base:
            if (const auto href = tokens_.Find("href");
                href && InDocument() && !read_.facts.baseHref && href->size() <= kMaxLinkBytes) {
                read_.facts.baseHref.emplace(*href);
            }
            break;
        default:
            break;
        }
    }

    void HtmlStartTag(Tag tag) {
        switch (tag) {
        case Tag::Frame:
            return; // outside a frameset a frame is dropped
        case Tag::Frameset:
            if (framesetChance_ && InDocument()) {
                frameset_ = true;
                CloseAnchor();
            }
            return;
        case Tag::Title:
            tokens_.SwitchTo(TextMode::RcData);
            textKind_ = TextKind::Title;
            if (InDocument() && ++read_.facts.titleCount == 1) {
                title_.emplace(read_.facts.title, limits_.textBytes);
                titleBlock_ = true;
            }
            return;
        case Tag::Textarea:
            tokens_.SwitchTo(TextMode::RcData);
            textKind_ = TextKind::Textarea;
            return;
        case Tag::Style:
        case Tag::Xmp:
        case Tag::Noembed:
        case Tag::Noframes:
            tokens_.SwitchTo(TextMode::RawText);
            textKind_ = TextKind::Raw;
            return;
        case Tag::Iframe:
            LinkTag(tag);
            tokens_.SwitchTo(TextMode::RawText);
            textKind_ = TextKind::Raw;
            return;
        case Tag::Script:
            AddAttributeLink("src", LinkSource::Script);
            tokens_.SwitchTo(TextMode::ScriptData);
            textKind_ = TextKind::Raw;
            if (const auto type = tokens_.Find("type"); structured_ && InDocument() && type && IsJsonLdType(*type)) {
                structured_->StartJsonLd();
                inJsonLd_ = true;
            }
            return;
        case Tag::Plaintext:
            tokens_.SwitchTo(TextMode::PlainText);
            return;
        case Tag::Select:
            inSelect_ = true;
            return;
        case Tag::Svg:
        case Tag::Math:
            if (!tokens_.SelfClosing()) {
                frames_.push_back({std::string(tokens_.Name()), true, tag == Tag::Svg, tag == Tag::Svg});
                tokens_.SetForeign(true);
            }
            return;
        case Tag::Template:
            ++templateDepth_;
            return;
        case Tag::Noscript:
            // Read as a browser running scripts reads it: as raw text it does not show.
            ++noscriptDepth_;
            return;
        case Tag::Datalist:
            ++datalistDepth_;
            return;
        case Tag::H1:
        case Tag::Heading:
            if (!InDocument()) {
                return;
            }
            CloseHeading();
            if (tag == Tag::H1 && ++read_.facts.h1Count == 1) {
                h1_.emplace(read_.facts.h1, limits_.textBytes);
            }
            if (read_.facts.firstHeading.empty()) {
                firstHeading_.emplace(read_.facts.firstHeading, limits_.textBytes);
            }
            textZone_ = tag == Tag::H1 ? text::Zone::H1 : text::Zone::Heading;
            return;
        case Tag::Img:
            if (InDocument()) {
                ImgTag();
            }
            return;
        case Tag::Link:
            if (InDocument()) {
                LinkElement();
            }
            return;
        case Tag::Meta:
            if (InDocument()) {
                MetaTag();
            }
            return;
        case Tag::Html:
            if (!htmlSeen_ && InDocument()) {
                htmlSeen_ = true;
                read_.facts.lang = Capped(tokens_.Find("lang").value_or(""), limits_.anchorBytes);
            }
            return;
        default:
            LinkTag(tag);
            return;
        }
    }

    void ImgTag() {
        const auto alt = tokens_.Find("alt");
        if (alt && anchor_) {
            anchor_->Add(*alt);
        }
        if (alt && blocks_.Open() && TextShown()) {
            blocks_.AddBlock(text::Zone::ImageAlt, *alt);
        }
        if (const auto src = tokens_.Find("src")) {
            if (PageLink* link = AddLink(*src, LinkSource::Img)) {
                link->anchor = Capped(alt.value_or(""), limits_.anchorBytes);
            }
        }
        if (const auto srcset = tokens_.Find("srcset")) {
            // The list is copied: adding links does not disturb the token, but keeps this simple to reason about.
            ForEachSrcsetUrl(*srcset, [this](std::string_view url) { AddLink(url, LinkSource::ImgSrcset); });
        }
    }

    void LinkElement() {
        const auto href = tokens_.Find("href");
        const auto rel = tokens_.Find("rel");
        if (!href || !rel) {
            return;
        }
        const auto source = LinkRelSource(*rel);
        if (!source) {
            return;
        }
        if (*source == LinkSource::LinkCanonical && read_.facts.canonical.empty() && href->size() <= kMaxLinkBytes) {
            read_.facts.canonical.assign(*href);
        }
        if (PageLink* link = AddLink(*href, *source)) {
            link->rel = Capped(*rel, limits_.anchorBytes);
            link->hreflang = Capped(tokens_.Find("hreflang").value_or(""), limits_.anchorBytes);
        }
    }

    void MetaTag() {
        const auto content = tokens_.Find("content");
        if (!content) {
            return;
        }
        if (const auto name = tokens_.Find("name")) {
            if (web::EqualsIgnoreCase(*name, "description") && !descriptionSeen_) {
                descriptionSeen_ = true;
                read_.facts.metaDescription = Capped(*content, limits_.textBytes);
                blocks_.AddBlock(text::Zone::Description, *content);
            } else if (web::EqualsIgnoreCase(*name, "keywords") && !keywordsSeen_) {
                keywordsSeen_ = true;
                read_.facts.metaKeywords = Capped(*content, limits_.textBytes);
            } else if (web::EqualsIgnoreCase(*name, "robots")) {
                // Each one whole or not at all: a directive cut in half could say something else.
                std::string& robots = read_.facts.metaRobots;
                const std::string more = Capped(*content, limits_.textBytes);
                const std::string_view separator = robots.empty() || more.empty() ? "" : ", ";
                if (robots.size() + separator.size() + more.size() <= limits_.textBytes) {
                    robots.append(separator).append(more);
                }
            }
        }
        if (const auto equiv = tokens_.Find("http-equiv"); equiv && web::EqualsIgnoreCase(*equiv, "refresh")) {
            if (!read_.facts.refresh) {
                read_.facts.refresh.emplace(content->substr(0, limits_.textBytes));
            }
            if (const auto target = RefreshTarget(*content)) {
                AddLink(*target, LinkSource::MetaRefresh);
            }
        }
    }

    void EndTag() {
        EndText();
        const std::string_view name = tokens_.Name();
        const bool isInline = IsInline(name);
        if (!isInline) {
            inWord_ = false;
        }
        if (!frames_.empty() && frames_.back().closer == name) {
            frames_.pop_back();
            tokens_.SetForeign(Foreign());
            return;
        }
        if (Foreign() || frameset_) {
            return;
        }
        if (!isInline && InDocument() && BreaksText(name)) {
            blocks_.Break();
        }
        const Tag tag = TagOf(name);
        switch (tag) {
        case Tag::A:
            CloseAnchor();
            break;
        case Tag::Select:
            inSelect_ = false;
            break;
        case Tag::Template:
            templateDepth_ -= templateDepth_ > 0 ? 1 : 0;
            break;
        case Tag::Noscript:
            noscriptDepth_ -= noscriptDepth_ > 0 ? 1 : 0;
            break;
        case Tag::Datalist:
            datalistDepth_ -= datalistDepth_ > 0 ? 1 : 0;
            break;
        case Tag::H1:
        case Tag::Heading:
            if (InDocument()) {
                CloseHeading();
                textZone_ = text::Zone::Body;
            }
            break;
        default:
            break;
        }
    }

    void Text() {
        if (frameset_) {
            return;
        }
        if (textKind_ == TextKind::Raw) {
            if (inJsonLd_) {
                structured_->AddJsonLdText(tokens_.RawText());
            }
            return;
        }
        if (textKind_ == TextKind::Title) {
            if (title_) {
                text_.clear();
                tokens_.AppendText(text_);
                title_->Add(text_);
                if (titleBlock_) {
                    blocks_.Add(text::Zone::Title, text_);
                }
            }
            return;
        }
        if (!InDocument()) {
            return;
        }
        CountWords(tokens_.RawText());
        const bool shown = blocks_.Open() && TextShown();
        if (shown && !h1_ && !firstHeading_ && !anchor_) {
            // The page's text alone: decoded only from its first reference on, which most text never has.
            const std::string_view raw = tokens_.RawText();
            if (const std::size_t taken = blocks_.AddRaw(textZone_, raw); taken < raw.size()) {
                text_.clear();
                tokens_.AppendText(text_);
                blocks_.Add(textZone_, std::string_view(text_).substr(taken));
            }
        } else if (h1_ || firstHeading_ || anchor_ || shown) {
            // Most text holds neither a reference nor a NUL: it is taken where it stands, uncopied.
            std::string_view text = tokens_.RawText();
            if (text.find('&') != std::string_view::npos || text.find('\0') != std::string_view::npos) {
                text_.clear();
                tokens_.AppendText(text_);
                text = text_;
            }
            if (h1_) {
                h1_->Add(text);
            }
            if (firstHeading_) {
                firstHeading_->Add(text);
            }
            if (anchor_) {
                anchor_->Add(text);
            }
            if (shown) {
                blocks_.Add(textZone_, text);
            }
        }
    }

    void CountWords(std::string_view raw) {
        for (const char c : raw) {
            const bool space = web::IsHtmlSpace(c);
            if (!space && !inWord_) {
                ++read_.facts.wordCount;
                if (framesetChance_) {
                    framesetChance_ = false;
                }
            }
            inWord_ = !space;
        }
    }

    /// Microdata's and RDFa's types, wherever an element names them.
    void ReadItemTypes() {
        for (const std::string_view attribute : {"itemtype", "typeof"}) {
            if (const auto types = tokens_.Find(attribute)) {
                structured_->AddItemTypes(*types);
            }
        }
    }

    std::string_view html_;
    HtmlTokenizer tokens_;
    const ReadLimits& limits_;
    PageRead read_;
    std::vector<Frame> frames_;
    bool frameset_ = false;
    bool framesetChance_ = true;
    bool inSelect_ = false;
    bool htmlSeen_ = false;
    bool descriptionSeen_ = false;
    bool keywordsSeen_ = false;
    bool inWord_ = false;
    std::size_t templateDepth_ = 0;
    std::size_t noscriptDepth_ = 0;
    std::size_t datalistDepth_ = 0;
    TextKind textKind_ = TextKind::Markup;
    std::optional<Collapsed> title_;
    std::optional<Collapsed> h1_;
    std::optional<Collapsed> firstHeading_;
    std::optional<Collapsed> anchor_;
    std::string anchorText_;
    std::size_t anchorIndex_ = 0;
    std::string text_;
    TextBlocks blocks_;
    bool titleBlock_ = false;
    std::optional<StructuredDataReader> structured_;
    bool inJsonLd_ = false;
    /// The zone of markup text outside a title: a heading's while one is open.
    text::Zone textZone_ = text::Zone::Body;
};

} // namespace

std::string_view SourceName(LinkSource source) {
    switch (source) {
    case LinkSource::A:
        return "a";
    case LinkSource::Area:
        return "area";
    case LinkSource::Frame:
        return "frame";
    case LinkSource::Iframe:
        return "iframe";
    case LinkSource::LinkCanonical:
        return "link rel=canonical";
    case LinkSource::LinkNext:
        return "link rel=next";
    case LinkSource::LinkPrev:
        return "link rel=prev";
    case LinkSource::LinkAlternate:
        return "link rel=alternate";
    case LinkSource::LinkStylesheet:
        return "link rel=stylesheet";
    case LinkSource::LinkIcon:
        return "link rel=icon";
    case LinkSource::Img:
        return "img src";
    case LinkSource::ImgSrcset:
        return "img srcset";
    case LinkSource::Script:
        return "script src";
    case LinkSource::MetaRefresh:
        return "meta refresh";
    case LinkSource::WindowOpen:
        return "window.open";
    }
    return "";
}

PageRead ReadPage(std::string_view html, const ReadLimits& limits) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (html.starts_with(kUtf8Bom)) {
        html.remove_prefix(kUtf8Bom.size());
    }
    if (const auto utf8 = Utf16PageAsUtf8(html)) {
        return Reader(*utf8, limits).Read();
    }
    return Reader(html, limits).Read();
}

} // namespace vortaxel::crawl
