#include "render/page_renderer.h"

#include <algorithm>
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

/// Whether `url` is the icon a browser asks a page's host for of its own accord.
bool IsFavicon(std::string_view page, std::string_view url) {
    constexpr std::string_view kIcon = "/favicon.ico";
    // The page's scheme and host, up to the path that follows them.
    const std::size_t hostStart = page.find("://");
    if (hostStart == std::string_view::npos) {
        return false;
    }
    const std::size_t pathStart = page.find('/', hostStart + 3);
    const std::string_view origin = page.substr(0, pathStart);
    return url.size() == origin.size() + kIcon.size() && url.starts_with(origin) && url.ends_with(kIcon);
}

} // namespace

/// One page's conversation with the browser, moved on by the answers and events the renderer hands it: each
/// call says what follows its answer, so that many pages can be in flight on one pipe.
class PageRenderer::Tab {
public:
    using Then = std::function<void(const Json& result)>;
    using Else = std::function<void(const std::string& error)>;

    Tab(PageRenderer& owner, Ticket ticket, const std::string& url, std::string html, std::string contentType)
        : owner_(owner), ticket_(ticket), url_(url), html_(std::move(html)), contentType_(std::move(contentType)),
          started_(Clock::now()) {}

    bool Done() const { return phase_ == Phase::Done; }

    /// Settles at once, without a browser.
    void Refuse(const std::string& error) {
        outcome_.error = error;
        End();
    }

    void Open() {
        Call("Target.createBrowserContext", {{"disposeOnDetach", true}}, false, [this](const Json& result) {
            context_ = result.at("browserContextId").get<std::string>();
            Call("Browser.setDownloadBehavior", {{"behavior", "deny"}, {"browserContextId", context_}}, false, {});
            Call("Target.createTarget", {{"url", "about:blank"}, {"browserContextId", context_}}, false,
                 [this](const Json& target) {
                     target_ = target.at("targetId").get<std::string>();
                     Call("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}}, false,
                          [this](const Json& attached) {
                              session_ = attached.at("sessionId").get<std::string>();
                              owner_.sessions_[session_] = ticket_;
                              Load();
                          });
                 });
        });
    }

    /// The answer to call `id`, with its error when it failed.
    void Answer(int id, const Json& reply) {
        const auto pending = pending_.find(id);
        if (pending == pending_.end()) {
            return;
        }
        Pending call = std::move(pending->second);
        pending_.erase(pending);
        if (phase_ == Phase::Done) {
            return;
        }
        try {
            if (const auto error = reply.find("error"); error != reply.end()) {
                const std::string text = call.method + ": " + error->value("message", std::string("failed"));
                if (call.orElse) {
                    call.orElse(text);
                } else {
                    Fail(text);
                }
            } else if (call.then) {
                call.then(reply.value("result", Json::object()));
            }
        } catch (const std::exception& error) {
            Fail(call.method + ": " + error.what());
        }
    }

    void Event(const std::string& name, const Json& params) {
        if (phase_ == Phase::Done) {
            return;
        }
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
        Tick(Clock::now());
    }

    /// Reads the page once it has settled or its time is up.
    void Tick(Clock::time_point now) {
        if (phase_ != Phase::Loading) {
            return;
        }
        const bool settled = loaded_ && idle_;
        if (settled || now >= waitUntil_) {
            Read(!settled);
        }
    }

    /// The soonest moment this tab has to be looked at again: its wait limit, or the time an answer is due by.
    std::optional<Clock::time_point> Due() const {
        std::optional<Clock::time_point> due;
        if (phase_ == Phase::Loading) {
            due = waitUntil_;
        }
        for (const auto& [id, call] : pending_) {
            if (!due || call.due < *due) {
                due = call.due;
            }
        }
        return due;
    }

    /// The call whose answer is overdue at `now`, if any: the browser has hung.
    std::optional<std::string> Overdue(Clock::time_point now) const {
        for (const auto& [id, call] : pending_) {
            if (call.due <= now) {
                return call.method;
            }
        }
        return std::nullopt;
    }

    /// Ends the page because the browser failed under it.
    void Abandon(const std::string& error) {
        if (phase_ == Phase::Done) {
            return;
        }
        if (!outcome_.ok) {
            outcome_.error = error;
        }
        pending_.clear();
        End();
    }

    RenderOutcome Take() { return std::move(outcome_); }

private:
    enum class Phase { Opening, Loading, Reading, Disposing, Done };

    struct Pending {
        std::string method;
        Then then;
        Else orElse;
        Clock::time_point due;
    };

