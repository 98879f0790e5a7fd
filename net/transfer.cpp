#include "net/transfer.h"

#include "net/idn_host.h"
#include "net/reply_rules.h"
#include "net/wire_url.h"
#include "web/address_login.h"
#include "web/ascii.h"
#include "web/html_type.h"
#include "web/request_identity.h"
#include "web/url_parts.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <string_view>

namespace vortaxel::net {

namespace {

// Real responses carry a few KiB of headers; a flood of header lines would otherwise grow without end,
// since the body cap does not cover them.
constexpr std::size_t kMaxHeaderBytes = std::size_t{256} * 1024;
// A reason phrase is a few words; more is not worth showing anyone.
constexpr std::size_t kMaxReasonBytes = 64;
// Where the system keeps its trust store when libcurl cannot say.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";

template <typename Value> void SetOption(CURL* handle, CURLoption option, Value value) {
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl refused a fetch setting: ") + curl_easy_strerror(code));
    }
}

void Append(Slist& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
        throw std::runtime_error("libcurl could not take a request header");
    }
    static_cast<void>(list.release());
    list.reset(grown);
}

/// The value of a "Name: value" header line when its name is `name`.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':' || !web::StartsWithIgnoreCase(line, name)) {
        return std::nullopt;
    }
    return web::TrimBlanks(line.substr(name.size() + 1));
}

// "HTTP/1.1 404 Not Found": the status and the reason, printable bytes only.
void ParseStatusLine(std::string_view line, long& status, std::string& reason) {
    status = 0;
    reason.clear();
    const auto space = line.find(' ');
    if (space == std::string_view::npos) {
        return;
    }
    std::size_t i = space + 1;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && status < 1000; ++i) {
        status = status * 10 + (line[i] - '0');
    }
    for (const char c : web::TrimBlanks(line.substr(i))) {
        if (reason.size() < kMaxReasonBytes && c >= 0x20 && c < 0x7F) {
            reason += c;
        }
    }
}

} // namespace

