// zelmot-watch's read-only HTTP server (cpp-httplib): GET or HEAD of "/"
// (the live page), "/report.json" and "/metrics", each body made by a
// callback when asked for; every other path is 404, every other method 405
// (with Allow: GET, HEAD), a path longer than kHttpPathMax 414, and nothing
// a request says reaches anything but those three callbacks. The callbacks
// run on the server's worker threads, several at once: they must read the
// live state under its own lock.
//
// The server runs on a thread of its own with a fixed pool of workers and a
// listen backlog of kHttpBacklog (the library's own is 5, too few for a
// burst of connections); each connection serves one request and is closed,
// so that no idle browser holds a worker. StopHttpServer (and the record's
// end) stops it and joins every thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/outcome.h"
#include "watch/watch_options.h"

namespace zelmot {

inline constexpr int kHttpBacklog = 511;
inline constexpr std::size_t kHttpWorkers = 8;
inline constexpr std::size_t kHttpPathMax = 256;

struct HttpRoutes {
    std::function<std::string()> Page;     // "/": text/html
    std::function<std::string()> Report;   // "/report.json": application/json
    std::function<std::string()> Metrics;  // "/metrics": the Prometheus text format
};

struct HttpServerState;

struct HttpServer {
    std::unique_ptr<HttpServerState> State;
    HttpServer();
    HttpServer(HttpServer&&) noexcept;
    HttpServer& operator=(HttpServer&&) noexcept;
    ~HttpServer();  // stops the server
};

// Binds to address (port 0: a free port the system picks) and starts
// serving; the message names the address when it cannot bind.
Outcome StartHttpServer(const HostPort& address, HttpRoutes routes, HttpServer& server);

// The port the server listens on; 0 when it does not run.
std::uint16_t HttpServerPort(const HttpServer& server);

// Stops accepting, lets the requests being served finish, joins the
// threads. Harmless when the server does not run.
void StopHttpServer(HttpServer& server);

}  // namespace zelmot
