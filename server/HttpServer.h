// HttpServer.h -- the event-driven HTTP/1.1 layer of skyvern-scores (libmicrohttpd, epoll).
// A few event loops hold every connection; a slow or idle client costs a descriptor and a
// small buffer, never a thread, and is dropped after its idle time-out or when its headers do
// not arrive whole in time. One client address holds only a few of the connections.
#pragma once

#include "NetAddress.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace scores {

struct HttpRequest {
    std::string method;
    std::string target;                                      // as sent, query included
    std::string path;                                        // percent-decoded, without the query
    std::vector<std::pair<std::string, std::string>> params; // decoded, in order, repeats kept
    std::string peer;                                        // address of the direct peer
    std::string forwardedFor; // the last X-Forwarded-For header, empty when there is none
    std::vector<std::pair<std::string, std::string>> headers; // as sent, in order

    // The value of the last header of that name (any case), or "".
    std::string Header(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers; // besides Content-Type
};

struct HttpLimits {
    std::size_t threads = 4; // event loops
    std::size_t maxConnections = 10000;
    unsigned idleTimeoutSeconds = 10; // a connection silent this long is closed
    // Request line and headers of one request must fit in this; longer ones are refused.
    std::size_t connectionMemory = 16 * 1024;
    // Threads for requests that wait on something slow (a disk flush): their connection is
    // suspended meanwhile and the event loops serve others. 0: everything runs in the loops.
    std::size_t workers = 0;
    // Connections one client holds at most (an IPv4 address, an IPv6 /64), so that one
    // address cannot take every slot; 0: no cap. Peers in `uncapped` (our own proxies, which
    // carry everyone's requests) are not held to it.
    std::size_t connectionsPerAddress = 0;
    std::vector<NetRange> uncapped;
    // A request's line and headers must arrive whole within this from the moment the
    // connection opened or its previous answer left, however steadily they trickle; 0: no
    // deadline.
    unsigned headerTimeoutSeconds = 0;
};

class HttpServer {
  public:
    using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;
    // True for a request to hand to the workers.
    using Slow = std::function<bool(const HttpRequest&)>;

    HttpServer(Handler handler, HttpLimits limits, Slow slow = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The calls below are named as the game's own test servers name them, so the game's
    // tests drive this server and theirs alike.

    // Binds a free port on `host`; the port, or -1.
    int bind_to_any_port(const std::string& host);
    bool bind_to_port(const std::string& host, int port);
    // Serves until stop(); false when serving could not start. Requests in progress are
    // finished before it returns.
    bool listen_after_bind();
    bool is_running() const;
    // From any thread, before or during listen_after_bind.
    void stop();

  private:
    friend struct HttpServerAccess;
    int Bind(const std::string& host, int port);
    void Answer(const HttpRequest& request, HttpResponse& response);
    void StartWorkers();
    // Lets the workers finish every request handed to them, then ends them.
    void StopWorkers();
    void Work();
    // Closes connections whose request headers are overdue.
    void Sweep();
    // Headers of a request complete (true), or its answer sent (false): the next request's
    // headers are timed from then.
    void HeadersArrived(MHD_Connection* connection, bool arrived);

    Handler handler_;
    const HttpLimits limits_;
    Slow slow_;
    int socket_ = -1;
    bool ipv6_ = false;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopRequested_ = false;
    bool running_ = false;

    // Requests handed to the workers; at most one per (suspended) connection.
    std::mutex jobsMutex_;
    std::condition_variable jobsReady_;
    std::deque<std::function<void()>> jobs_;
    bool workersStopping_ = true; // until they run; slow requests are answered in the loops
    std::vector<std::thread> workers_;

    // Every open connection, for the per-address cap and the header deadline.
    struct Connection {
        int fd = -1;
        sockaddr_storage peer{};
        std::string client; // NetAddress::ClientKey, "" when uncapped
        std::chrono::steady_clock::time_point waitingSince;
        bool inRequest = false; // headers complete, answer not yet sent
    };
    std::mutex connectionsMutex_;
    std::set<Connection*> connections_;
    std::unordered_map<std::string, std::size_t> perClient_;
    std::thread sweeper_;
    std::condition_variable sweepWake_;
    bool sweeping_ = false;
};

} // namespace scores
