// Test support for the watcher's parts: loopback ports chosen at run time,
// raw HTTP exchanges (for requests no client library would send), many
// connections at once, and the real servers the tests start themselves
// (mosquitto, prometheus; POSIX only) -- started on a free port, waited
// for, and stopped by the record's end -- and headless Chromium.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bus_stats.h"
#include "report/report_document.h"
#include "support/process_runner.h"

namespace zelmot::test {

// Why the tests with real servers (mosquitto, prometheus, Chromium, the
// watcher run end to end) are skipped in this build; null where they run:
// the Release build (the sanitizer and debug builds leave them out for
// time).
inline const char* RealServersSkipped() {
#ifdef ZELMOT_REAL_SERVER_TESTS
    return nullptr;
#else
    return "tests with real servers run in the Release build only";
#endif
}

// A port on 127.0.0.1 that nothing listens on just now.
std::uint16_t FreeLoopbackPort();

// Whether a connection to 127.0.0.1:port is accepted within limit.
bool WaitForPort(std::uint16_t port, std::chrono::milliseconds limit);

// Sends request as it stands and reads until the server closes the
// connection (or 5 s pass); "" when the connection failed.
std::string RawHttpExchange(std::uint16_t port, const std::string& request);

// The status code of a raw HTTP answer ("HTTP/1.1 404 ..." -> 404); 0 for none.
int HttpStatusOf(const std::string& answer);

// Opens count connections at once, then sends each the request, then reads
// every answer; the status code of each (0 where none came within limit).
std::vector<int> ManyConnections(std::uint16_t port, std::size_t count, const std::string& request,
                                 std::chrono::milliseconds limit);

// A server program run in the background (POSIX only).
struct ServerProcess {
    int Pid = -1;
    std::string LogPath;  // its standard output and error
    int ExitStatus = -1;  // after StopServerProcess: its exit status when it exited by itself
    ServerProcess() = default;
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess();
};

// Starts program with args, its output into logPath. False when it could not
// be started (or on Windows).
bool StartServerProcess(const std::string& program, const std::vector<std::string>& args,
                        const std::string& logPath, ServerProcess& server);

// SIGTERM, and SIGKILL when it has not ended after 5 s; waits for it.
void StopServerProcess(ServerProcess& server);

// A real Prometheus of the test's own (POSIX), scraping 127.0.0.1:target
// every second as job "zelmot"; its folder holds its configuration, data
// and log.
struct Prometheus {
    std::filesystem::path Dir;
    std::uint16_t Port = 0;
    ServerProcess Process;
    // Starts it on a free port and waits until it listens.
    bool Start(std::uint16_t target);
    // The value of an instant query's only sample; nullopt while there is none.
    std::optional<double> Query(const std::string& query) const;
    // Waits until it has scraped the target at least count times.
    bool WaitForScrapes(int count, std::chrono::seconds limit) const;
    // Waits until the query's only sample has this value.
    bool WaitForValue(const std::string& query, double value, std::chrono::seconds limit) const;
    std::string Log() const;
};

// The headless browser installed ("" when none is).
std::string HeadlessBrowser();

// The DOM the headless browser builds from url (its output), with a
// profile folder of its own.
ProcessRun BrowserDom(const std::string& browser, const std::string& url, const std::filesystem::path& profile);

// The text of a file ("" when it cannot be read).
std::string FileText(const std::filesystem::path& path);


// The bundled example capture (examples/demo1200, every minute) analysed
// as zelmot-stats analyses it: a finished BusStats with masters, slaves,
// damaged frames and DP slaves.
std::unique_ptr<BusStats> ExampleStats();

// Where want's values differ from got's or are missing there, one line
// each ("" when none); got may hold keys of its own.
std::string ReportDifferences(const ReportDocument& want, const ReportDocument& got);

// The body of an HTTP answer ("" without one).
std::string HttpBodyOf(const std::string& answer);

// The samples of a Prometheus text: "name{labels}" as written -> value.
std::map<std::string, double> MetricSamples(const std::string& text);

}  // namespace zelmot::test
