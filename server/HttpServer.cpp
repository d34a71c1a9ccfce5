// HttpServer.cpp -- libmicrohttpd behind our request and response types: the listening socket,
// the raw request target, the peer address, the per-address cap, the header deadline, and a
// clean stop.
#include "HttpServer.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace scores {

namespace {

// What belongs to one request between the callbacks.
struct Exchange {
    std::string target;
    bool headersSeen = false;
    bool handedOff = false; // suspended until a worker has written the response
    HttpResponse response;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high << 4 | low);
                i += 2;
                continue;
            }
        }
        out += (plusIsSpace && c == '+') ? ' ' : c;
    }
    return out;
}

void ParseTarget(const std::string& target, HttpRequest& request) {
    std::size_t query = target.find('?');
    request.path = PercentDecode(std::string_view(target).substr(0, query), false);
    if (query == std::string::npos) return;
    std::string_view rest = std::string_view(target).substr(query + 1);
    while (!rest.empty()) {
        std::size_t amp = rest.find('&');
        std::string_view part = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (part.empty()) continue;
        std::size_t eq = part.find('=');
        if (eq == std::string_view::npos)
            request.params.emplace_back(PercentDecode(part, true), std::string());
        else
            request.params.emplace_back(PercentDecode(part.substr(0, eq), true),
                                        PercentDecode(part.substr(eq + 1), true));
    }
}

std::string PeerAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr) return "";
    char text[INET6_ADDRSTRLEN] = "";
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    } else if (address->sa_family == AF_INET6) {
        const in6_addr& a6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        // An IPv4 client on a dual-stack socket is named as IPv4, as a proxy names it.
        if (IN6_IS_ADDR_V4MAPPED(&a6))
            inet_ntop(AF_INET, &a6.s6_addr[12], text, sizeof text);
        else
            inet_ntop(AF_INET6, &a6, text, sizeof text);
    }
    return text;
}

MHD_Result KeepHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    if (!key || !value) return MHD_YES;
    auto* request = static_cast<HttpRequest*>(cls);
    request->headers.emplace_back(key, value);
    if (strcasecmp(key, "X-Forwarded-For") == 0) request->forwardedFor = value;
    return MHD_YES;
}

struct LengthCheck {
    std::string first;
    bool seen = false;
    bool conflict = false;
};

MHD_Result CheckLength(void* cls, MHD_ValueKind, const char* key, const char* value) {
    if (!key || strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) != 0) return MHD_YES;
    auto* check = static_cast<LengthCheck*>(cls);
    std::string length = value ? value : "";
    length.erase(0, length.find_first_not_of(" \t"));
    length.erase(length.find_last_not_of(" \t") + 1);
    if (check->seen && length != check->first) check->conflict = true;
    check->first = length;
    check->seen = true;
    return MHD_YES;
}

void* StartExchange(void*, const char* uri, MHD_Connection*) {
    auto* exchange = new Exchange;
    exchange->target = uri ? uri : "";
    return exchange;
}

bool SamePeer(int fd, const sockaddr_storage& peer) {
    sockaddr_storage now{};
    socklen_t length = sizeof now;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&now), &length) != 0) return false;
    if (now.ss_family != peer.ss_family) return false;
    if (now.ss_family == AF_INET) {
        const auto &a = reinterpret_cast<const sockaddr_in&>(now),
                   &b = reinterpret_cast<const sockaddr_in&>(peer);
        return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
    }
    const auto &a = reinterpret_cast<const sockaddr_in6&>(now),
               &b = reinterpret_cast<const sockaddr_in6&>(peer);
    return a.sin6_port == b.sin6_port && std::memcmp(&a.sin6_addr, &b.sin6_addr, 16) == 0;
}

} // namespace

std::string HttpRequest::Header(std::string_view name) const {
    for (auto at = headers.rbegin(); at != headers.rend(); ++at)
        if (at->first.size() == name.size() &&
            strncasecmp(at->first.data(), name.data(), name.size()) == 0)
            return at->second;
    return "";
}

struct HttpServerAccess {
    static MHD_Result Handle(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char*, std::size_t* uploadSize,
                             void** context) {
        auto* server = static_cast<HttpServer*>(cls);
        auto* exchange = static_cast<Exchange*>(*context);
        if (!exchange) {
            exchange = new Exchange;
            exchange->target = url ? url : "";
            *context = exchange;
        }
        // Called again once a worker has answered and resumed the connection.
        if (exchange->handedOff) return Queue(connection, exchange->response);
        // The first call only announces the headers; a body, which none of our requests has,
        // is read and dropped.
        if (!exchange->headersSeen) {
            exchange->headersSeen = true;
            server->HeadersArrived(connection, true);
            // Two different lengths: whoever stands in front of us may have taken the other
            // one, and the rest of the stream would be read as another request.
            LengthCheck lengths;
            MHD_get_connection_values(connection, MHD_HEADER_KIND, CheckLength, &lengths);
            if (lengths.conflict) {
                exchange->response = HttpResponse{};
                exchange->response.status = 400;
                exchange->response.body = "Bad Request\n";
                exchange->response.headers.emplace_back(MHD_HTTP_HEADER_CONNECTION, "close");
                return Queue(connection, exchange->response);
            }
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            *uploadSize = 0;
            return MHD_YES;
        }

        HttpRequest request;
        request.method = method ? method : "";
        request.target = exchange->target;
        ParseTarget(request.target, request);
        request.peer = PeerAddress(connection);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, KeepHeader, &request);

