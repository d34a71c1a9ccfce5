// IdHTTP_test.cpp -- the exchange's HTTP client against a local server: headers, bodies and
// every way a request fails, including a server that never answers.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <thread>

#include "online/IdHTTP.h"
#include "support/Wait.h"

namespace {

struct LocalServer {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    LocalServer() {
        server.Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("User-Agent") + "|" +
                                req.get_header_value("Accept") + "|" +
                                req.get_header_value("Content-Type") + "|" + req.target,
                            "text/plain");
        });
        server.Get("/error", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("OK but broken", "text/plain");
        });
        server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            res.set_content("OK late", "text/plain");
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        if (!WaitFor([this] { return server.is_running(); })) ADD_FAILURE() << "no local server";
    }
    ~LocalServer() {
        server.stop();
        thread.join();
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
};

TEST(IdHTTP, SendsTheExchangeHeadersAndReturnsTheBody) {
    LocalServer s;
    TIdHTTP http;
    std::string body = http.Get(s.Url("/echo?version&prg=Skyvern"));
    EXPECT_EQ(body, "Mozilla/3.0 (compatible; Indy Library)|text/html, */*|text/html|"
                    "/echo?version&prg=Skyvern");
    EXPECT_EQ(http.Get(s.Url("/echo")).substr(0, 7), "Mozilla") << "the client is reusable";
}

TEST(IdHTTP, EveryFailureIsAnError) {
    LocalServer s;
    TIdHTTP http;
    http.TimeoutMs = 300;
    EXPECT_THROW(http.Get(s.Url("/error")), EIdHTTPError) << "an error status";
    EXPECT_THROW(http.Get(s.Url("/missing")), EIdHTTPError) << "404";
    EXPECT_THROW(http.Get(s.Url("/slow")), EIdHTTPError) << "a server that does not answer in time";
    EXPECT_THROW(http.Get("http://127.0.0.1:1/"), EIdHTTPError) << "a refused connection";
    EXPECT_THROW(http.Get("not a url"), EIdHTTPError);
}

} // namespace
