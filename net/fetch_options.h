#pragma once

#include "vortaxel/version.h"
#include "web/address_login.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::net {

/// An HTTP login (Basic or Digest, as the site asks) for one origin. The password lives in memory only.
struct HttpLogin {
    /// web::OriginOf the start address: the only origin the login is sent to, also after a redirect.
    std::string origin;
    std::string user;
    std::string password;

    bool operator==(const HttpLogin&) const = default;
};

/// Limits, identity and manners of every fetch. Everything past the limits is off by default, so a
/// default fetch makes exactly one GET per page (plus its redirect hops) and no other request.
struct FetchOptions {
    /// The whole request, redirects included, must end within this time.
    std::chrono::milliseconds timeout{60000};
    /// A page whose decoded body grows past this many bytes is a failed fetch.
    std::size_t maxBodyBytes = std::size_t{32} * 1024 * 1024;
    /// More redirect hops than this is a failed fetch.
    long maxRedirects = 10;
    std::string userAgent = kUserAgent;

    /// A file fetched whole (FetchWhole) keeps this many bytes of its body; the rest is not read, and the
    /// fetch succeeds with what was read, since such a file is read only in part anyway.
    std::size_t wholeBodyBytes = std::size_t{1024} * 1024;

    /// Pages fetched ahead and not yet asked for are kept up to this many bytes; past it they wait in
    /// their transfer, which then fetches nothing else.
    std::size_t storeBytes = std::size_t{64} * 1024 * 1024;

    /// A reply whose Content-Type is given and is not text/html or application/xhtml+xml is cut after its
    /// headers: it succeeds or fails as its status says, with an empty body and bodySkipped set.
    bool htmlOnly = false;
    /// With htmlOnly, an address for which this returns true is first asked with HEAD, and fetched
    /// with GET only when that reply is HTML or the server refuses HEAD (405, 501).
    std::function<bool(std::string_view url)> probeFirst;
    /// With probeFirst, the HEAD reply is the outcome whatever its type, and GET is sent only when the
    /// server refuses HEAD: for addresses asked for their status alone.
    bool probeAnswers = false;

    /// A page's redirect is not followed: the reply comes back as a failure naming its target in
    /// `redirectTo`, for the caller to follow or not, hop by hop. Files fetched whole follow theirs.
    bool redirectsOneByOne = false;

    /// A CA bundle trusted besides the system's store. Certificates are always verified.
    std::string caFile;
    /// Fixed name lookups in libcurl's "host:port:address" form.
    std::vector<std::string> resolve;

    /// At least this long between the starts of two requests to the same host.
    std::chrono::milliseconds delay{0};
    /// A 429 or 503 reply with a usable Retry-After is waited out and asked once more; without this
    /// it is a failed fetch like any other error status.
    bool politeRetry = false;
    /// The longest Retry-After that is waited out; a longer one is cut to this.
    std::chrono::seconds maxRetryAfter{120};

    /// Cookies the sites set are kept for the fetcher's life, in memory, and sent back to the host that set
    /// them, as a browser does; without this no cookie is kept or sent.
    bool keepCookies = false;

    /// The user information of the start address: put in every request to its origin, and into no other.
    /// An address fetched is then shown with its password hidden, as it was given.
    std::optional<web::OriginLogin> login;

    /// A login the user gave apart from the address, sent to its origin alone.
    std::optional<HttpLogin> httpLogin;
    /// Request headers added to every request, "Name: value" each; checked before a run starts, so none
    /// holds CR, LF or NUL. One that carries a credential (Authorization, Proxy-Authorization, Cookie) goes
    /// to `cookieOrigin` alone, as the cookies do.
    std::vector<std::string> headers;
    /// Cookies ("name=value" each) sent to `cookieOrigin` alone, beside any the site sets.
    std::vector<std::string> cookies;
    std::string cookieOrigin;
};

} // namespace vortaxel::net
