#include "net/transfer.h"

#include "crawl/ascii.h"
#include "net/wire_url.h"

#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace vortaxel::net {

namespace {

// Real responses carry a few KiB of headers; a flood of header lines would otherwise grow without end,
// since the body cap does not cover them.
constexpr std::size_t kMaxHeaderBytes = std::size_t{256} * 1024;

template <typename Value> void SetOption(CURL* handle, CURLoption option, Value value) {
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl refused a fetch setting: ") + curl_easy_strerror(code));
    }
}

} // namespace

Transfer::Transfer(const FetchOptions& options, const std::atomic<bool>& abortFlag)
    : htmlOnly_(options.htmlOnly), probeFirst_(options.probeFirst), maxBodyBytes_(options.maxBodyBytes),
      abortFlag_(abortFlag) {
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
    // Stops at once on an error status instead of downloading an error page nobody reads.
    SetOption(handle, CURLOPT_FAILONERROR, 1L);
    // A declared length over the cap fails before any body byte arrives; OnBody covers undeclared lengths.
    SetOption(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBodyBytes));
    SetOption(handle, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    SetOption(handle, CURLOPT_WRITEDATA, this);
    SetOption(handle, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    SetOption(handle, CURLOPT_HEADERDATA, this);
    SetOption(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    SetOption(handle, CURLOPT_XFERINFODATA, this);
    SetOption(handle, CURLOPT_NOPROGRESS, 0L);
}

std::optional<crawl::FetchResult> Transfer::Prepare(const std::string& url) {
    if (!HasFetchableScheme(url)) {
        return crawl::FetchResult::Failure("not fetched: only http and https addresses are");
    }
    body_.clear();
    headerBytes_ = 0;
    bodyTooLarge_ = false;
    headersEnded_ = false;
    declaredLength_.clear();
    lengthsConflict_ = false;
    retried_ = false;
    bodySkipped_ = false;
    replyStatus_ = 0;
    replyType_.clear();
    probing_ = htmlOnly_ && probeFirst_ && probeFirst_(url);
    errorBuffer_[0] = '\0';
    if (curl_easy_setopt(easy_.get(), CURLOPT_FRESH_CONNECT, 0L) != CURLE_OK ||
        curl_easy_setopt(easy_.get(), probing_ ? CURLOPT_NOBODY : CURLOPT_HTTPGET, 1L) != CURLE_OK) {
        return crawl::FetchResult::Failure("the request could not be set up");
    }
    const std::string wire = EncodeForWire(url);
    if (curl_easy_setopt(easy_.get(), CURLOPT_URL, wire.c_str()) != CURLE_OK) {
        return crawl::FetchResult::Failure("the address could not be taken");
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

bool Transfer::IsHtmlReply() const {
    std::string_view type(replyType_);
    type = type.substr(0, type.find(';'));
    while (!type.empty() && (type.front() == ' ' || type.front() == '\t')) {
        type.remove_prefix(1);
    }
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t' || type.back() == '\r' || type.back() == '\n')) {
        type.remove_suffix(1);
    }
    return crawl::EqualsIgnoreCase(type, "text/html") || crawl::EqualsIgnoreCase(type, "application/xhtml+xml");
}

bool Transfer::ContinueAfterProbe(CURLcode code) {
    if (!probing_ || code != CURLE_OK || replyStatus_ < 200 || replyStatus_ >= 300 || !IsHtmlReply()) {
        return false;
    }
    probing_ = false;
    body_.clear();
    headerBytes_ = 0;
    headersEnded_ = false;
    declaredLength_.clear();
    replyType_.clear();
    errorBuffer_[0] = '\0';
    return curl_easy_setopt(easy_.get(), CURLOPT_HTTPGET, 1L) == CURLE_OK;
}

crawl::FetchResult Transfer::Finish(CURLcode code) {
    crawl::FetchResult result = Verdict(code);
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &result.status);
    char* finalUrl = nullptr;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl != nullptr) {
        result.finalUrl = finalUrl;
    }
    result.contentType = replyType_;
    return result;
}

crawl::FetchResult Transfer::Verdict(CURLcode code) {
    std::string body = std::move(body_);
    body_.clear();
    long status = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);

    if (code == CURLE_ABORTED_BY_CALLBACK && abortFlag_.load()) {
        return crawl::FetchResult::Failure("fetch aborted");
    }
    if (bodyTooLarge_ || code == CURLE_FILESIZE_EXCEEDED) {
        return crawl::FetchResult::Failure("page larger than " + std::to_string(maxBodyBytes_) + " bytes");
    }
    if (lengthsConflict_) {
        return crawl::FetchResult::Failure("the reply declares conflicting lengths");
    }
    if (headerBytes_ > kMaxHeaderBytes) {
        return crawl::FetchResult::Failure("response headers larger than " + std::to_string(kMaxHeaderBytes) +
                                           " bytes");
    }
    if (bodySkipped_ || (probing_ && code == CURLE_OK)) {
        // Not a page: only its headers were read, or its HEAD said it is no HTML.
        crawl::FetchResult skipped = crawl::FetchResult::Success({});
        skipped.bodySkipped = true;
        return skipped;
    }
    if (code == CURLE_HTTP_RETURNED_ERROR || (code == CURLE_OK && status >= 400)) {
        return crawl::FetchResult::Failure("HTTP status " + std::to_string(status));
    }
    if (code == CURLE_OK && !headersEnded_) {
        // libcurl takes a connection closed in the middle of the headers for the end of the reply.
        return crawl::FetchResult::Failure("the reply ended inside its headers");
    }
    if (code != CURLE_OK) {
        return crawl::FetchResult::Failure(errorBuffer_[0] != '\0' ? std::string(errorBuffer_)
                                                                   : std::string(curl_easy_strerror(code)));
    }
    return crawl::FetchResult::Success(std::move(body));
}

