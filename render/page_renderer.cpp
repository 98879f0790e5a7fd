#include "render/page_renderer.h"

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <utility>

namespace vortaxel::render {

namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

/// How long one protocol call may take once the page's own wait is over: a browser that takes longer has hung.
constexpr std::chrono::seconds kCallWait{10};
/// How long the network must have been quiet for a page to count as settled (Chromium's own "networkIdle").
constexpr std::string_view kIdleEvent = "networkIdle";

std::string Base64(std::string_view bytes) {
    static constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16U) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8U) | static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(v >> 18U) & 63U];
        out += kDigits[(v >> 12U) & 63U];
        out += kDigits[(v >> 6U) & 63U];
        out += kDigits[v & 63U];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16U;
        if (i + 1 < bytes.size()) {
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8U;
        }
        out += kDigits[(v >> 18U) & 63U];
        out += kDigits[(v >> 12U) & 63U];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6U) & 63U] : '=';
        out += '=';
    }
    return out;
}

/// The words of an exception as the console would show them.
std::string ExceptionText(const Json& details) {
    if (const auto exception = details.find("exception"); exception != details.end() && exception->is_object()) {
        const std::string description = exception->value("description", std::string());
        if (!description.empty()) {
            // The first line names the error; the stack below it is the browser's, not the page's fault.
            return description.substr(0, description.find('\n'));
        }
    }
    return details.value("text", std::string("uncaught exception"));
}

std::string ConsoleText(const Json& params) {
    std::string text;
    for (const Json& arg : params.value("args", Json::array())) {
        std::string piece;
        if (const auto value = arg.find("value"); value != arg.end()) {
            piece = value->is_string() ? value->get<std::string>() : value->dump();
        } else {
            piece = arg.value("description", std::string());
        }
        text += (text.empty() ? "" : " ") + piece;
    }
    return text.empty() ? std::string("console error") : text;
}

} // namespace

/// One page's conversation with the browser: calls and their answers, and the events that come between them.
class PageRenderer::Session {
public:
    Session(ChromiumProcess& browser, int& nextId, const RenderOptions& options, const std::string& url,
            std::string_view html, std::string_view contentType)
        : browser_(browser), nextId_(nextId), options_(options), url_(url), html_(html), contentType_(contentType) {}

    RenderOutcome Run() {
        const Clock::time_point started = Clock::now();
        try {
            Show();
        } catch (const std::exception& error) {
            outcome_.ok = false;
            outcome_.error = error.what();
        }
        Dispose();
        outcome_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        return std::move(outcome_);
    }

