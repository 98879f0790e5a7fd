// vortaxel-sample-server DIR [--port N] [--seconds S]
// Serves DIR read-only on 127.0.0.1 so that a crawl can be tried with no internet.
// The first line on standard output is the site's address; the server ends after S seconds.

#include "tools/static_site.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <httplib.h>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr int kUsageError = 2;
constexpr long kDefaultSeconds = 600;

struct Arguments {
    std::string folder;
    int port = 0;
    long seconds = kDefaultSeconds;
};

template <typename Number> std::optional<Number> ParseNumber(std::string_view text, Number low, Number high) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments arguments;
    bool haveFolder = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--port" && hasValue) {
            const auto port = ParseNumber<int>(argv[++i], 0, 65535);
            if (!port) {
                return std::nullopt;
            }
            arguments.port = *port;
        } else if (argument == "--seconds" && hasValue) {
            const auto seconds = ParseNumber<long>(argv[++i], 1, 365L * 24 * 3600);
            if (!seconds) {
                return std::nullopt;
            }
            arguments.seconds = *seconds;
        } else if (!haveFolder && !argument.starts_with("--")) {
            arguments.folder = argument;
            haveFolder = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveFolder) {
        return std::nullopt;
    }
    return arguments;
}

int Serve(const Arguments& arguments) {
    const vortaxel::tools::StaticSite site(arguments.folder);
    httplib::Server server;
    // Without this each reply stalls about 40 ms on the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    std::string address;
    server.set_pre_routing_handler([&](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "GET" && request.method != "HEAD") {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
            return httplib::Server::HandlerResponse::Handled;
        }
        auto reply = site.Get(request.path, address);
        response.status = reply.status;
        response.set_content(reply.body, reply.contentType);
        return httplib::Server::HandlerResponse::Handled;
    });

    int port = arguments.port;
    if (port == 0) {
        port = server.bind_to_any_port("127.0.0.1");
    } else if (!server.bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        std::cerr << "vortaxel-sample-server: cannot listen on 127.0.0.1"
                  << (arguments.port != 0 ? ":" + std::to_string(arguments.port) : std::string()) << "\n";
        return 1;
    }
    address = "http://127.0.0.1:" + std::to_string(port);
    std::cout << address << "/" << std::endl;

    std::thread listener([&] { server.listen_after_bind(); });
    std::this_thread::sleep_for(std::chrono::seconds(arguments.seconds));
    // stop() is ignored until the listen loop has begun; it has long begun by now, but make sure.
    for (int i = 0; i < 500 && !server.is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server.stop();
    listener.join();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = Parse(argc, argv);
    if (!arguments) {
        std::cerr << "usage: vortaxel-sample-server DIR [--port N] [--seconds S]\n";
        return kUsageError;
    }
    try {
        return Serve(*arguments);
    } catch (const std::exception& error) {
        std::cerr << "vortaxel-sample-server: " << error.what() << "\n";
        return 1;
    }
}
