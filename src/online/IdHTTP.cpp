// IdHTTP.cpp -- GET requests through libcurl.
#include "online/IdHTTP.h"

#include <curl/curl.h>

namespace {

// Replies of the score server are a line or a page; more than this is not a reply of ours.
constexpr size_t kMaxBody = 1 << 20;

size_t Append(char* data, size_t size, size_t count, void* out) {
    auto* body = static_cast<std::string*>(out);
    size_t n = size * count;
    if (body->size() + n > kMaxBody) return 0; // aborts the transfer
    body->append(data, n);
    return n;
}

// At the first request, not at start-up: setting up the TLS libraries costs a couple of
// megabytes that a game nobody sends a score from never needs.
void GlobalInit() {
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

} // namespace

TIdHTTP::TIdHTTP() = default;

TIdHTTP::~TIdHTTP() {
    if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
}

std::string TIdHTTP::Get(const std::string& url) {
    if (!curl_) {
        GlobalInit();
        curl_ = curl_easy_init();
        if (!curl_) throw EIdHTTPError("HTTP client could not be created");
        // Once per handle: the cookie engine keeps its cookies between the two requests.
        if (AllowCookies) curl_easy_setopt(static_cast<CURL*>(curl_), CURLOPT_COOKIEFILE, "");
    }
    CURL* c = static_cast<CURL*>(curl_);
    std::string body;
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, ("Accept: " + Accept).c_str());
    headers = curl_slist_append(headers, ("Content-Type: " + ContentType).c_str());
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_USERAGENT, UserAgent.c_str());
    curl_easy_setopt(c, CURLOPT_PROXY, ""); // no proxy, whatever the environment says
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, TimeoutMs);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    CURLcode rc = curl_easy_perform(c);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    if (rc != CURLE_OK) throw EIdHTTPError(curl_easy_strerror(rc));
    if (status >= 400) throw EIdHTTPError("HTTP status " + std::to_string(status));
    return body;
}
