// IdHTTP.h -- TIdHTTP, the HTTP client of the score exchange: plain GET requests with the
// exchange's request headers, on libcurl, always with time-outs.
#pragma once

#include <stdexcept>
#include <string>

// Any failure of a request: no network, unknown host, refused connection, time-out, an error
// status. The score exchange treats them all alike.
struct EIdHTTPError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TIdHTTP {
  public:
    std::string Accept = "text/html, */*";
    std::string UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
    std::string ContentType = "text/html";
    bool AllowCookies = true;
    // A read time-out of 0 would wait for ever and freeze the game: these bound every request.
    long ConnectTimeoutMs = 5000;
    long TimeoutMs = 10000;

    TIdHTTP();
    ~TIdHTTP();
    TIdHTTP(const TIdHTTP&) = delete;
    TIdHTTP& operator=(const TIdHTTP&) = delete;

    // Performs a GET and returns the response body; throws EIdHTTPError.
    std::string Get(const std::string& url);

  private:
    void* curl_ = nullptr; // kept between requests so cookies and connections carry over
};