        if (server->slow_ && server->slow_(request)) {
            if (HandOff(*server, connection, *exchange, std::move(request))) return MHD_YES;
            // The workers have stopped: a loop never waits on something slow itself.
            if (server->limits_.workers > 0) {
                exchange->response = HttpResponse{};
                exchange->response.status = 503;
                exchange->response.body = "Service Unavailable\n";
                return Queue(connection, exchange->response);
            }
        }
        server->Answer(request, exchange->response);
        return Queue(connection, exchange->response);
    }

    // Suspends the connection and queues its request for the workers; false when they are
    // stopping (the loop answers it then).
    static bool HandOff(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                        HttpRequest&& request) {
        std::lock_guard lock(server.jobsMutex_);
        if (server.workersStopping_) return false;
        exchange.handedOff = true;
        MHD_suspend_connection(connection);
        server.jobs_.push_back([&server, connection, &exchange, request = std::move(request)] {
            server.Answer(request, exchange.response);
            MHD_resume_connection(connection);
        });
        server.jobsReady_.notify_one();
        return true;
    }

    static MHD_Result Queue(MHD_Connection* connection, HttpResponse& response) {
        MHD_Response* answer = MHD_create_response_from_buffer(
            response.body.size(), response.body.data(), MHD_RESPMEM_MUST_COPY);
        if (!answer) return MHD_NO;
        MHD_add_response_header(answer, MHD_HTTP_HEADER_CONTENT_TYPE, response.contentType.c_str());
        for (const auto& [name, value] : response.headers)
            MHD_add_response_header(answer, name.c_str(), value.c_str());
        MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(response.status), answer);
        MHD_destroy_response(answer);
        return queued;
    }

    static MHD_Result Admit(void* cls, const sockaddr* address, socklen_t) {
        auto* server = static_cast<HttpServer*>(cls);
        const std::size_t cap = server->limits_.connectionsPerAddress;
        if (cap == 0) return MHD_YES;
        auto client = FromSockaddr(address);
        if (!client || AnyContains(server->limits_.uncapped, *client)) return MHD_YES;
        std::lock_guard lock(server->connectionsMutex_);
        auto held = server->perClient_.find(client->ClientKey());
        return held == server->perClient_.end() || held->second < cap ? MHD_YES : MHD_NO;
    }

    static void Notice(void* cls, MHD_Connection* connection, void** socketContext,
                       MHD_ConnectionNotificationCode code) {
        auto* server = static_cast<HttpServer*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* held = new HttpServer::Connection;
            held->waitingSince = std::chrono::steady_clock::now();
            if (const MHD_ConnectionInfo* info =
                    MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)) {
                held->fd = info->connect_fd;
                // Headers and body may leave in separate writes; without this a page waits
                // for the client's delayed acknowledgement of the first (40 ms on Linux).
                int on = 1;
                setsockopt(held->fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                socklen_t length = sizeof held->peer;
                getpeername(held->fd, reinterpret_cast<sockaddr*>(&held->peer), &length);
            }
            if (const MHD_ConnectionInfo* info =
                    MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)) {
                auto client = FromSockaddr(info->client_addr);
                if (client && !AnyContains(server->limits_.uncapped, *client))
                    held->client = client->ClientKey();
            }
            std::lock_guard lock(server->connectionsMutex_);
            server->connections_.insert(held);
            if (!held->client.empty()) ++server->perClient_[held->client];
            *socketContext = held;
        } else if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            auto* held = static_cast<HttpServer::Connection*>(*socketContext);
            if (!held) return;
            *socketContext = nullptr;
            std::lock_guard lock(server->connectionsMutex_);
            server->connections_.erase(held);
            if (!held->client.empty()) {
                auto count = server->perClient_.find(held->client);
                if (count != server->perClient_.end() && --count->second == 0)
                    server->perClient_.erase(count);
            }
            delete held;
        }
    }

    static void EndExchange(void* cls, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode) {
        delete static_cast<Exchange*>(*context);
        *context = nullptr;
        // The next request's headers are timed from here.
        static_cast<HttpServer*>(cls)->HeadersArrived(connection, false);
    }
};

void HttpServer::HeadersArrived(MHD_Connection* connection, bool arrived) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (!info || !info->socket_context) return;
    auto* held = static_cast<Connection*>(info->socket_context);
    std::lock_guard lock(connectionsMutex_);
    held->inRequest = arrived;
    held->waitingSince = std::chrono::steady_clock::now();
}