Transfer::Transfer(const FetchOptions& options, const std::atomic<bool>& abortFlag)
    : maxBodyBytes_(options.maxBodyBytes), wholeBodyBytes_(options.wholeBodyBytes),
      redirectsOneByOne_(options.redirectsOneByOne), timeout_(options.timeout), maxRetryAfter_(options.maxRetryAfter),
      htmlOnly_(options.htmlOnly), login_(options.login), httpLogin_(options.httpLogin),
      startOrigin_(options.cookieOrigin), abortFlag_(abortFlag) {
    CURL* handle = easy_.get();
    SetOption(handle, CURLOPT_NOSIGNAL, 1L);
    SetOption(handle, CURLOPT_ERRORBUFFER, errorBuffer_);
    // Anything but the web, a start address of file:///etc/passwd or a redirect to it above all, is never read.
    SetOption(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    SetOption(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    SetOption(handle, CURLOPT_FOLLOWLOCATION, 1L);
    SetOption(handle, CURLOPT_MAXREDIRS, options.maxRedirects);
    SetOption(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeout.count()));
    SetOption(handle, CURLOPT_USERAGENT, options.userAgent.c_str());
    // An empty list offers every encoding this libcurl can decode.
    SetOption(handle, CURLOPT_ACCEPT_ENCODING, "");
    SetOption(handle, CURLOPT_HTTP09_ALLOWED, 0L);
    // A declared length over the cap fails before any body byte arrives; OnBody covers undeclared lengths.
    SetOption(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBodyBytes));
    SetOption(handle, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    SetOption(handle, CURLOPT_WRITEDATA, this);
    SetOption(handle, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    SetOption(handle, CURLOPT_HEADERDATA, this);
    SetOption(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    SetOption(handle, CURLOPT_XFERINFODATA, this);
    SetOption(handle, CURLOPT_NOPROGRESS, 0L);
    SetOption(handle, CURLOPT_PREREQFUNCTION, &Transfer::OnRequestReady);
    SetOption(handle, CURLOPT_PREREQDATA, this);
    if (!options.caFile.empty()) {
        // CAINFO replaces the built-in bundle; the system's certificate folder, searched as well, keeps the
        // public roots trusted beside the extra ones.
        char* systemPath = nullptr;
        curl_easy_getinfo(handle, CURLINFO_CAPATH, &systemPath);
        SetOption(handle, CURLOPT_CAINFO, options.caFile.c_str());
        SetOption(handle, CURLOPT_CAPATH, systemPath != nullptr ? systemPath : kSystemCaPath);
    }
    for (const std::string& entry : options.resolve) {
        curl_slist* grown = curl_slist_append(resolve_.get(), entry.c_str());
        if (grown == nullptr) {
            throw std::runtime_error("libcurl could not take a fixed name lookup");
        }
        static_cast<void>(resolve_.release());
        resolve_.reset(grown);
    }
    if (resolve_) {
        SetOption(handle, CURLOPT_RESOLVE, resolve_.get());
    }
    if (httpLogin_) {
        // Basic alone would go out unasked, and Digest alone could not answer a Basic site. Offered both,
        // libcurl asks without the login once per handle, learns the scheme from the 401 and keeps to it,
        // so a crawl pays one request per transfer for it, not one per page.
        SetOption(handle, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    }
    for (const std::string& line : options.headers) {
        if (!web::IsCredentialHeader(line)) {
            Append(headersElsewhere_, line);
        }
        Append(headersAtStart_, line);
        sendsHeaders_ = true;
    }
    if (!options.cookies.empty()) {
        // A header of their own rather than CURLOPT_COOKIE: libcurl drops this one on a redirect it follows
        // to another origin, and would send that one on.
        std::string cookies = "Cookie: ";
        for (const std::string& cookie : options.cookies) {
            cookies.append(&cookie == &options.cookies.front() ? "" : "; ").append(cookie);
        }
        Append(headersAtStart_, cookies);
        sendsHeaders_ = true;
    }
}

std::optional<web::FetchResult> Transfer::Prepare(const std::string& url, Method method) {
    if (!web::HasWebScheme(url)) {
        return web::FetchResult::Failure("not fetched: only http and https addresses are");
    }
    const std::optional<std::string> ascii = WithAsciiHost(url);
    if (!ascii) {
        return web::FetchResult::Failure("not fetched: the host is no valid international name");
    }
    method_ = method;
    asked_ = url;
    sentAt_.reset();
    hops_.Clear();
    body_.clear();
    headerBytes_ = 0;
    bodyTooLarge_ = false;
    bodyCut_ = false;
    paused_ = false;
    wasPaused_ = false;
    headersEnded_ = false;
    declaredLength_.clear();
    lengthsConflict_ = false;
    retried_ = false;
    abortSeen_ = false;
    cutShort_ = false;
    stoppedAtHeaders_ = false;
    status_ = 0;
    reason_.clear();
    contentType_.clear();
    retryAfter_.reset();
    errorBuffer_[0] = '\0';
    const bool whole = method == Method::GetWhole;
    // A file fetched whole is cut where its limit is, not refused for what its length header declares.
    const auto sizeLimit = static_cast<curl_off_t>(whole ? 0 : maxBodyBytes_);
    if (curl_easy_setopt(easy_.get(), CURLOPT_FRESH_CONNECT, 0L) != CURLE_OK ||
        curl_easy_setopt(easy_.get(), CURLOPT_NOBODY, method == Method::Head ? 1L : 0L) != CURLE_OK ||
        curl_easy_setopt(easy_.get(), CURLOPT_MAXFILESIZE_LARGE, sizeLimit) != CURLE_OK ||
        curl_easy_setopt(easy_.get(), CURLOPT_FOLLOWLOCATION, whole || !redirectsOneByOne_ ? 1L : 0L) != CURLE_OK) {
        return web::FetchResult::Failure("the request could not be set up");
    }
    if (method != Method::Head) {
        // NOBODY leaves HEAD behind as the method; only this puts GET back.
        curl_easy_setopt(easy_.get(), CURLOPT_HTTPGET, 1L);
    }
    const std::string origin = web::OriginOf(url);
    if (sendsHeaders_) {
        curl_slist* headers =
            !startOrigin_.empty() && origin == startOrigin_ ? headersAtStart_.get() : headersElsewhere_.get();
        if (curl_easy_setopt(easy_.get(), CURLOPT_HTTPHEADER, headers) != CURLE_OK) {
            return web::FetchResult::Failure("the request could not be set up");
        }
    }
    offersLogin_ = httpLogin_ && origin == httpLogin_->origin;
    unauthorizedAnswers_ = 0;
    awaitingLoginRetry_ = false;
    loginRetries_ = 0;
    if (httpLogin_ && (curl_easy_setopt(easy_.get(), CURLOPT_USERNAME,
                                        offersLogin_ ? httpLogin_->user.c_str() : nullptr) != CURLE_OK ||
                       curl_easy_setopt(easy_.get(), CURLOPT_PASSWORD,
                                        offersLogin_ ? httpLogin_->password.c_str() : nullptr) != CURLE_OK)) {
        return web::FetchResult::Failure("the request could not be set up");
    }
    loggedIn_ = login_ && origin == login_->origin;
    const std::string wire = loggedIn_ ? web::WithUserinfo(EncodeForWire(*ascii), login_->userinfo)
                                       : web::WithoutHiddenPassword(EncodeForWire(*ascii));
    if (curl_easy_setopt(easy_.get(), CURLOPT_URL, wire.c_str()) != CURLE_OK) {
        return web::FetchResult::Failure("the address could not be taken");
    }
    return std::nullopt;
}

bool Transfer::RetryOnFreshConnection(CURLcode code) {
    if (retried_ || abortFlag_.load() || headerBytes_ != 0 ||
        (code != CURLE_RECV_ERROR && code != CURLE_SEND_ERROR && code != CURLE_GOT_NOTHING)) {
        return false;
    }
    long newConnections = 0;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_NUM_CONNECTS, &newConnections) != CURLE_OK || newConnections != 0) {
        return false;
    }
    if (curl_easy_setopt(easy_.get(), CURLOPT_FRESH_CONNECT, 1L) != CURLE_OK) {
        return false;
    }
    retried_ = true;
    errorBuffer_[0] = '\0';
    return true;
}

web::FetchResult Transfer::Finish(CURLcode code) {
    web::FetchResult result = web::FetchResult::Failure({});
    CURL* handle = easy_.get();
    result.status = status_;
    result.contentType = contentType_;
    char* finalUrl = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl != nullptr) {
        result.finalUrl = loggedIn_ ? web::RedactPasswords(finalUrl) : std::string(finalUrl);
    }
    curl_easy_getinfo(handle, CURLINFO_REDIRECT_COUNT, &result.redirects);
    result.redirects = std::max(0L, result.redirects - loginRetries_);
    hops_.Fill(asked_, result);
    curl_off_t micros = 0;
    if (curl_easy_getinfo(handle, CURLINFO_TOTAL_TIME_T, &micros) == CURLE_OK) {
        result.elapsed = std::chrono::milliseconds(micros / 1000);
    }
    std::string body = std::move(body_);
    body_.clear();

    if (bodyCut_) {
        // A file fetched whole stopped at its limit on purpose: what was read is the outcome.
        code = CURLE_OK;
    }
    cutShort_ = code == CURLE_ABORTED_BY_CALLBACK && (abortSeen_ || abortFlag_.load());
    if (cutShort_) {
        result.error = "fetch aborted";
    } else if (bodyTooLarge_ || code == CURLE_FILESIZE_EXCEEDED) {
        result.error = "page larger than " + std::to_string(maxBodyBytes_) + " bytes";
    } else if (lengthsConflict_) {
        result.error = "the reply declares conflicting lengths";
    } else if (headerBytes_ > kMaxHeaderBytes) {
        result.error = "response headers larger than " + std::to_string(kMaxHeaderBytes) + " bytes";
    } else if (const char* target = nullptr;
               code == CURLE_OK && redirectsOneByOne_ && status_ >= 300 && status_ < 400 &&
               curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &target) == CURLE_OK && target != nullptr) {
        result.error = "redirected to " + std::string(target);
        result.redirectTo = target;
    } else if (status_ >= 400 && (code == CURLE_OK || stoppedAtHeaders_)) {
        result.error = StatusFailure(status_, reason_);
    } else if (stoppedAtHeaders_ || (code == CURLE_OK && method_ == Method::Head && headersEnded_)) {
        result.ok = true;
        result.bodySkipped = true;
    } else if (code == CURLE_OK && !headersEnded_) {
        // libcurl takes a connection closed in the middle of the headers for the end of the reply.
        result.error = "the reply ended inside its headers";
    } else if (code == CURLE_OPERATION_TIMEDOUT) {
        result.error = TimeoutFailure(timeout_);
    } else if (code != CURLE_OK) {
        result.error = errorBuffer_[0] != '\0' ? std::string(errorBuffer_) : std::string(curl_easy_strerror(code));
    } else {
        result.ok = true;
        result.bytes = body.size();
        result.body = std::move(body);
    }
    return result;
}

