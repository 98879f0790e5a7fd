#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vortaxel::tools {

/// One answer of the sample server.
struct StaticReply {
    int status = 200;
    std::string body;
    std::string contentType;
};

/// The files of one folder, served read-only. Nothing outside the folder is ever read,
/// whether reached by ".." or by a symbolic link.
class StaticSite {
public:
    /// Throws std::runtime_error when root is not a folder.
    explicit StaticSite(const std::filesystem::path& root);

    /// The reply for a decoded request path such as "/garden/solar-lights.html". A folder answers
    /// with its index.html. In HTML pages each "@SITE@" becomes siteAddress (e.g. "http://127.0.0.1:8080"),
    /// so that pages can hold absolute links to the site whose port is only known at start-up.
    StaticReply Get(std::string_view path, std::string_view siteAddress) const;

private:
    std::filesystem::path root_;
};

/// The Content-Type for a file name, by its extension.
std::string ContentTypeFor(const std::filesystem::path& file);

} // namespace vortaxel::tools