    void Load() {
        Call("Fetch.enable", {{"patterns", Json::array({{{"urlPattern", "*"}, {"requestStage", "Request"}}})}});
        Call("Page.enable", Json::object());
        Call("Page.setLifecycleEventsEnabled", {{"enabled", true}});
        Call("Runtime.enable", Json::object());
        if (!owner_.options_.userAgent.empty()) {
            Call("Emulation.setUserAgentOverride", {{"userAgent", owner_.options_.userAgent}});
        }
        waitUntil_ = Clock::now() + owner_.options_.wait;
        phase_ = Phase::Loading;
        Call("Page.navigate", {{"url", url_}}, true, [this](const Json& navigated) {
            if (const auto failed = navigated.find("errorText"); failed != navigated.end() && failed->is_string()) {
                Fail("the browser could not show the page: " + failed->get<std::string>());
            }
        });
    }

    void Read(bool timedOut) {
        phase_ = Phase::Reading;
        outcome_.timedOut = timedOut;
        if (timedOut) {
            // A script that never ends holds the page's thread: it is stopped so that the document can be read.
            Call("Runtime.terminateExecution", Json::object());
        }
        ReadDocument(1);
    }

    /// The document as it stands. A page still being parsed may replace the node asked for between the two
    /// calls (a script stopped at the wait limit lets the parser go on): it is asked for again, a few times.
    void ReadDocument(int attempt) {
        constexpr int kTries = 5;
        Call("DOM.getDocument", {{"depth", 0}}, true, [this, attempt](const Json& root) {
            Call(
                "DOM.getOuterHTML", {{"nodeId", root.at("root").at("nodeId")}}, true,
                [this](const Json& document) {
                    outcome_.html = document.at("outerHTML").get<std::string>();
                    outcome_.ok = true;
                    Dispose();
                },
                [this, attempt](const std::string& error) {
                    if (attempt == kTries) {
                        Fail(error);
                    } else {
                        ReadDocument(attempt + 1);
                    }
                });
        });
    }

    void Fail(const std::string& error) {
        if (phase_ == Phase::Disposing || phase_ == Phase::Done) {
            return;
        }
        outcome_.ok = false;
        outcome_.error = error;
        outcome_.html.clear();
        Dispose();
    }

    void Dispose() {
        phase_ = Phase::Disposing;
        if (context_.empty()) {
            End();
            return;
        }
        // Its targets go with it.
        Call(
            "Target.disposeBrowserContext", {{"browserContextId", context_}}, false, [this](const Json&) { End(); },
            [this](const std::string&) {
                // A browser that cannot dispose of a page is started afresh once its other pages are done.
                owner_.restart_ = true;
                End();
            });
    }

    void End() {
        phase_ = Phase::Done;
        if (!session_.empty()) {
            owner_.sessions_.erase(session_);
        }
        for (const auto& [id, call] : pending_) {
            owner_.calls_.erase(id);
        }
        pending_.clear();
        outcome_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
    }

    void Call(const std::string& method, Json params, bool onPage = true, Then then = {}, Else orElse = {}) {
        const int id = ++owner_.nextId_;
        Json message = {{"id", id}, {"method", method}, {"params", std::move(params)}};
        if (onPage) {
            message["sessionId"] = session_;
        }
        // A browser that has gone is seen by the renderer, which ends every page it held.
        owner_.browser_->Send(message.dump());
        // While the page is still given time, a call may take that long; after, a short while more.
        Clock::time_point due = Clock::now() + kCallWait;
        if (phase_ == Phase::Loading && waitUntil_ > due) {
            due = waitUntil_;
        }
        pending_[id] = Pending{method, std::move(then), std::move(orElse), due};
        owner_.calls_[id] = ticket_;
    }

    /// Sends without waiting for the answer: for the replies to events, whose answers say nothing.
    void Tell(const std::string& method, Json params) {
        Json message = {
            {"id", ++owner_.nextId_}, {"method", method}, {"params", std::move(params)}, {"sessionId", session_}};
        owner_.browser_->Send(message.dump());
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
            // Handed over: the bytes are the browser's now.
            std::string().swap(html_);
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
        if (IsFavicon(url_, url)) {
            // The browser's own want, never the page's: answered here, so that it costs no request and does not
            // hold up the quiet the page is waited for.
            Tell("Fetch.fulfillRequest", {{"requestId", id}, {"responseCode", 404}, {"body", ""}});
            return;
        }
        ++outcome_.requests;
        if (owner_.options_.allowResource && !owner_.options_.allowResource(url_, url)) {
            ++outcome_.blocked;
            Tell("Fetch.failRequest", {{"requestId", id}, {"errorReason", "BlockedByClient"}});
            return;
        }
        Tell("Fetch.continueRequest", {{"requestId", id}});
    }

