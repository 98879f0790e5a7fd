#include "tools/static_site.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <system_error>

namespace vortaxel::tools {

namespace {

// The sample pages are a few KiB; this only keeps a stray large file from filling memory.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{64} * 1024 * 1024;
constexpr std::string_view kSitePlaceholder = "@SITE@";

StaticReply NotFound() {
    return {404, "<html><body>Not found</body></html>", "text/html"};
}

bool IsInside(const std::filesystem::path& file, const std::filesystem::path& root) {
    const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    return rootEnd == root.end();
}

bool IsHtml(const std::filesystem::path& file) {
    const auto extension = file.extension();
    return extension == ".html" || extension == ".htm";
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace

StaticSite::StaticSite(const std::filesystem::path& root) {
    std::error_code error;
    root_ = std::filesystem::canonical(root, error);
    if (error || !std::filesystem::is_directory(root_)) {
        throw std::runtime_error("not a folder: " + root.string());
    }
}

StaticReply StaticSite::Get(std::string_view path, std::string_view siteAddress) const {
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) {
        return NotFound();
    }
    std::filesystem::path relative;
    for (const auto& segment : std::filesystem::path(path.substr(1))) {
        if (segment == "..") {
            return NotFound();
        }
        if (!segment.empty() && segment != ".") {
            relative /= segment;
        }
    }
    std::error_code error;
    auto file = root_ / relative;
    if (std::filesystem::is_directory(file, error)) {
        file /= "index.html";
    }
    // Resolving links first means a link that leads out of the folder is caught by the test below.
    file = std::filesystem::canonical(file, error);
    if (error || !IsInside(file, root_) || !std::filesystem::is_regular_file(file, error)) {
        return NotFound();
    }
    const auto size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || size > kMaxFileBytes || !in) {
        return NotFound();
    }
    std::string body{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (IsHtml(file)) {
        body = ReplaceAll(std::move(body), kSitePlaceholder, siteAddress);
    }
    return {200, std::move(body), ContentTypeFor(file)};
}

std::string ContentTypeFor(const std::filesystem::path& file) {
    static const std::map<std::string, std::string> kTypes{
        {".html", "text/html; charset=utf-8"},
        {".htm", "text/html; charset=utf-8"},
        {".css", "text/css"},
        {".js", "text/javascript"},
        {".txt", "text/plain; charset=utf-8"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".svg", "image/svg+xml"},
        {".pdf", "application/pdf"},
    };
    const auto found = kTypes.find(file.extension().string());
    return found == kTypes.end() ? "application/octet-stream" : found->second;
}

} // namespace vortaxel::tools
