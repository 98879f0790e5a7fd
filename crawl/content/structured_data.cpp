#include "crawl/content/structured_data.h"

#include "web/ascii.h"

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>

namespace vortaxel::crawl {

namespace {

// The properties a rich result of each type cannot do without, as search engines document them; each
// group is met by any one of its properties. Our own reading, kept short: recommended properties are
// not findings.
constexpr std::array kProperties = std::to_array<std::string_view>({
    "name",
    "offers",
    "review",
    "aggregateRating",
    "price",
    "priceCurrency",
    "headline",
    "image",
    "datePublished",
    "author",
    "itemListElement",
    "mainEntity",
    "url",
    "address",
    "startDate",
    "location",
});
static_assert(kProperties.size() <= 32);

struct RequiredGroup {
    std::initializer_list<std::string_view> anyOf;
};

struct RichResultRule {
    std::string_view type;
    std::initializer_list<RequiredGroup> groups;
};

const std::array<RichResultRule, 13>& Rules() {
    static const std::array<RichResultRule, 13> rules = {{
        {"Product", {{{"name"}}, {{"offers", "review", "aggregateRating"}}}},
        {"Offer", {{{"price"}}, {{"priceCurrency"}}}},
        {"Article", {{{"headline"}}, {{"image"}}, {{"datePublished"}}, {{"author"}}}},
        {"NewsArticle", {{{"headline"}}, {{"image"}}, {{"datePublished"}}, {{"author"}}}},
        {"BlogPosting", {{{"headline"}}, {{"image"}}, {{"datePublished"}}, {{"author"}}}},
        {"BreadcrumbList", {{{"itemListElement"}}}},
        {"FAQPage", {{{"mainEntity"}}}},
        {"Organization", {{{"name"}}, {{"url"}}}},
        {"LocalBusiness", {{{"name"}}, {{"address"}}}},
        {"Restaurant", {{{"name"}}, {{"address"}}}},
        {"Store", {{{"name"}}, {{"address"}}}},
        {"Event", {{{"name"}}, {{"startDate"}}, {{"location"}}}},
        {"Recipe", {{{"name"}}, {{"image"}}}},
    }};
    return rules;
}

constexpr int PropertyIndex(std::string_view key) {
    for (std::size_t i = 0; i < kProperties.size(); ++i) {
        if (kProperties[i] == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

constexpr std::uint32_t Bit(std::string_view property) {
    const int index = PropertyIndex(property);
    return index < 0 ? 0 : std::uint32_t{1} << index;
}

// An offer may give its price in an object of its own (a structured price with its amount and currency);
// what that object holds counts for the object it stands in.
constexpr std::uint32_t kCarriedUp = Bit("price") | Bit("priceCurrency");

/// A type by its name: "https://schema.org/Product" and "schema:Product" are "Product".
std::string_view TypeName(std::string_view type) {
    for (const std::string_view prefix : {"https://schema.org/", "http://schema.org/", "schema:"}) {
        if (type.size() > prefix.size() && web::StartsWithIgnoreCase(type, prefix)) {
            return type.substr(prefix.size());
        }
    }
    return type;
}

/// A page's findings, each once and at most kMaxSchemaIssues of them.
class Findings {
public:
    explicit Findings(StructuredData& out) : out_(out) {}

    void AddType(std::string_view type) {
        type = TypeName(type);
        if (type.empty() || type.size() > kMaxSchemaTypeBytes) {
            return;
        }
        for (const std::string& known : out_.types) {
            if (known == type) {
                return;
            }
        }
        if (out_.types.size() < kMaxSchemaTypes) {
            out_.types.emplace_back(type);
        }
    }

    void AddIssue(std::string issue) {
        for (const std::string& known : out_.issues) {
            if (known == issue) {
                return;
            }
        }
        if (out_.issues.size() < kMaxSchemaIssues) {
            out_.issues.push_back(std::move(issue));
        }
    }

private:
    StructuredData& out_;
};

/// Reads one JSON-LD block as events, never as a tree: each object's types and the properties it has are
/// all that is kept, on a stack as deep as the block nests, which the read refuses past kMaxJsonLdDepth.
class JsonLdEvents {
public:
    using json = nlohmann::json;

    JsonLdEvents(Findings& findings, std::size_t block) : findings_(findings), block_(block) {}

    bool null() { return Value(false); }
    bool boolean(bool) { return Value(true); }
    bool number_integer(json::number_integer_t) { return Value(true); }
    bool number_unsigned(json::number_unsigned_t) { return Value(true); }
    bool number_float(json::number_float_t, const json::string_t&) { return Value(true); }
    bool binary(json::binary_t&) { return Value(true); }
    bool string(json::string_t& text) {
        if (!frames_.empty()) {
            Frame& top = frames_.back();
            if (top.object && top.keyIsType) {
                AddType(top, text);
            } else if (!top.object && top.typesOf) {
                AddType(frames_[frames_.size() - 2], text);
            }
        }
        return Value(!text.empty());
    }
    bool start_object(std::size_t) {
        Value(true);
        return Push(true);
    }
    bool start_array(std::size_t) {
        const bool typesOf = !frames_.empty() && frames_.back().object && frames_.back().keyIsType;
        Value(true);
        if (!Push(false)) {
            return false;
        }
        frames_.back().typesOf = typesOf;
        return true;
    }
    bool key(json::string_t& name) {
        Frame& top = frames_.back();
        top.keyIsType = name == "@type";
        top.keyBit = Bit(name);
        return true;
    }
    bool end_object() {
        Check(frames_.back());
        const std::uint32_t carried = frames_.back().present & kCarriedUp;
        frames_.pop_back();
        // Through any arrays between, to the object this one is a value of.
        for (auto outer = frames_.rbegin(); outer != frames_.rend(); ++outer) {
            if (outer->object) {
                outer->present |= carried;
                break;
            }
        }
        return true;
    }
    bool end_array() {
        frames_.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        std::string_view reason = error.what();
        // "[json.exception.parse_error.101] parse error at ..." reads better without the library's tag.
        if (const std::size_t tag = reason.find("] "); reason.starts_with('[') && tag != std::string_view::npos) {
            reason.remove_prefix(tag + 2);
        }
        constexpr std::size_t kReasonBytes = 160;
        findings_.AddIssue(Named() + " is no valid JSON: " + std::string(reason.substr(0, kReasonBytes)));
        return false;
    }

    bool TooDeep() const { return tooDeep_; }

private:
    struct Frame {
        bool object = false;
        bool keyIsType = false;
        /// An array that is an object's `@type`: its strings are that object's types.
        bool typesOf = false;
        std::uint32_t keyBit = 0;
        std::uint32_t present = 0;
        std::vector<std::string> types;
    };

    std::string Named() const { return "JSON-LD block " + std::to_string(block_); }

    void AddType(Frame& object, std::string_view type) {
        findings_.AddType(type);
        const std::string_view name = TypeName(type);
        if (object.types.size() < 8 && name.size() <= kMaxSchemaTypeBytes) {
            object.types.emplace_back(name);
        }
    }

    /// A value met: it counts for the key it stands under when it says anything.
    bool Value(bool something) {
        if (!frames_.empty() && frames_.back().object) {
            Frame& top = frames_.back();
            if (something) {
                top.present |= top.keyBit;
            }
            top.keyBit = 0;
            top.keyIsType = false;
        }
        return true;
    }

    bool Push(bool object) {
        if (frames_.size() >= kMaxJsonLdDepth) {
            tooDeep_ = true;
            findings_.AddIssue(Named() + " nests deeper than " + std::to_string(kMaxJsonLdDepth) +
                               " levels and was not read further");
            return false;
        }
        frames_.emplace_back().object = object;
        return true;
    }

    void Check(const Frame& object) {
        for (const std::string& type : object.types) {
            for (const RichResultRule& rule : Rules()) {
                if (rule.type != type) {
                    continue;
                }
                for (const RequiredGroup& group : rule.groups) {
                    std::uint32_t any = 0;
                    for (const std::string_view property : group.anyOf) {
                        any |= Bit(property);
                    }
                    if ((object.present & any) != 0) {
                        continue;
                    }
                    std::string issue = type + " has no ";
                    std::size_t i = 0;
                    for (const std::string_view property : group.anyOf) {
                        if (i != 0) {
                            issue += i + 1 == group.anyOf.size() ? " or " : ", ";
                        }
                        issue += property;
                        ++i;
                    }
                    findings_.AddIssue(std::move(issue));
                }
            }
        }
    }

    Findings& findings_;
    std::size_t block_;
    std::vector<Frame> frames_;
    bool tooDeep_ = false;
};

} // namespace

bool IsJsonLdType(std::string_view type) {
    return web::EqualsIgnoreCase(web::TrimHtmlSpace(type), "application/ld+json");
}

void StructuredDataReader::StartJsonLd() {
    dropping_ = blockBytes_ >= kMaxJsonLdBytes;
    if (dropping_) {
        ++blocksTooLarge_;
        return;
    }
    blocks_.emplace_back();
}

void StructuredDataReader::AddJsonLdText(std::string_view text) {
    if (dropping_) {
        return;
    }
    if (text.size() > kMaxJsonLdBytes - blockBytes_) {
        // Read whole or not at all: a block cut short would only report where it was cut.
        blockBytes_ = kMaxJsonLdBytes;
        blocks_.pop_back();
        ++blocksTooLarge_;
        dropping_ = true;
        return;
    }
    blockBytes_ += text.size();
    blocks_.back().append(text);
}

void StructuredDataReader::AddItemTypes(std::string_view types) {
    std::size_t at = 0;
    while (at < types.size() && itemTypes_.size() < kMaxSchemaTypes) {
        while (at < types.size() && web::IsHtmlSpace(types[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < types.size() && !web::IsHtmlSpace(types[end])) {
            ++end;
        }
        if (end > at) {
            itemTypes_.emplace_back(types.substr(at, end - at));
        }
        at = end;
    }
}

StructuredData StructuredDataReader::Finish() {
    StructuredData out;
    Findings findings(out);
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        JsonLdEvents events(findings, i + 1);
        nlohmann::json::sax_parse(blocks_[i].begin(), blocks_[i].end(), &events);
    }
    if (blocksTooLarge_ != 0) {
        findings.AddIssue(std::to_string(blocksTooLarge_) + " JSON-LD block(s) past the page's " +
                          std::to_string(kMaxJsonLdBytes >> 20) + " MiB of structured data were not read");
    }
    for (const std::string& type : itemTypes_) {
        findings.AddType(type);
    }
    return out;
}

} // namespace vortaxel::crawl