    PageRenderer& owner_;
    Ticket ticket_;
    std::string url_;
    std::string html_;
    std::string contentType_;
    Clock::time_point started_;
    Phase phase_ = Phase::Opening;
    std::string context_;
    std::string target_;
    std::string session_;
    Clock::time_point waitUntil_;
    std::map<int, Pending> pending_;
    bool answered_ = false;
    bool loaded_ = false;
    bool idle_ = false;
    RenderOutcome outcome_;
};

PageRenderer::PageRenderer(RenderOptions options) : options_(std::move(options)) {}

PageRenderer::~PageRenderer() = default;

pid_t PageRenderer::BrowserPid() const {
    return browser_ ? browser_->Pid() : -1;
}

std::string PageRenderer::BrowserProfile() const {
    return browser_ ? browser_->Profile() : std::string();
}

std::size_t PageRenderer::InFlight() const {
    return static_cast<std::size_t>(
        std::count_if(tabs_.begin(), tabs_.end(), [](const auto& tab) { return !tab.second->Done(); }));
}

PageRenderer::Ticket PageRenderer::Start(const std::string& url, std::string html, std::string contentType) {
    if (browser_ && (browser_->Gone() || restart_ || rendered_ >= options_.restartAfter)) {
        // What the browser keeps goes with it; the pages it shows are let finish first.
        while (InFlight() > 0) {
            Pump();
        }
        browser_.reset();
    }
    const Ticket ticket = ++nextTicket_;
    auto tab = std::make_unique<Tab>(*this, ticket, url, std::move(html), std::move(contentType));
    Tab& started = *tab;
    tabs_.emplace(ticket, std::move(tab));
    if (!browser_) {
        restart_ = false;
        rendered_ = 0;
        try {
            browser_ = std::make_unique<ChromiumProcess>(options_.chromium);
        } catch (const std::exception& error) {
            started.Refuse(error.what());
            return ticket;
        }
    }
    ++rendered_;
    started.Open();
    return ticket;
}

RenderOutcome PageRenderer::Finish(Ticket ticket) {
    const auto found = tabs_.find(ticket);
    if (found == tabs_.end()) {
        RenderOutcome none;
        none.error = "no such page";
        return none;
    }
    while (!found->second->Done()) {
        Pump();
    }
    RenderOutcome outcome = found->second->Take();
    tabs_.erase(found);
    return outcome;
}

void PageRenderer::BrowserFailed(const std::string& error) {
    for (auto& [ticket, tab] : tabs_) {
        tab->Abandon(error);
    }
    calls_.clear();
    sessions_.clear();
    browser_.reset();
}

void PageRenderer::Pump() {
    if (!browser_) {
        BrowserFailed("the browser ended while showing the page");
        return;
    }
    std::optional<Clock::time_point> due;
    for (const auto& [ticket, tab] : tabs_) {
        const std::optional<Clock::time_point> its = tab->Due();
        if (its && (!due || *its < *due)) {
            due = its;
        }
    }
    if (!due) {
        return;
    }
    if (const std::optional<std::string> text = browser_->Receive(*due)) {
        const Json message = Json::parse(*text, nullptr, false);
        if (message.is_object()) {
            if (const auto id = message.find("id"); id != message.end() && id->is_number_integer()) {
                if (const auto call = calls_.find(id->get<int>()); call != calls_.end()) {
                    const Ticket ticket = call->second;
                    calls_.erase(call);
                    tabs_.at(ticket)->Answer(id->get<int>(), message);
                }
            } else if (const auto method = message.find("method"); method != message.end() && method->is_string()) {
                const auto session = sessions_.find(message.value("sessionId", std::string()));
                if (session != sessions_.end()) {
                    tabs_.at(session->second)
                        ->Event(method->get<std::string>(), message.value("params", Json::object()));
                }
            }
        }
    }
    if (browser_->Gone()) {
        BrowserFailed("the browser ended while showing the page");
        return;
    }
    const Clock::time_point now = Clock::now();
    for (const auto& [ticket, tab] : tabs_) {
        if (const std::optional<std::string> method = tab->Overdue(now)) {
            BrowserFailed("the browser did not answer " + *method + " in time");
            return;
        }
    }
    for (const auto& [ticket, tab] : tabs_) {
        tab->Tick(now);
    }
}

} // namespace vortaxel::render
