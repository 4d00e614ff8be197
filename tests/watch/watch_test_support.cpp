// Test support for the watcher's parts: sockets (POSIX and Winsock) and the
// background servers (POSIX).
#include "watch/watch_test_support.h"

#include <httplib.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "analysis/analysis_run.h"
#include "run/command_line.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
void CloseSocket(SocketHandle s) { ::closesocket(s); }
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
void CloseSocket(SocketHandle s) { ::close(s); }
#endif

namespace zelmot::test {
namespace {

using Clock = std::chrono::steady_clock;

void StartSockets() {
#ifdef _WIN32
    static bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
#endif
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

SocketHandle Connect(std::uint16_t port) {
    StartSockets();
    SocketHandle s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == kNoSocket) return kNoSocket;
    sockaddr_in address = Loopback(port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        CloseSocket(s);
        return kNoSocket;
    }
    return s;
}

void SetReceiveTimeout(SocketHandle s, int ms) {
#ifdef _WIN32
    DWORD timeout = static_cast<DWORD>(ms);
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
#else
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
#endif
}

bool SendAll(SocketHandle s, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        auto sent = ::send(s, text.data() + done, static_cast<int>(text.size() - done), 0);
        if (sent <= 0) return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

std::string ReadToClose(SocketHandle s, Clock::time_point deadline) {
    std::string answer;
    char buffer[4096];
    while (Clock::now() < deadline) {
        auto got = ::recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    return answer;
}

}  // namespace

std::uint16_t FreeLoopbackPort() {
    StartSockets();
    SocketHandle s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    std::uint16_t port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        socklen_t size = sizeof address;
        if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) port = ntohs(address.sin_port);
    }
    CloseSocket(s);
    return port;
}

bool WaitForPort(std::uint16_t port, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        SocketHandle s = Connect(port);
        if (s != kNoSocket) {
            CloseSocket(s);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string RawHttpExchange(std::uint16_t port, const std::string& request) {
    SocketHandle s = Connect(port);
    if (s == kNoSocket) return {};
    SetReceiveTimeout(s, 5000);
    std::string answer;
    if (SendAll(s, request)) answer = ReadToClose(s, Clock::now() + std::chrono::seconds(5));
    CloseSocket(s);
    return answer;
}

int HttpStatusOf(const std::string& answer) {
    if (answer.rfind("HTTP/1.", 0) != 0 || answer.size() < 12) return 0;
    return std::atoi(answer.substr(9, 3).c_str());
}

std::vector<int> ManyConnections(std::uint16_t port, std::size_t count, const std::string& request,
                                 std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::vector<SocketHandle> sockets;
    for (std::size_t i = 0; i < count; ++i) sockets.push_back(Connect(port));
    for (SocketHandle s : sockets)
        if (s != kNoSocket) SendAll(s, request);
    std::vector<int> statuses;
    for (SocketHandle s : sockets) {
        if (s == kNoSocket) {
            statuses.push_back(0);
            continue;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        SetReceiveTimeout(s, static_cast<int>(left > 1 ? left : 1));
        statuses.push_back(HttpStatusOf(ReadToClose(s, deadline)));
        CloseSocket(s);
    }
    return statuses;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

#ifndef _WIN32

ServerProcess::~ServerProcess() { StopServerProcess(*this); }

bool StartServerProcess(const std::string& program, const std::vector<std::string>& args,
                        const std::string& logPath, ServerProcess& server) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (logFd < 0) return false;
    pid_t child = ::fork();
    if (child == 0) {
        int nullFd = ::open("/dev/null", O_RDONLY);
        if (nullFd >= 0) ::dup2(nullFd, 0);
        ::dup2(logFd, 1);
        ::dup2(logFd, 2);
        ::setpgid(0, 0);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(logFd);
    if (child < 0) return false;
    server.Pid = child;
    server.LogPath = logPath;
    return true;
}

void StopServerProcess(ServerProcess& server) {
    if (server.Pid <= 0) return;
    ::kill(server.Pid, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (::waitpid(server.Pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            ::kill(server.Pid, SIGKILL);
            ::waitpid(server.Pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    server.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    server.Pid = -1;
}

#else

ServerProcess::~ServerProcess() = default;
bool StartServerProcess(const std::string&, const std::vector<std::string>&, const std::string&, ServerProcess&) {
    return false;
}
void StopServerProcess(ServerProcess&) {}

#endif


bool Prometheus::Start(std::uint16_t target) {
    std::filesystem::create_directories(Dir);
    {
        std::ofstream config(Dir / "prometheus.yml");
        config << "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\nscrape_configs:\n"
               << "  - job_name: zelmot\n    static_configs:\n      - targets: ['127.0.0.1:" << target << "']\n";
    }
    Port = FreeLoopbackPort();
    return StartServerProcess("prometheus",
                              {"--config.file=" + (Dir / "prometheus.yml").string(),
                               "--storage.tsdb.path=" + (Dir / "data").string(),
                               "--web.listen-address=127.0.0.1:" + std::to_string(Port), "--log.level=warn"},
                              (Dir / "prometheus.log").string(), Process) &&
           WaitForPort(Port, std::chrono::seconds(30));
}

std::optional<double> Prometheus::Query(const std::string& query) const {
    httplib::Client client("127.0.0.1", Port);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    auto result = client.Get("/api/v1/query", httplib::Params{{"query", query}}, httplib::Headers{});
    if (!result || result->status != 200) return std::nullopt;
    const ReportDocument answer = ReportDocument::parse(result->body, nullptr, false);
    if (answer.is_discarded() || answer.value("status", "") != "success") return std::nullopt;
    const auto& samples = answer["data"]["result"];
    if (!samples.is_array() || samples.size() != 1) return std::nullopt;
    return std::stod(samples[0]["value"][1].get<std::string>());
}

namespace {

// Asks every 250 ms until done says yes or limit has passed.
bool PollUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
}

}  // namespace

bool Prometheus::WaitForScrapes(int count, std::chrono::seconds limit) const {
    return PollUntil(
        [&] {
            const std::optional<double> scraped = Query("count_over_time(up{job=\"zelmot\"}[5m])");
            return scraped && *scraped >= count;
        },
        limit);
}

bool Prometheus::WaitForValue(const std::string& query, double value, std::chrono::seconds limit) const {
    return PollUntil([&] { return Query(query) == value; }, limit);
}

std::string Prometheus::Log() const { return FileText((Dir / "prometheus.log").string()); }

std::string HeadlessBrowser() {
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"})
        if (ProgramAvailable(name)) return name;
    return {};
}

ProcessRun BrowserDom(const std::string& browser, const std::string& url, const std::filesystem::path& profile) {
    return RunProcess(browser,
                      {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                       "--disable-component-update", "--disable-extensions", "--user-data-dir=" + profile.string(),
                       "--dump-dom", url},
                      {"", false});
}

namespace {

void CompareReports(const ReportDocument& want, const ReportDocument& got, const std::string& path, std::string& out) {
    if (want.is_object() && got.is_object()) {
        for (auto it = want.begin(); it != want.end(); ++it) {
            if (!got.contains(it.key())) out += path + "." + it.key() + " missing\n";
            else CompareReports(it.value(), got[it.key()], path + "." + it.key(), out);
        }
        return;
    }
    if (want.is_array() && got.is_array() && want.size() == got.size()) {
        for (std::size_t i = 0; i < want.size(); ++i)
            CompareReports(want[i], got[i], path + "[" + std::to_string(i) + "]", out);
        return;
    }
    if (want != got) out += path + ": " + want.dump().substr(0, 80) + " != " + got.dump().substr(0, 80) + "\n";
}

}  // namespace

std::string ReportDifferences(const ReportDocument& want, const ReportDocument& got) {
    std::string out;
    CompareReports(want, got, "", out);
    return out;
}

std::string HttpBodyOf(const std::string& answer) {
    const std::size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

std::unique_ptr<BusStats> ExampleStats() {
    RunSettings settings;
    ParseSharedOption("NumMin=all", settings, stderr);
    DeriveCaptureNames(std::string(ZELMOT_SOURCE_DIR) + "/examples/demo1200", settings);
    auto stats = std::make_unique<BusStats>();
    Outcome result = AnalyseCapture(settings, *stats, nullptr);
    if (!result.IsOk()) return nullptr;
    return stats;
}

std::map<std::string, double> MetricSamples(const std::string& text) {
    std::map<std::string, double> samples;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::size_t blank = line.rfind(' ');
        if (blank == std::string::npos) continue;
        const std::string value = line.substr(blank + 1);
        samples[line.substr(0, blank)] = value == "+Inf" ? HUGE_VAL : std::strtod(value.c_str(), nullptr);
    }
    return samples;
}

}  // namespace zelmot::test
