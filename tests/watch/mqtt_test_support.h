// The real MQTT broker the tests start (Debian's mosquitto, on a free
// loopback port with a persistent store) and a subscriber on libmosquitto
// that collects what it is sent: for the publisher's tests and the
// watcher's end-to-end test alike. Only in builds with MQTT.
#pragma once

#ifdef ZELMOT_WATCH_MQTT

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "support/process_runner.h"
#include "watch/watch_test_support.h"

namespace zelmot::test {

using namespace std::chrono_literals;

inline std::string MosquittoProgram() {
    for (const char* candidate : {"mosquitto", "/usr/sbin/mosquitto"})
        if (ProgramAvailable(candidate)) return candidate;
    return {};
}

// A broker of the test's own: its folder (configuration, store, log) and
// its port.
struct Broker {
    std::filesystem::path Dir;
    std::uint16_t Port = 0;
    ServerProcess Process;
    int Starts = 0;  // each run logs into broker<n>.log

    bool Start() {
        std::ofstream config(Dir / "mosquitto.conf");
        config << "listener " << Port << " 127.0.0.1\nallow_anonymous true\npersistence true\n"
               << "persistence_location " << (Dir / "store").string() << "/\nlog_type error\nlog_type warning\n";
        config.close();
        // Started as root, mosquitto runs as its own user, which must be
        // able to save the store (the sessions) when it is stopped.
        std::filesystem::create_directories(Dir / "store");
        std::filesystem::permissions(Dir / "store", std::filesystem::perms::all);
        ++Starts;
        return StartServerProcess(MosquittoProgram(), {"-c", (Dir / "mosquitto.conf").string()},
                                        (Dir / ("broker" + std::to_string(Starts) + ".log")).string(), Process) &&
               WaitForPort(Port, 10s);
    }
    void Stop() { StopServerProcess(Process); }
};

struct Received {
    std::string Topic;
    std::string Payload;
    bool Retained = false;
};

// A subscriber on libmosquitto with its own network thread; with a fixed
// id and a kept session the broker holds its QoS 1 messages while it is
// away, across a restart too.
struct Subscriber {
    mosquitto* Client = nullptr;
    std::string Filter;
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<Received> Got;
    bool Subscribed = false;

    bool Start(std::uint16_t port, const std::string& id, bool keepSession, const std::string& filter) {
        mosquitto_lib_init();
        Filter = filter;
        Client = mosquitto_new(id.c_str(), !keepSession, this);
        mosquitto_connect_callback_set(Client, [](mosquitto* m, void* self, int rc) {
            if (rc == 0) mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->Filter.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(Client, [](mosquitto*, void* self, int, int, const int*) {
            auto& s = *static_cast<Subscriber*>(self);
            std::lock_guard<std::mutex> lock(s.Lock);
            s.Subscribed = true;
            s.Changed.notify_all();
        });
        mosquitto_message_callback_set(Client, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto& s = *static_cast<Subscriber*>(self);
            std::lock_guard<std::mutex> lock(s.Lock);
            s.Got.push_back({m->topic, std::string(static_cast<const char*>(m->payload),
                                                   static_cast<std::size_t>(m->payloadlen)),
                             m->retain});
            s.Changed.notify_all();
        });
        mosquitto_reconnect_delay_set(Client, 1, 1, false);
        if (mosquitto_connect(Client, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS) return false;
        if (mosquitto_loop_start(Client) != MOSQ_ERR_SUCCESS) return false;
        std::unique_lock<std::mutex> lock(Lock);
        return Changed.wait_for(lock, 10s, [&] { return Subscribed; });
    }
    bool WaitFor(const std::function<bool(const std::vector<Received>&)>& done, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(Lock);
        return Changed.wait_for(lock, limit, [&] { return done(Got); });
    }
    std::vector<Received> Messages() {
        std::lock_guard<std::mutex> lock(Lock);
        return Got;
    }
    ~Subscriber() {
        if (Client == nullptr) return;
        mosquitto_disconnect(Client);
        mosquitto_loop_stop(Client, false);
        mosquitto_destroy(Client);
    }
};

}  // namespace zelmot::test

#endif