void HttpServer::Sweep() {
    const auto deadline = std::chrono::seconds(limits_.headerTimeoutSeconds);
    const auto period = std::min<std::chrono::milliseconds>(
        std::chrono::milliseconds(250), std::chrono::milliseconds(deadline) / 4);
    std::unique_lock lock(connectionsMutex_);
    while (sweeping_) {
        sweepWake_.wait_for(lock, period);
        const auto now = std::chrono::steady_clock::now();
        for (Connection* held : connections_) {
            if (held->inRequest || held->fd < 0 || now - held->waitingSince < deadline) continue;
            // The loop sees the end of the stream and closes the connection itself. The peer
            // check makes sure the descriptor still is that connection.
            if (SamePeer(held->fd, held->peer)) shutdown(held->fd, SHUT_RDWR);
            held->fd = -1;
        }
    }
}

HttpServer::HttpServer(Handler handler, HttpLimits limits, Slow slow)
    : handler_(std::move(handler)), limits_(limits), slow_(std::move(slow)) {}

HttpServer::~HttpServer() {
    stop();
    StopWorkers();
    if (socket_ >= 0) close(socket_);
}

void HttpServer::Answer(const HttpRequest& request, HttpResponse& response) {
    response = HttpResponse{};
    if (request.method != "GET" && request.method != "HEAD") {
        response.status = 405;
        response.body = "Method Not Allowed\n";
        return;
    }
    try {
        handler_(request, response);
    } catch (const std::exception&) {
        response = HttpResponse{};
        response.status = 500;
        response.body = "Internal Server Error\n";
    }
}

void HttpServer::StartWorkers() {
    std::lock_guard lock(jobsMutex_);
    workersStopping_ = false;
    for (std::size_t i = 0; i < limits_.workers; ++i)
        workers_.emplace_back([this] { Work(); });
}

void HttpServer::StopWorkers() {
    {
        std::lock_guard lock(jobsMutex_);
        workersStopping_ = true;
    }
    jobsReady_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
    workers_.clear();
}

void HttpServer::Work() {
    std::unique_lock lock(jobsMutex_);
    for (;;) {
        jobsReady_.wait(lock, [&] { return !jobs_.empty() || workersStopping_; });
        if (jobs_.empty()) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

int HttpServer::Bind(const std::string& host, int port) {
    if (socket_ >= 0) return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* at = found; at && fd < 0; at = at->ai_next) {
        fd = socket(at->ai_family, at->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) continue;
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, at->ai_addr, at->ai_addrlen) != 0 || listen(fd, 1024) != 0) {
            close(fd);
            fd = -1;
            continue;
        }
        ipv6_ = at->ai_family == AF_INET6;
    }
    freeaddrinfo(found);
    if (fd < 0) return -1;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    socket_ = fd;
    return ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

int HttpServer::bind_to_any_port(const std::string& host) {
    return Bind(host, 0);
}

bool HttpServer::bind_to_port(const std::string& host, int port) {
    return Bind(host, port) >= 0;
}

bool HttpServer::listen_after_bind() {
    if (socket_ < 0) return false;
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO;
    if (limits_.workers > 0) flags |= MHD_ALLOW_SUSPEND_RESUME;
    if (ipv6_) flags |= MHD_USE_IPv6;
    const unsigned threads = limits_.threads > 1 ? static_cast<unsigned>(limits_.threads) : 0;
    MHD_OptionItem options[] = {
        {MHD_OPTION_LISTEN_SOCKET, socket_, nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&StartExchange), nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&HttpServerAccess::EndExchange),
         this},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&HttpServerAccess::Notice), this},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(limits_.idleTimeoutSeconds), nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(limits_.maxConnections), nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(limits_.connectionMemory),
         nullptr},
        {threads ? MHD_OPTION_THREAD_POOL_SIZE : MHD_OPTION_END, threads, nullptr},
        {MHD_OPTION_END, 0, nullptr},
    };
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) return true;
    }
    // The workers run before the first request can come, so no request finds them missing.
    if (limits_.workers > 0) StartWorkers();
    MHD_Daemon* daemon =
        MHD_start_daemon(flags, 0, &HttpServerAccess::Admit, this, &HttpServerAccess::Handle, this,
                         MHD_OPTION_ARRAY, options, MHD_OPTION_END);
    if (!daemon) {
        StopWorkers();
        return false;
    }
    if (limits_.headerTimeoutSeconds > 0) {
        std::lock_guard lock(connectionsMutex_);
        sweeping_ = true;
        sweeper_ = std::thread([this] { Sweep(); });
    }
    socket_ = -1; // the daemon closes it when it stops
    {
        std::unique_lock lock(mutex_);
        running_ = true;
        stopped_.wait(lock, [&] { return stopRequested_; });
        running_ = false;
    }
    // The daemon must not stop with a connection still suspended: every handed-off request
    // is answered first, later ones in the loops.
    StopWorkers();
    {
        std::lock_guard lock(connectionsMutex_);
        sweeping_ = false;
    }
    sweepWake_.notify_all();
    if (sweeper_.joinable()) sweeper_.join();
    MHD_stop_daemon(daemon);
    return true;
}

bool HttpServer::is_running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void HttpServer::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    stopped_.notify_all();
}

} // namespace scores
