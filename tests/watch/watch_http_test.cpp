// The watcher's HTTP server: the three routes with their types, the
// refusals of every other path and method and of hostile requests (which
// reach no callback), 200 connections opened at once all answered, a port
// that is taken, and a stop that leaves no thread behind.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "support/process_runner.h"
#include "watch/watch_http.h"
#include "watch/watch_test_support.h"

namespace zelmot {
namespace {

struct CountedRoutes {
    std::atomic<int> Calls{0};
    HttpRoutes Routes() {
        return {[this] { return ++Calls, std::string("<!DOCTYPE html><p>live</p>"); },
                [this] { return ++Calls, std::string("{\"capture\":{}}"); },
                [this] { return ++Calls, std::string("# TYPE zelmot_up gauge\nzelmot_up 1\n"); }};
    }
};

std::string Get(const std::string& path) { return "GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n"; }

std::string HeaderOf(const std::string& answer, const std::string& name) {
    std::size_t at = answer.find("\r\n" + name + ": ");
    if (at == std::string::npos) return {};
    at += name.size() + 4;
    return answer.substr(at, answer.find("\r\n", at) - at);
}

std::string BodyOf(const std::string& answer) {
    std::size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

TEST(WatchHttp, ServesTheThreeRoutesWithTheirTypes) {
    CountedRoutes routes;
    HttpServer server;
    ASSERT_TRUE(StartHttpServer({"127.0.0.1", 0}, routes.Routes(), server).IsOk());
    const std::uint16_t port = HttpServerPort(server);
    ASSERT_NE(port, 0);
    struct Case {
        const char* Path;
        const char* Type;
        const char* Body;
    } cases[] = {
        {"/", "text/html; charset=utf-8", "<!DOCTYPE html><p>live</p>"},
        {"/report.json", "application/json", "{\"capture\":{}}"},
        {"/metrics", "text/plain; version=0.0.4; charset=utf-8", "# TYPE zelmot_up gauge\nzelmot_up 1\n"},
        {"/metrics?x=1", "text/plain; version=0.0.4; charset=utf-8", "# TYPE zelmot_up gauge\nzelmot_up 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        const std::string answer = test::RawHttpExchange(port, Get(c.Path));
        EXPECT_EQ(test::HttpStatusOf(answer), 200);
        EXPECT_EQ(HeaderOf(answer, "Content-Type"), c.Type);
        EXPECT_EQ(HeaderOf(answer, "Cache-Control"), "no-store");
        EXPECT_EQ(HeaderOf(answer, "Connection"), "close");
        EXPECT_EQ(BodyOf(answer), c.Body);
    }
    const std::string head = test::RawHttpExchange(port, "HEAD /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(test::HttpStatusOf(head), 200);
    EXPECT_EQ(BodyOf(head), "");
    EXPECT_EQ(routes.Calls, 5);
}

TEST(WatchHttp, OtherPathsMethodsAndHostileRequestsGetAnErrorAndReachNoRoute) {
    CountedRoutes routes;
    HttpServer server;
    ASSERT_TRUE(StartHttpServer({"127.0.0.1", 0}, routes.Routes(), server).IsOk());
    const std::uint16_t port = HttpServerPort(server);
    const std::string body = "x=1";
    struct Case {
        std::string Request;
        int Status;
    } cases[] = {
        {Get("/index.html"), 404},
        {Get("/metrics/"), 404},
        {Get("/../etc/passwd"), 404},
        {Get("/%2e%2e/%2e%2e/etc/passwd"), 404},
        {Get("/..%2fmetrics"), 404},
        {Get("//metrics"), 404},
        {Get("/report.json/.."), 404},
        {Get("/" + std::string(300, 'a')), 414},
        {Get("/" + std::string(9000, 'a')), 414},
        {"POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\n" + body, 405},
        {"PUT /report.json HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\n" + body, 405},
        {"DELETE / HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"OPTIONS * HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"TRACE / HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"BREW /metrics HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"get /metrics HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"GET /metrics HTTP/9.9\r\nHost: x\r\n\r\n", 400},
        {"GET\r\n\r\n", 400},
        {"\x01\x02\x03\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nHost: x\r\nX-Long: " + std::string(10000, 'b') + "\r\n\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Request.substr(0, 60));
        const std::string answer = test::RawHttpExchange(port, c.Request);
        const int status = test::HttpStatusOf(answer);
        if (c.Status == 0) {
            EXPECT_TRUE(status == 0 || status >= 400) << status;  // closed, or refused
        } else {
            EXPECT_EQ(status, c.Status);
        }
        if (c.Status == 405) {
            EXPECT_EQ(HeaderOf(answer, "Allow"), "GET, HEAD");
        }
    }
    EXPECT_EQ(routes.Calls, 0);
    // And the server still serves.
    EXPECT_EQ(test::HttpStatusOf(test::RawHttpExchange(port, Get("/metrics"))), 200);
    EXPECT_EQ(routes.Calls, 1);
}

TEST(WatchHttp, TwoHundredConnectionsOpenedAtOnceAreAllAnswered) {
    CountedRoutes routes;
    HttpServer server;
    ASSERT_TRUE(StartHttpServer({"127.0.0.1", 0}, routes.Routes(), server).IsOk());
    // The bound is far above what loopback needs; a connection the backlog
    // dropped would come back only with the client's SYN retries (1 s, 3 s,
    // 7 s ...) and a worker held by an idle connection for seconds.
    const std::vector<int> statuses =
        test::ManyConnections(HttpServerPort(server), 200, Get("/metrics"), std::chrono::seconds(20));
    ASSERT_EQ(statuses.size(), 200u);
    std::size_t answered = 0;
    for (int status : statuses) answered += status == 200 ? 1 : 0;
    EXPECT_EQ(answered, 200u);
    EXPECT_EQ(routes.Calls, 200);
}

// The threads of this process (Linux: /proc/self/task).
std::size_t ThreadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

TEST(WatchHttp, StartsAndStopsCleanlyAndReportsATakenPort) {
    CountedRoutes routes;
    const bool countThreads = !test::kWindows && std::filesystem::exists("/proc/self/task");
    const std::size_t before = countThreads ? ThreadCount() : 0;
    std::uint16_t port = 0;
    for (int round = 0; round < 3; ++round) {
        HttpServer server;
        ASSERT_TRUE(StartHttpServer({"127.0.0.1", port}, routes.Routes(), server).IsOk());
        port = HttpServerPort(server);  // the same port again: it is free after a stop
        EXPECT_EQ(test::HttpStatusOf(test::RawHttpExchange(port, Get("/"))), 200);
        if (countThreads) {
            EXPECT_GT(ThreadCount(), before);
        }
        HttpServer second;
        Outcome taken = StartHttpServer({"127.0.0.1", port}, routes.Routes(), second);
        EXPECT_TRUE(taken.IsError());
        EXPECT_EQ(taken.Text, "Cannot listen on 127.0.0.1:" + std::to_string(port) + " for HTTP");
        EXPECT_EQ(HttpServerPort(second), 0);
        StopHttpServer(server);
        EXPECT_EQ(HttpServerPort(server), 0);
        StopHttpServer(server);  // harmless twice
        if (countThreads) {
            EXPECT_EQ(ThreadCount(), before);
        }
        EXPECT_EQ(test::RawHttpExchange(port, Get("/")), "");
    }
}

TEST(WatchHttp, ARouteWithoutABodyYetIsNotFound) {
    HttpServer server;
    ASSERT_TRUE(StartHttpServer({"127.0.0.1", 0}, HttpRoutes{}, server).IsOk());
    EXPECT_EQ(test::HttpStatusOf(test::RawHttpExchange(HttpServerPort(server), Get("/metrics"))), 404);
}

}  // namespace
}  // namespace zelmot