std::size_t Transfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t bytes = size * count;
    const std::size_t room = transfer.BodyLimit() - transfer.body_.size();
    if (bytes > room) {
        if (transfer.method_ == Method::GetWhole) {
            transfer.body_.append(data, room);
            transfer.bodyCut_ = true;
        } else {
            transfer.bodyTooLarge_ = true;
        }
        return 0;
    }
    if (transfer.bodyGate_ && !transfer.bodyGate_(bytes)) {
        transfer.paused_ = transfer.wasPaused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer.body_.append(data, bytes);
    return bytes;
}

int Transfer::OnRequestReady(void* self, char* /*remoteIp*/, char* /*localIp*/, int /*remotePort*/, int /*localPort*/) {
    static_cast<Transfer*>(self)->sentAt_ = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

void Transfer::Resume() {
    paused_ = false;
    // May hand the piece held back to OnBody at once, which may pause again.
    curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
}

std::size_t Transfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t bytes = size * count;
    if (!transfer.NoteHeader(std::string_view(data, bytes))) {
        return 0;
    }
    transfer.headerBytes_ += bytes;
    if (transfer.headerBytes_ > kMaxHeaderBytes) {
        return 0;
    }
    return bytes;
}

bool Transfer::NoteHeader(std::string_view line) {
    // Each response of a redirect chain opens with a status line and ends with an empty line.
    if (line.starts_with("HTTP/")) {
        if (std::exchange(awaitingLoginRetry_, false)) {
            ++loginRetries_;
        }
        headersEnded_ = false;
        declaredLength_.clear();
        contentType_.clear();
        retryAfter_.reset();
        ParseStatusLine(line, status_, reason_);
        hops_.NewAnswer();
        return true;
    }
    if (line == "\r\n" || line == "\n") {
        headersEnded_ = true;
        hops_.AnswerEnded(status_);
        if (status_ == 401 && offersLogin_ && ++unauthorizedAnswers_ == 1) {
            awaitingLoginRetry_ = true;
            return true;
        }
        // Reading a body nobody uses costs the whole transfer; leaving it ends the connection instead.
        stoppedAtHeaders_ = BodyUnwanted();
        return !stoppedAtHeaders_;
    }
    hops_.NoteHeader(line);
    if (const auto type = HeaderValue(line, "content-type")) {
        contentType_ = *type;
    } else if (const auto wait = HeaderValue(line, "retry-after")) {
        retryAfter_ = ParseRetryAfter(*wait, std::time(nullptr), maxRetryAfter_);
    }
    // Two lengths make the body's end a guess; libcurl would take one of them and pass the rest off as the page.
    if (!NoteContentLength(line)) {
        lengthsConflict_ = true;
        return false;
    }
    return true;
}

