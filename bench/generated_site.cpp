#include "bench/generated_site.h"

#include <array>
#include <charconv>

namespace vortaxel::bench {

namespace {

constexpr std::string_view kItemPrefix = "catalog/item-";
constexpr std::string_view kItemSuffix = ".html";

// Shop prose between the links; each gap takes a slice of it so pages differ in length.
constexpr std::string_view kProse =
    "Our best sellers ship within two days and come with a full year of cover. Compare sizes, colours "
    "and prices below, read what other buyers said, and ask us anything before you order. ";

struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        // splitmix64: cheap, and good enough to scatter links over the whole site.
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
};

enum class LinkKind { Relative, RootRelative, Absolute, OffSite, Mail, Document };

// The 30 links of a page, in page order.
constexpr std::array<LinkKind, 30> kLinkKinds = {
    LinkKind::RootRelative, LinkKind::Relative,     LinkKind::Absolute,     LinkKind::RootRelative,
    LinkKind::Relative,     LinkKind::OffSite,      LinkKind::Relative,     LinkKind::RootRelative,
    LinkKind::Absolute,     LinkKind::Relative,     LinkKind::Mail,         LinkKind::RootRelative,
    LinkKind::OffSite,      LinkKind::Relative,     LinkKind::Absolute,     LinkKind::RootRelative,
    LinkKind::Relative,     LinkKind::OffSite,      LinkKind::Document,     LinkKind::RootRelative,
    LinkKind::Relative,     LinkKind::Absolute,     LinkKind::RootRelative, LinkKind::OffSite,
    LinkKind::Relative,     LinkKind::RootRelative, LinkKind::Absolute,     LinkKind::Relative,
    LinkKind::OffSite,      LinkKind::RootRelative,
};

void AppendNumber(std::string& out, std::size_t n) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr;
    out.append(digits.data(), end);
}

void AppendItemPath(std::string& out, std::size_t target) {
    if (target == 0) {
        return;
    }
    out.append(kItemPrefix);
    AppendNumber(out, target);
    out.append(kItemSuffix);
}

} // namespace

GeneratedSite::GeneratedSite(std::size_t pages, std::uint64_t seed, std::string root)
    : pages_(pages == 0 ? 1 : pages), seed_(seed), root_(std::move(root)) {}

std::string GeneratedSite::PagePath(std::size_t i) const {
    std::string path;
    AppendItemPath(path, i);
    return path;
}

std::string GeneratedSite::PageUrl(std::size_t i) const {
    return root_ + PagePath(i);
}

void GeneratedSite::WritePage(std::size_t i, std::string& body) const {
    Random random{seed_ ^ (i * 0xd1342543de82ef95ULL)};
    body.clear();
    body.reserve(4608);
    body.append("<!DOCTYPE html>\n<html><head><title>Item ");
    AppendNumber(body, i);
    body.append("</title></head>\n<body>\n");
    std::array<std::size_t, kLinkKinds.size()> targets{};
    for (std::size_t k = 0; k < kLinkKinds.size(); ++k) {
        // The first two in-site links make a tree that reaches every page; three later ones repeat
        // a target named earlier on the page.
        std::size_t target = random.Below(pages_);
        if (k < 2) {
            target = 2 * i + 1 + k < pages_ ? 2 * i + 1 + k : random.Below(pages_);
        } else if (k % 9 == 4) {
            target = targets[random.Below(k)];
        }
        targets[k] = target;

        const std::size_t proseStart = random.Below(kProse.size() / 2);
        body.append("<p>").append(kProse.substr(proseStart, 40 + random.Below(60))).append("</p>\n<a href=\"");
        switch (kLinkKinds[k]) {
        case LinkKind::Relative:
            AppendItemPath(body, target);
            break;
        case LinkKind::RootRelative:
            body.push_back('/');
            AppendItemPath(body, target);
            break;
        case LinkKind::Absolute:
            body.append(root_);
            AppendItemPath(body, target);
            break;
        case LinkKind::OffSite:
            body.append("http://partner");
            AppendNumber(body, target % 97);
            body.append(".example/");
            AppendItemPath(body, target);
            break;
        case LinkKind::Mail:
            body.append("mailto:sales@shop.test");
            break;
        case LinkKind::Document:
            body.append("/files/sheet-");
            AppendNumber(body, target);
            body.append(".pdf");
            break;
        }
        body.append("\">Item ");
        AppendNumber(body, target);
        body.append("</a>\n");
    }
    body.append("</body></html>\n");
}

bool GeneratedSite::PageAt(std::string_view url, std::string& body) const {
    if (!url.starts_with(root_)) {
        return false;
    }
    const std::string_view path = url.substr(root_.size());
    if (path.empty()) {
        WritePage(0, body);
        return true;
    }
    if (!path.starts_with(kItemPrefix) || !path.ends_with(kItemSuffix)) {
        return false;
    }
    const std::string_view digits =
        path.substr(kItemPrefix.size(), path.size() - kItemPrefix.size() - kItemSuffix.size());
    std::size_t i = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.front() == '0' || i >= pages_) {
        return false;
    }
    WritePage(i, body);
    return true;
}

} // namespace vortaxel::bench
