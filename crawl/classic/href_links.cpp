#include "crawl/classic/base_url.h"
#include "crawl/classic/link_extraction.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <string>

namespace vortaxel::crawl {

namespace {

constexpr auto npos = std::string_view::npos;

/// The first place of one byte at or after a growing offset. Remembering the last answer keeps a
/// page whose links never use the other quote character from being rescanned to its end per link.
class NextByte {
public:
    NextByte(std::string_view text, char c) : text_(text), c_(c) {}

    std::size_t At(std::size_t from) {
        if (!known_ || (cached_ != npos && cached_ < from)) {
            cached_ = text_.find(c_, from);
            known_ = true;
        }
        return cached_;
    }

private:
    std::string_view text_;
    char c_;
    std::size_t cached_ = npos;
    bool known_ = false;
};

} // namespace

void ExtractHrefLinks(std::string_view page, LinkSink& queue, std::string_view startUrl) {
    const std::string base = MakeBaseUrl(startUrl);
    const web::CaselessFinder keyword("href");
    NextByte quote(page, '"');
    NextByte apostrophe(page, '\'');

    for (std::size_t at = keyword.Next(page, 0); at != npos; at = keyword.Next(page, at)) {
        const std::size_t q = quote.At(at);
        const std::size_t a = apostrophe.At(at);
        const std::size_t open = (q != npos && (a == npos || q < a)) ? q : a;
        if (open == npos) {
            return;
        }
        const std::size_t close = page.find(page[open], open + 1);
        if (close == npos) {
            return;
        }
        const std::string_view value = page.substr(open + 1, close - open - 1);
        if (web::HasWebScheme(value)) {
            if (value.find(base) != npos) {
                queue.Append(value);
            }
        } else {
            queue.AppendJoined(base, RelativeTail(value));
        }
        at = close;
    }
}

} // namespace vortaxel::crawl
