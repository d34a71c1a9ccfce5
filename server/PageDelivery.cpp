// PageDelivery.cpp -- validators, conditional requests, compression and response headers.
#include "PageDelivery.h"

#include "NetAddress.h"
#include "ScorePages.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <ctime>
#include <strings.h>

namespace scores {

namespace {

constexpr std::size_t kSmallestToCompress = 256;

// Calls `each` with every comma-separated item of a header, trimmed.
template <typename Each> void ForEachItem(std::string_view list, Each each) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string_view item = Trim(list.substr(0, comma));
        if (!item.empty()) each(item);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
}

bool Compressible(const HttpResponse& response) {
    return response.body.size() >= kSmallestToCompress &&
           (response.contentType.rfind("text/html", 0) == 0 ||
            response.contentType.rfind("text/plain", 0) == 0);
}

// The ETag of the gzip form: another representation, so another tag.
std::string GzipTag(const std::string& etag) {
    if (etag.size() < 2 || etag.back() != '"') return etag;
    return etag.substr(0, etag.size() - 1) + "-gz\"";
}

std::string Digest(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr)) return "";
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned int i = 0; i < 12 && i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out + "\"";
}

std::string Base64Sha256(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr)) return "";
    unsigned char out[4 * ((EVP_MAX_MD_SIZE + 2) / 3) + 1];
    const int written = EVP_EncodeBlock(out, digest, static_cast<int>(length));
    return std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(written));
}

void Send(const HttpRequest& request, HttpResponse& response, const std::string& etag,
          std::int64_t lastModified, const char* cacheControl, const std::string* gzipped) {
    const bool compressible = Compressible(response);
    if (compressible) response.headers.emplace_back("Vary", "Accept-Encoding");
    response.headers.emplace_back("Cache-Control", cacheControl);
    if (lastModified > 0) response.headers.emplace_back("Last-Modified", HttpDate(lastModified));
    std::string gzip;
    const bool zipped = compressible && AcceptsGzip(request) &&
                        !(gzipped ? *gzipped : (gzip = Gzip(response.body))).empty();
    if (!etag.empty()) response.headers.emplace_back("ETag", zipped ? GzipTag(etag) : etag);
    if (NotModified(request, etag, lastModified)) {
        response.status = 304;
        response.body.clear();
        return;
    }
    if (zipped) {
        response.headers.emplace_back("Content-Encoding", "gzip");
        response.body = gzipped ? *gzipped : std::move(gzip);
    }
}

} // namespace

std::string HttpDate(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (!gmtime_r(&t, &tm)) return "";
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char out[40];
    std::snprintf(out, sizeof out, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday],
                  tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                  tm.tm_sec);
    return out;
}

std::int64_t ParseHttpDate(std::string_view text) {
    text = Trim(text);
    if (text.size() != 29) return -1;
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::string copy(text);
    char day[4], month[4], zone[4];
    int mday, year, hour, minute, second;
    if (std::sscanf(copy.c_str(), "%3s, %2d %3s %4d %2d:%2d:%2d %3s", day, &mday, month, &year,
                    &hour, &minute, &second, zone) != 8 ||
        std::string_view(zone) != "GMT")
        return -1;
    std::tm tm{};
    tm.tm_mon = -1;
    for (int m = 0; m < 12; ++m)
        if (strcasecmp(month, kMonths[m]) == 0) tm.tm_mon = m;
    if (tm.tm_mon < 0 || mday < 1 || mday > 31 || hour > 23 || minute > 59 || second > 60)
        return -1;
    tm.tm_mday = mday;
    tm.tm_year = year - 1900;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<std::int64_t>(timegm(&tm));
}

bool AcceptsGzip(const HttpRequest& request) {
    bool accepted = false;
    ForEachItem(request.Header("Accept-Encoding"), [&](std::string_view item) {
        std::size_t semicolon = item.find(';');
        std::string_view coding = Trim(item.substr(0, semicolon));
        if (coding != "gzip" && coding != "x-gzip") return;
        accepted = true;
        if (semicolon == std::string_view::npos) return;
        std::string_view parameter = Trim(item.substr(semicolon + 1));
        if (parameter.rfind("q=", 0) == 0 || parameter.rfind("Q=", 0) == 0) {
            // q=0, q=0.0, q=0.000: refused.
            std::string_view q = parameter.substr(2);
            accepted = q.find_first_not_of("0.") != std::string_view::npos;
        }
    });
    return accepted;
}

std::string Gzip(std::string_view data) {
    z_stream stream{};
    // 15 window bits, +16 for the gzip wrapper.
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return "";
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : "";
}

bool NotModified(const HttpRequest& request, std::string_view etag, std::int64_t lastModified) {
    const std::string match = request.Header("If-None-Match");
    if (!match.empty()) {
        bool found = false;
        ForEachItem(match, [&](std::string_view tag) {
            if (tag.rfind("W/", 0) == 0) tag.remove_prefix(2);
            if (tag == "*") found = !etag.empty();
            // Either form of the page: the gzip one differs only in its suffix.
            else if (!etag.empty() && (tag == etag || tag == GzipTag(std::string(etag))))
                found = true;
        });
        return found;
    }
    const std::string since = request.Header("If-Modified-Since");
    if (since.empty() || lastModified <= 0) return false;
    const std::int64_t at = ParseHttpDate(since);
    return at >= 0 && lastModified <= at;
}

void AddCommonHeaders(HttpResponse& response) {
    static const std::string kPolicy = "default-src 'none'; style-src 'sha256-" +
                                       Base64Sha256(PageStyle()) +
                                       "'; img-src 'self'; base-uri 'none'; form-action 'none'; "
                                       "frame-ancestors 'none'";
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("Content-Security-Policy", kPolicy);
}

void Deliver(const HttpRequest& request, HttpResponse& response, const std::string& etag,
             std::int64_t lastModified, const char* cacheControl) {
    Send(request, response, etag, lastModified, cacheControl, nullptr);
}

PageVersions::PageVersions(Clock unixSeconds) : clock_(unixSeconds) {}

std::shared_ptr<const PageVersions::Version> PageVersions::Current(std::string page) {
    std::shared_ptr<const Version> last;
    {
        std::lock_guard lock(mutex_);
        last = last_;
    }
    if (last && last->body == page) return last;
    auto made = std::make_shared<Version>();
    made->etag = Digest(page);
    if (page.size() >= kSmallestToCompress) made->gzip = Gzip(page);
    made->since = clock_();
    made->body = std::move(page);
    std::lock_guard lock(mutex_);
    // Another thread may have made the same one meanwhile: keep its time.
    if (last_ && last_->body == made->body) return last_;
    last_ = made;
    return made;
}

void PageVersions::Deliver(const HttpRequest& request, HttpResponse& response, std::string page,
                           const char* cacheControl) {
    auto version = Current(std::move(page));
    response.body = version->body;
    Send(request, response, version->etag, version->since, cacheControl,
         version->gzip.empty() ? nullptr : &version->gzip);
}

} // namespace scores
