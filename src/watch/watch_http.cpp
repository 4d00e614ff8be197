// The HTTP server on cpp-httplib: the three routes, the refusals, the
// worker pool, the raised listen backlog and a clean stop.
#include "watch/watch_http.h"

#include <atomic>
#include <chrono>
#include <thread>

// The Windows build compiles the library from its single header, with our
// backlog (CPPHTTPLIB_LISTEN_BACKLOG, defined for every user of the header
// by CMakeLists.txt). The Linux build links Debian's shared library, whose
// backlog was fixed when it was built; RaiseBacklog sets ours on the socket.
#include <httplib.h>

#ifndef _WIN32
#include <sys/socket.h>
#endif

namespace zelmot {
namespace {

static_assert(CPPHTTPLIB_LISTEN_BACKLOG == kHttpBacklog);

// The server's listening socket is the library's own; a second listen() on
// it sets the backlog (Linux; Windows keeps the first, set above).
class BacklogServer : public httplib::Server {
public:
    void RaiseBacklog(int backlog) {
        const auto sock = svr_sock_.load();
        if (sock != INVALID_SOCKET) ::listen(sock, backlog);
    }
};

struct Route {
    const char* Path;
    const char* ContentType;
    std::function<std::string()> HttpRoutes::*Body;
};

constexpr Route kRoutes[] = {
    {"/", "text/html; charset=utf-8", &HttpRoutes::Page},
    {"/report.json", "application/json", &HttpRoutes::Report},
    {"/metrics", "text/plain; version=0.0.4; charset=utf-8", &HttpRoutes::Metrics},
};

// The library's own options let a second server bind the same port on
// Linux (SO_REUSEPORT), so that two watchers given one port would share its
// requests without a word. Here a port is one server's: SO_REUSEADDR only
// lets it be bound again at once after a stop (POSIX); Windows gets the
// port for itself alone.
void ListenOptions(socket_t sock) {
    int yes = 1;
#ifdef _WIN32
    ::setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
#else
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
}

void Refuse(httplib::Response& res, int status, const char* text) {
    res.status = status;
    res.set_content(text, "text/plain; charset=utf-8");
}

// Every request passes here first: only GET and HEAD of the three paths go
// on to their handler.
httplib::Server::HandlerResponse Screen(const httplib::Request& req, httplib::Response& res) {
    if (req.method != "GET" && req.method != "HEAD") {
        res.set_header("Allow", "GET, HEAD");
        Refuse(res, 405, "405 Method Not Allowed: this server only reads (GET, HEAD)\n");
        return httplib::Server::HandlerResponse::Handled;
    }
    if (req.path.size() > kHttpPathMax) {
        Refuse(res, 414, "414 URI Too Long\n");
        return httplib::Server::HandlerResponse::Handled;
    }
    for (const Route& route : kRoutes)
        if (req.path == route.Path) return httplib::Server::HandlerResponse::Unhandled;
    Refuse(res, 404, "404 Not Found: /, /report.json and /metrics are served\n");
    return httplib::Server::HandlerResponse::Handled;
}

}  // namespace

struct HttpServerState {
    BacklogServer Server;
    HttpRoutes Routes;
    std::thread Listener;
    std::atomic<bool> Ended{false};  // the listening loop has returned
    std::uint16_t Port = 0;
};

HttpServer::HttpServer() = default;
HttpServer::HttpServer(HttpServer&&) noexcept = default;
HttpServer& HttpServer::operator=(HttpServer&& other) noexcept {
    if (this != &other) {
        StopHttpServer(*this);
        State = std::move(other.State);
    }
    return *this;
}
HttpServer::~HttpServer() { StopHttpServer(*this); }

Outcome StartHttpServer(const HostPort& address, HttpRoutes routes, HttpServer& server) {
    StopHttpServer(server);
    auto state = std::make_unique<HttpServerState>();
    state->Routes = std::move(routes);
    httplib::Server& http = state->Server;
    http.new_task_queue = [] { return new httplib::ThreadPool(kHttpWorkers); };
    http.set_keep_alive_max_count(1);
    http.set_keep_alive_timeout(2);
    http.set_read_timeout(5);
    http.set_write_timeout(5);
    http.set_payload_max_length(4096);
    http.set_socket_options(ListenOptions);
    http.set_pre_routing_handler(Screen);
    for (const Route& route : kRoutes) {
        const std::function<std::string()>* body = &(state->Routes.*route.Body);
        const char* type = route.ContentType;
        http.Get(route.Path, [body, type](const httplib::Request&, httplib::Response& res) {
            if (!*body) {
                Refuse(res, 404, "404 Not Found: nothing to show yet\n");
                return;
            }
            res.set_content((*body)(), type);
            res.set_header("Cache-Control", "no-store");
            res.set_header("X-Content-Type-Options", "nosniff");
            res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; img-src data:");
        });
    }
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        Refuse(res, 500, "500 Internal Server Error\n");
    });

    int port = address.Port;
    if (port == 0) port = http.bind_to_any_port(address.Host);
    else if (!http.bind_to_port(address.Host, port)) port = -1;
    if (port <= 0) return ErrorText("Cannot listen on %s for HTTP", HostPortText(address).c_str());
    state->Server.RaiseBacklog(kHttpBacklog);
    state->Port = static_cast<std::uint16_t>(port);
    HttpServerState& running = *state;
    state->Listener = std::thread([&running] {
        running.Server.listen_after_bind();
        running.Ended = true;
    });
    // stop() only acts on a running server: wait until the loop runs.
    while (!http.is_running() && !running.Ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server.State = std::move(state);
    return Success();
}

std::uint16_t HttpServerPort(const HttpServer& server) { return server.State ? server.State->Port : 0; }

void StopHttpServer(HttpServer& server) {
    if (!server.State) return;
    server.State->Server.stop();
    if (server.State->Listener.joinable()) server.State->Listener.join();
    server.State.reset();
}

}  // namespace zelmot