    bool DisposeFailed() const { return disposeFailed_; }

private:
    void Show() {
        context_ = Call("Target.createBrowserContext", {{"disposeOnDetach", true}}, false)
                       .at("browserContextId")
                       .get<std::string>();
        Call("Browser.setDownloadBehavior", {{"behavior", "deny"}, {"browserContextId", context_}}, false);
        target_ = Call("Target.createTarget", {{"url", "about:blank"}, {"browserContextId", context_}}, false)
                      .at("targetId")
                      .get<std::string>();
        session_ = Call("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}}, false)
                       .at("sessionId")
                       .get<std::string>();
        Call("Fetch.enable", {{"patterns", Json::array({{{"urlPattern", "*"}, {"requestStage", "Request"}}})}});
        Call("Page.enable", Json::object());
        Call("Page.setLifecycleEventsEnabled", {{"enabled", true}});
        Call("Runtime.enable", Json::object());
        if (!options_.userAgent.empty()) {
            Call("Emulation.setUserAgentOverride", {{"userAgent", options_.userAgent}});
        }
        const Clock::time_point deadline = Clock::now() + options_.wait;
        waitUntil_ = deadline;
        const Json navigated = Call("Page.navigate", {{"url", url_}});
        if (const auto failed = navigated.find("errorText"); failed != navigated.end() && failed->is_string()) {
            throw std::runtime_error("the browser could not show the page: " + failed->get<std::string>());
        }
        while (!(loaded_ && idle_) && Clock::now() < deadline) {
            const std::optional<Json> message = Next(deadline);
            if (message) {
                Dispatch(*message);
            }
        }
        outcome_.timedOut = !(loaded_ && idle_);
        waitUntil_.reset();
        if (outcome_.timedOut) {
            // A script that never ends holds the page's thread: it is stopped so that the document can be read.
            Call("Runtime.terminateExecution", Json::object());
        }
        outcome_.html = ReadDocument();
        outcome_.ok = true;
    }

    /// The document as it stands. A page still being parsed may replace the node asked for between the two
    /// calls (a script stopped at the wait limit lets the parser go on): it is asked for again, a few times.
    std::string ReadDocument() {
        constexpr int kTries = 5;
        for (int attempt = 1;; ++attempt) {
            const Json root = Call("DOM.getDocument", {{"depth", 0}});
            try {
                return Call("DOM.getOuterHTML", {{"nodeId", root.at("root").at("nodeId")}})
                    .at("outerHTML")
                    .get<std::string>();
            } catch (const std::runtime_error&) {
                if (attempt == kTries || browser_.Gone()) {
                    throw;
                }
            }
        }
    }

    void Dispose() {
        if (context_.empty() || browser_.Gone()) {
            return;
        }
        try {
            // Its targets go with it.
            Call("Target.disposeBrowserContext", {{"browserContextId", context_}}, false);
        } catch (const std::exception&) {
            // A browser that cannot dispose of a page is restarted by the renderer.
            disposeFailed_ = true;
        }
    }

    std::optional<Json> Next(Clock::time_point deadline) {
        const std::optional<std::string> text = browser_.Receive(deadline);
        if (!text) {
            if (browser_.Gone()) {
                throw std::runtime_error("the browser ended while showing the page");
            }
            return std::nullopt;
        }
        Json message = Json::parse(*text, nullptr, false);
        if (message.is_discarded() || !message.is_object()) {
            return std::nullopt;
        }
        return message;
    }

    Json Call(const std::string& method, Json params, bool onPage = true) {
        const int id = ++nextId_;
        Json message = {{"id", id}, {"method", method}, {"params", std::move(params)}};
        if (onPage) {
            message["sessionId"] = session_;
        }
        if (!browser_.Send(message.dump())) {
            throw std::runtime_error("the browser ended while showing the page");
        }
        // While the page is still given time, a call may take that long; after, a short while more.
        const Clock::time_point deadline = std::max(Clock::now() + kCallWait, waitUntil_.value_or(Clock::now()));
        for (;;) {
            const std::optional<Json> reply = Next(deadline);
            if (!reply) {
                if (Clock::now() >= deadline) {
                    throw std::runtime_error("the browser did not answer " + method + " in time");
                }
                continue;
            }
            if (reply->contains("id") && reply->value("id", 0) == id) {
                if (const auto error = reply->find("error"); error != reply->end()) {
                    throw std::runtime_error(method + ": " + error->value("message", std::string("failed")));
                }
                return reply->value("result", Json::object());
            }
            Dispatch(*reply);
        }
    }

    /// Sends without waiting for the answer: for the replies to events, whose answers say nothing.
    void Tell(const std::string& method, Json params) {
        Json message = {{"id", ++nextId_}, {"method", method}, {"params", std::move(params)}, {"sessionId", session_}};
        browser_.Send(message.dump());
    }

    void Dispatch(const Json& message) {
        const auto method = message.find("method");
        if (method == message.end() || !method->is_string() || message.value("sessionId", std::string()) != session_) {
            return;
        }
        const std::string& name = method->get_ref<const std::string&>();
        const Json params = message.value("params", Json::object());
        if (name == "Fetch.requestPaused") {
            Paused(params);
        } else if (name == "Page.loadEventFired") {
            loaded_ = true;
        } else if (name == "Page.lifecycleEvent") {
            if (params.value("name", std::string()) == kIdleEvent &&
                params.value("frameId", std::string()) == target_) {
                idle_ = true;
            }
        } else if (name == "Page.javascriptDialogOpening") {
            ++outcome_.dialogs;
            Tell("Page.handleJavaScriptDialog", {{"accept", false}});
        } else if (name == "Runtime.exceptionThrown") {
            outcome_.jsErrors.push_back(ExceptionText(params.value("exceptionDetails", Json::object())));
        } else if (name == "Runtime.consoleAPICalled") {
            if (params.value("type", std::string()) == "error") {
                outcome_.jsErrors.push_back(ConsoleText(params));
            }
        }
    }

    void Paused(const Json& params) {
        const std::string id = params.value("requestId", std::string());
        const Json request = params.value("request", Json::object());
        const std::string url = request.value("url", std::string());
        const bool document = params.value("resourceType", std::string()) == "Document" &&
                              params.value("frameId", std::string()) == target_;
        if (document && !answered_) {
            // The page's own bytes, fetched once by the crawl: the browser does not ask the server again.
            answered_ = true;
            Tell("Fetch.fulfillRequest",
                 {{"requestId", id},
                  {"responseCode", 200},
                  {"responseHeaders",
                   Json::array({{{"name", "Content-Type"},
                                 {"value", contentType_.empty() ? std::string("text/html") : contentType_}}})},
                  {"body", Base64(html_)}});
            return;
        }
        if (document) {
            // A script that sends the page elsewhere is noted; the render stays on the page it was given.
            if (!outcome_.jsRedirect) {
                outcome_.jsRedirect = url;
            }
            Tell("Fetch.failRequest", {{"requestId", id}, {"errorReason", "Aborted"}});
            return;
        }
        ++outcome_.requests;
        if (options_.allowResource && !options_.allowResource(url)) {
            ++outcome_.blocked;
            Tell("Fetch.failRequest", {{"requestId", id}, {"errorReason", "BlockedByClient"}});
            return;
        }
        Tell("Fetch.continueRequest", {{"requestId", id}});
    }

    ChromiumProcess& browser_;
    int& nextId_;
    const RenderOptions& options_;
    const std::string& url_;
    std::string_view html_;
    std::string contentType_;
    std::string context_;
    std::string target_;
    std::string session_;
    std::optional<Clock::time_point> waitUntil_;
    bool answered_ = false;
    bool loaded_ = false;
    bool idle_ = false;
    RenderOutcome outcome_;
    bool disposeFailed_ = false;
};

PageRenderer::PageRenderer(RenderOptions options) : options_(std::move(options)) {}

PageRenderer::~PageRenderer() = default;

pid_t PageRenderer::BrowserPid() const {
    return browser_ ? browser_->Pid() : -1;
}

std::string PageRenderer::BrowserProfile() const {
    return browser_ ? browser_->Profile() : std::string();
}

RenderOutcome PageRenderer::Render(const std::string& url, std::string_view html, std::string_view contentType) {
    if (browser_ && (browser_->Gone() || rendered_ >= options_.restartAfter)) {
        browser_.reset();
    }
    if (!browser_) {
        try {
            browser_ = std::make_unique<ChromiumProcess>(options_.chromium);
        } catch (const std::exception& error) {
            RenderOutcome failed;
            failed.error = error.what();
            return failed;
        }
        rendered_ = 0;
    }
    ++rendered_;
    Session session(*browser_, nextId_, options_, url, html, contentType);
    RenderOutcome outcome = session.Run();
    if (!outcome.ok || session.DisposeFailed()) {
        // A browser that failed a page may be in any state: the next page gets a fresh one.
        browser_.reset();
    }
    return outcome;
}

} // namespace vortaxel::render
