// HttpServer.cpp -- libmicrohttpd behind our request and response types: the listening socket,
// the raw request target, the peer address, and a clean stop.
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

MHD_Result KeepForwardedFor(void* cls, MHD_ValueKind, const char* key, const char* value) {
    if (key && value && strcasecmp(key, "X-Forwarded-For") == 0)
        static_cast<HttpRequest*>(cls)->forwardedFor = value;
    return MHD_YES;
}

// Headers and body may leave in separate writes; without this a page waits for the client's
// delayed acknowledgement of the first (40 ms on Linux).
void NoDelay(void*, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
    if (code != MHD_CONNECTION_NOTIFY_STARTED) return;
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (!info) return;
    int on = 1;
    setsockopt(info->connect_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void* StartExchange(void*, const char* uri, MHD_Connection*) {
    auto* exchange = new Exchange;
    exchange->target = uri ? uri : "";
    return exchange;
}

void EndExchange(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<Exchange*>(*context);
    *context = nullptr;
}

} // namespace

struct HttpServerAccess {
    static MHD_Result Handle(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char*,
                             std::size_t* uploadSize, void** context) {
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
        MHD_get_connection_values(connection, MHD_HEADER_KIND, KeepForwardedFor, &request);

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
        MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(response.status),
                                               answer);
        MHD_destroy_response(answer);
        return queued;
    }
};

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

int HttpServer::bind_to_any_port(const std::string& host) { return Bind(host, 0); }

bool HttpServer::bind_to_port(const std::string& host, int port) { return Bind(host, port) >= 0; }

bool HttpServer::listen_after_bind() {
    if (socket_ < 0) return false;
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO;
    if (limits_.workers > 0) flags |= MHD_ALLOW_SUSPEND_RESUME;
    if (ipv6_) flags |= MHD_USE_IPv6;
    const unsigned threads = limits_.threads > 1 ? static_cast<unsigned>(limits_.threads) : 0;
    MHD_OptionItem options[] = {
        {MHD_OPTION_LISTEN_SOCKET, socket_, nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, reinterpret_cast<intptr_t>(&StartExchange), nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&EndExchange), nullptr},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&NoDelay), nullptr},
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
    MHD_Daemon* daemon = MHD_start_daemon(flags, 0, nullptr, nullptr, &HttpServerAccess::Handle,
                                          this, MHD_OPTION_ARRAY, options, MHD_OPTION_END);
    if (!daemon) {
        StopWorkers();
        return false;
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
