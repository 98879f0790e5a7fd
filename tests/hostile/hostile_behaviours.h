#pragma once

#include "hostile_server.h"

#include <string>
#include <string_view>

namespace vortaxel::test {

/// A page body full of links that a crawl must never take: each is "/leak-N.html".
std::string LeakLinks(std::size_t count = 200);

/// Sends a whole reply with a Content-Length, status line included, and closes.
void SendPage(HostileStream& stream, std::string_view body, std::string_view status = "200 OK",
              std::string_view extraHeaders = {});

/// Installs one misbehaving answer per path, each under the name the tests use:
/// silent, trickle-headers, trickle-body, truncated, reset-mid-body, reset-at-once, empty, endless-chunked,
/// endless-close, lying-length, conflicting-length,
/// conflicting-length-list, negative-length, endless-header-line, header-flood,
/// redirect-self, redirect-chain, redirect-file, broken-chunk, gzip-bomb, http09, status-404, status-500.
void InstallHostileBehaviours(HostileServer& server);

/// "/" links to `target` and then to "after.html", which is an ordinary empty page; so a crawl from "/"
/// shows whether it gets past `target`.
void InstallSiteAround(HostileServer& server, const std::string& target);

} // namespace vortaxel::test
