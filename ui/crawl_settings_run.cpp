#include "crawl_settings_run.h"

#include "web/address_login.h"

namespace vortaxel::ui {

void ApplyCrawlSettings(const crawl::CrawlControls& controls, const store::KeptIdentity& identity,
                        std::string_view startAddress, const std::string& password, app::RunSetup& setup) {
    setup.limits.controls = controls;
    if (!identity.userAgent.empty()) {
        setup.fetch.userAgent = identity.userAgent;
    }
    // Each is set only when given, so a run without them fetches with the setup's options as they were.
    if (!identity.headers.empty()) {
        setup.fetch.headers = identity.headers;
    }
    const std::string origin = web::OriginOf(startAddress);
    if (!identity.authUser.empty()) {
        setup.fetch.httpLogin = net::HttpLogin{origin, identity.authUser, password};
    }
    if (!identity.cookies.empty()) {
        setup.fetch.cookies = identity.cookies;
    }
    // Credential headers go where the cookies go: to the start page's origin alone.
    if (!identity.cookies.empty() || !identity.headers.empty()) {
        setup.fetch.cookieOrigin = origin;
    }
}

} // namespace vortaxel::ui