std::size_t Transfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t bytes = size * count;
    if (bytes > transfer.maxBodyBytes_ - transfer.body_.size()) {
        transfer.bodyTooLarge_ = true;
        return 0;
    }
    transfer.body_.append(data, bytes);
    return bytes;
}

std::size_t Transfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::size_t bytes = size * count;
    // Each response of a redirect chain opens with a status line and ends with an empty line.
    const std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {
        transfer.headersEnded_ = false;
        transfer.declaredLength_.clear();
        transfer.replyType_.clear();
        const std::size_t space = line.find(' ');
        transfer.replyStatus_ = space == std::string_view::npos ? 0 : std::atol(line.data() + space + 1);
    } else if (line == "\r\n" || line == "\n") {
        transfer.headersEnded_ = true;
        const bool final = transfer.replyStatus_ >= 200 && transfer.replyStatus_ < 300;
        if (transfer.htmlOnly_ && !transfer.probing_ && final && !transfer.IsHtmlReply()) {
            // The body is not wanted: ending the transfer here saves downloading it.
            transfer.bodySkipped_ = true;
            return 0;
        }
    } else if (crawl::StartsWithIgnoreCase(line, "content-type:")) {
        std::string_view type = line.substr(13);
        const std::size_t first = type.find_first_not_of(" \t");
        type = first == std::string_view::npos ? std::string_view() : type.substr(first);
        transfer.replyType_ = type.substr(0, type.find_last_not_of(" \t\r\n") + 1);
    } else if (!transfer.NoteContentLength(line)) {
        // Two lengths make the body's end a guess; libcurl would take one of them and pass the rest off as
        // the page.
        transfer.lengthsConflict_ = true;
        return 0;
    }
    transfer.headerBytes_ += bytes;
    if (transfer.headerBytes_ > kMaxHeaderBytes) {
        return 0;
    }
    return bytes;
}

bool Transfer::NoteContentLength(std::string_view line) {
    constexpr std::string_view kName = "content-length:";
    if (!crawl::StartsWithIgnoreCase(line, kName)) {
        return true;
    }
    // Every value, whether on lines of their own or in one comma-separated list, must be the same.
    std::string_view values = line.substr(kName.size());
    while (!values.empty()) {
        const std::size_t comma = values.find(',');
        std::string_view value = values.substr(0, comma);
        values = comma == std::string_view::npos ? std::string_view() : values.substr(comma + 1);
        const std::size_t first = value.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos) {
            continue;
        }
        value = value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
        if (declaredLength_.empty()) {
            declaredLength_ = value;
        } else if (declaredLength_ != value) {
            return false;
        }
    }
    return true;
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(self)->abortFlag_.load() ? 1 : 0;
}

} // namespace vortaxel::net
