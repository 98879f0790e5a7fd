#include "hostile_behaviours.h"

#include "tests/support/gzip.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace vortaxel::test {

namespace {

using namespace std::chrono_literals;

constexpr auto kForever = std::chrono::hours(1);

std::string Hex(std::size_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%zx", value);
    return text;
}

/// Links first, then zeros: 256 MiB once inflated, about a quarter of a MiB on the wire.
const std::string& GzipBomb() {
    static const std::string bomb = vortaxel::test::Gzip(LeakLinks(), std::size_t{256} << 20, '\0');
    return bomb;
}

void Endless(HostileStream& stream, bool chunked) {
    const std::string links = LeakLinks(50);
    const std::string piece = chunked ? Hex(links.size()) + "\r\n" + links + "\r\n" : links;
    while (stream.Send(piece)) {
    }
}

} // namespace

std::string LeakLinks(std::size_t count) {
    std::string body = "<html><body>";
    for (std::size_t i = 0; i < count; ++i) {
        body += "<a href=\"/leak-" + std::to_string(i) + ".html\">x</a> <script>window.open('leak-w" +
                std::to_string(i) + ".html')</script>\n";
    }
    return body;
}

void SendPage(HostileStream& stream, std::string_view body, std::string_view status, std::string_view extraHeaders) {
    std::string reply = "HTTP/1.1 " + std::string(status) +
                        "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n" + std::string(extraHeaders) + "\r\n";
    reply += body;
    stream.Send(reply);
}

void InstallHostileBehaviours(HostileServer& server) {
    const std::string leak = LeakLinks();
    const std::string length = std::to_string(leak.size());

    server.On("/silent", [](HostileStream& s) { s.Pause(kForever); });
    server.On("/trickle-headers", [](HostileStream& s) {
        for (const char c : std::string("HTTP/1.1 200 OK\r\nContent-Length: 30\r\nX-Slow: yes\r\n\r\n")) {
            if (!s.Send(std::string_view(&c, 1)) || !s.Pause(1s)) {
                return;
            }
        }
    });
    server.On("/trickle-body", [leak, length](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\n");
        for (const char c : leak) {
            if (!s.Send(std::string_view(&c, 1)) || !s.Pause(1s)) {
                return;
            }
        }
    });
    server.On("/truncated", [leak](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(leak.size() + 1000) + "\r\n\r\n" + leak);
    });
    server.On("/reset-mid-body", [leak](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(leak.size() * 2) + "\r\n\r\n" + leak);
        s.Pause(100ms);
        s.Reset();
    });
    server.On("/reset-at-once", [](HostileStream& s) { s.Reset(); });
    server.On("/empty", [](HostileStream&) {});
    server.On("/endless-chunked", [](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        Endless(s, true);
    });
    server.On("/endless-close", [](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        Endless(s, false);
    });
    // Declares more than it sends and then keeps the connection open.
    server.On("/lying-length", [leak](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(leak.size() + 100000) + "\r\n\r\n" + leak);
        s.Pause(kForever);
    });
    server.On("/conflicting-length", [leak, length](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: 12\r\nContent-Length: " + length + "\r\n\r\n" + leak);
    });
    server.On("/conflicting-length-list", [leak, length](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nContent-Length: 12, " + length + "\r\n\r\n" + leak);
    });
    server.On("/negative-length",
              [leak](HostileStream& s) { s.Send("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n" + leak); });
    server.On("/endless-header-line", [](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\nX-Endless: ");
        const std::string filler(std::size_t{64} * 1024, 'a');
        while (s.Send(filler)) {
        }
    });
    server.On("/header-flood", [](HostileStream& s) {
        s.Send("HTTP/1.1 200 OK\r\n");
        for (std::size_t i = 0; s.Send("X-Flood-" + std::to_string(i) + ": v\r\n"); ++i) {
        }
    });
    server.On("/redirect-self", [](HostileStream& s) {
        s.Send("HTTP/1.1 302 Found\r\nLocation: /redirect-self\r\nContent-Length: 0\r\n\r\n");
    });
    server.On("/redirect-chain", [](HostileStream& s) {
        s.Send("HTTP/1.1 302 Found\r\nLocation: " + s.target + "/x\r\nContent-Length: 0\r\n\r\n");
    });
    // A file that is always there: were the redirect followed, its content would pass for the page.
    server.On("/redirect-file", [](HostileStream& s) {
        s.Send("HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n");
    });
    server.On("/broken-chunk", [](HostileStream& s) {
        const std::string part = LeakLinks(2);
        s.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Hex(part.size()) + "\r\n" + part +
               "\r\nzz-not-a-size\r\n" + part);
    });
    server.On("/gzip-bomb", [](HostileStream& s) { SendPage(s, GzipBomb(), "200 OK", "Content-Encoding: gzip\r\n"); });
    server.On("/http09", [leak](HostileStream& s) { s.Send(leak); });
    server.On("/status-404", [leak](HostileStream& s) { SendPage(s, leak, "404 Not Found"); });
    server.On("/status-500", [leak](HostileStream& s) { SendPage(s, leak, "500 Internal Server Error"); });
}

void InstallSiteAround(HostileServer& server, const std::string& target) {
    const std::string index = "<a href=\"" + target + "\">hostile</a> <a href=\"after.html\">after</a>";
    server.On("/", [index](HostileStream& s) {
        if (s.target == "/") {
            SendPage(s, index);
        } else if (s.target == "/after.html") {
            SendPage(s, "<p>the run went on</p>");
        } else {
            SendPage(s, "", "404 Not Found");
        }
    });
}

} // namespace vortaxel::test