bool Transfer::BodyUnwanted() const {
    if (method_ == Method::Head) {
        return false;
    }
    if (status_ >= 400) {
        return true;
    }
    // A reply without a type may still be HTML, which its reader tells by its first bytes.
    return htmlOnly_ && method_ == Method::Get && status_ >= 200 && status_ < 300 && !contentType_.empty() &&
           !web::IsHtmlType(contentType_);
}

bool Transfer::NoteContentLength(std::string_view line) {
    const auto declared = HeaderValue(line, "content-length");
    if (!declared) {
        return true;
    }
    // Every value, whether on lines of their own or in one comma-separated list, must be the same.
    std::string_view values = *declared;
    while (!values.empty()) {
        const std::size_t comma = values.find(',');
        const std::string_view value = web::TrimBlanks(values.substr(0, comma));
        values = comma == std::string_view::npos ? std::string_view() : values.substr(comma + 1);
        if (value.empty()) {
            continue;
        }
        if (declaredLength_.empty()) {
            declaredLength_ = value;
        } else if (declaredLength_ != value) {
            return false;
        }
    }
    return true;
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(self);
    if (transfer.abortFlag_.load()) {
        transfer.abortSeen_ = true;
        return 1;
    }
    return 0;
}

} // namespace vortaxel::net
