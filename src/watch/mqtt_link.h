// zelmot-watch's MQTT publisher (libmosquitto, its own network thread).
// Publishing never blocks or slows the caller: a message goes into a
// bounded queue (the oldest is dropped, and counted, when it is full) and is
// handed to the library only while the link is up and fewer than
// InflightLimit messages wait for the broker's acknowledgement, so the
// library's own queue stays small too. Events and findings go with QoS 1;
// each DP slave's state is kept (one per address, never dropped) and
// published retained under <topic>/slave/<address>/state, again after every
// reconnect, so that a subscriber who comes later sees the plant as it is.
// The library reconnects on its own (after 1, 4, 9 ... at most 30 s). StopMqtt
// flushes within a time limit, then disconnects and joins the thread.
//
// Built where libmosquitto builds (ZELMOT_WATCH_MQTT); elsewhere StartMqtt
// says that the build has no MQTT.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/outcome.h"
#include "watch/watch_options.h"

namespace zelmot {

struct MqttSettings {
    HostPort Broker;
    std::string Topic;                // the prefix of every topic: "zelmot/line1"
    std::string ClientId;             // empty: the library makes one up
    std::size_t QueueLimit = 1000;
    unsigned InflightLimit = 20;
    unsigned KeepAliveSeconds = 30;
    // The link's notes ("MQTT: connected to ...", "... dropped ..."); called
    // on the library's thread, so it must be safe to call from any thread.
    std::function<void(const std::string&)> Log;
};

struct MqttStatus {
    bool Connected = false;
    std::uint64_t Queued = 0;      // in the bounded queue
    std::uint64_t Inflight = 0;    // handed to the library, not yet acknowledged
    std::uint64_t Sent = 0;        // acknowledged by the broker
    std::uint64_t Dropped = 0;     // dropped from a full queue
    std::uint64_t Connects = 0;    // successful connections, the first included
};

// Whether this build can publish to MQTT.
bool MqttAvailable();

struct MqttLinkState;

struct MqttLink {
    std::unique_ptr<MqttLinkState> State;
    MqttLink();
    MqttLink(MqttLink&&) noexcept;
    MqttLink& operator=(MqttLink&&) noexcept;
    ~MqttLink();  // stops without waiting for the queue
};

// Starts the network thread and the first connection attempt; a broker
// that is not there yet is no failure (the link keeps trying). Fails when
// the library cannot start or the build has no MQTT.
Outcome StartMqtt(MqttSettings settings, MqttLink& link);

// <topic>/<subtopic>, QoS 1, not retained. False when the queue was full
// and its oldest message was dropped for this one.
bool PublishMessage(MqttLink& link, std::string_view subtopic, std::string payload);

// <topic>/slave/<address>/state, QoS 1, retained; replaces the slave's last
// state if that has not gone out yet.
void PublishSlaveState(MqttLink& link, std::uint8_t address, std::string payload);

MqttStatus MqttStatusOf(const MqttLink& link);

// Waits up to limit for the queue, the states and the unacknowledged
// messages to go out, then disconnects and joins the network thread. True
// when everything went out.
bool StopMqtt(MqttLink& link, std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace zelmot
