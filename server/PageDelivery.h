// PageDelivery.h -- how answers leave: validators and conditional requests, gzip for clients
// that take it, and the headers that tell browsers and proxies how to treat each kind.
#pragma once

#include "HttpServer.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace scores {

// "Thu, 01 Jan 1970 00:00:00 GMT" of Unix seconds, and back (-1 when it is not such a date).
std::string HttpDate(std::int64_t unixSeconds);
std::int64_t ParseHttpDate(std::string_view text);

// Whether the request's Accept-Encoding takes gzip (q=0 refuses it).
bool AcceptsGzip(const HttpRequest& request);
// The gzip stream of `data`; "" when zlib fails.
std::string Gzip(std::string_view data);

// Whether a conditional request (If-None-Match, else If-Modified-Since) already has this
// version of the resource.
bool NotModified(const HttpRequest& request, std::string_view etag, std::int64_t lastModified);

// Headers every answer carries: no sniffing of types, no referrer, and for pages a policy that
// allows nothing but our own images and our own style sheet.
void AddCommonHeaders(HttpResponse& response);

// Answers one request with `response` as a resource with validators: ETag and Last-Modified,
// 304 for a client that has it, gzip where accepted (HTML and text only). `cacheControl` goes
// out as it stands.
void Deliver(const HttpRequest& request, HttpResponse& response, const std::string& etag,
             std::int64_t lastModified, const char* cacheControl);

// A page that changes now and then (the world table): its ETag is a digest of the text, its
// Last-Modified the moment this server first produced that text, its gzip form made once.
class PageVersions {
  public:
    using Clock = std::int64_t (*)();
    explicit PageVersions(Clock unixSeconds);
    // Fills the response from `page` with validators, answering conditional requests.
    void Deliver(const HttpRequest& request, HttpResponse& response, std::string page,
                 const char* cacheControl);

  private:
    struct Version {
        std::string body, gzip, etag;
        std::int64_t since = 0;
    };
    std::shared_ptr<const Version> Current(std::string page);

    Clock clock_;
    std::mutex mutex_;
    std::shared_ptr<const Version> last_;
};

} // namespace scores
