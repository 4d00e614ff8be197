// The MQTT publisher on libmosquitto: the bounded queue, the slaves' kept
// states, the hand-over to the library within the in-flight limit, the
// library's callbacks (connected, lost, acknowledged) and the flush at the
// end. One mutex guards the record; the library is called under it only
// with calls that queue and return (the network thread does the writing).
#include "watch/mqtt_link.h"

#ifdef ZELMOT_WATCH_MQTT

#include <mosquitto.h>

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "analysis/bus_stats.h"

namespace zelmot {

struct MqttMessage {
    std::string Topic;
    std::string Payload;
};

struct MqttLinkState {
    MqttSettings Settings;
    mosquitto* Client = nullptr;
    bool LoopRunning = false;
    std::mutex Lock;
    std::condition_variable Changed;  // something went out
    std::deque<MqttMessage> Queue;
    std::array<std::string, kStationCount> States;  // the last state of each slave ("" none yet)
    std::array<bool, kStationCount> StateWaiting{}; // not handed to the library since it changed or reconnected
    bool Connected = false;
    bool Stopping = false;
    bool UnreachableNoted = false;  // since the last connection
    std::uint64_t Inflight = 0;
    std::uint64_t Sent = 0;
    std::uint64_t Dropped = 0;
    std::uint64_t DroppedUnreported = 0;
    std::uint64_t Connects = 0;
};

namespace {

void Note(MqttLinkState& state, const std::string& text) {
    if (state.Settings.Log) state.Settings.Log("MQTT: " + text);
}

std::string StateTopic(const MqttLinkState& state, std::size_t address) {
    return state.Settings.Topic + "/slave/" + std::to_string(address) + "/state";
}

// Takes the next message to go out: a waiting state first, then the queue.
bool TakeNext(MqttLinkState& state, MqttMessage& next, bool& retain, std::size_t& stateAddress) {
    for (std::size_t address = 0; address < kStationCount; ++address)
        if (state.StateWaiting[address]) {
            state.StateWaiting[address] = false;
            next = {StateTopic(state, address), state.States[address]};
            retain = true;
            stateAddress = address;
            return true;
        }
    if (state.Queue.empty()) return false;
    next = std::move(state.Queue.front());
    state.Queue.pop_front();
    retain = false;
    stateAddress = kStationCount;
    return true;
}

// Hands messages to the library while the link is up and the in-flight
// limit allows. Called with the lock held, from either thread.
void Pump(MqttLinkState& state) {
    while (state.Connected && !state.Stopping && state.Inflight < state.Settings.InflightLimit) {
        MqttMessage next;
        bool retain = false;
        std::size_t stateAddress = kStationCount;
        if (!TakeNext(state, next, retain, stateAddress)) break;
        int rc = mosquitto_publish(state.Client, nullptr, next.Topic.c_str(), static_cast<int>(next.Payload.size()),
                                   next.Payload.data(), 1, retain);
        if (rc == MOSQ_ERR_SUCCESS) {
            ++state.Inflight;
            continue;
        }
        // Not taken: it waits for the next connection, as it was.
        if (stateAddress < kStationCount) state.StateWaiting[stateAddress] = true;
        else state.Queue.push_front(std::move(next));
        if (rc == MOSQ_ERR_NO_CONN) state.Connected = false;
        else Note(state, std::string("cannot publish: ") + mosquitto_strerror(rc));
        break;
    }
    if (state.Queue.empty() && state.DroppedUnreported > 0 && state.Connected) {
        Note(state, std::to_string(state.DroppedUnreported) + " messages were dropped while the queue was full");
        state.DroppedUnreported = 0;
    }
}

MqttLinkState& StateOf(void* user) { return *static_cast<MqttLinkState*>(user); }

void OnConnect(mosquitto*, void* user, int rc) {
    MqttLinkState& state = StateOf(user);
    std::lock_guard<std::mutex> lock(state.Lock);
    if (rc != 0) {
        Note(state, "the broker at " + HostPortText(state.Settings.Broker) +
                        " refused the connection: " + mosquitto_connack_string(rc));
        return;
    }
    state.Connected = true;
    state.UnreachableNoted = false;
    ++state.Connects;
    // Retained states again: the broker may have lost them.
    for (std::size_t address = 0; address < kStationCount; ++address)
        if (!state.States[address].empty()) state.StateWaiting[address] = true;
    Note(state, "connected to " + HostPortText(state.Settings.Broker));
    Pump(state);
}

void OnDisconnect(mosquitto*, void* user, int rc) {
    MqttLinkState& state = StateOf(user);
    std::lock_guard<std::mutex> lock(state.Lock);
    const bool was = state.Connected;
    state.Connected = false;
    if (was && !state.Stopping && rc != 0)
        Note(state, "connection to " + HostPortText(state.Settings.Broker) + " lost; reconnecting");
    if (!was && !state.Stopping && !state.UnreachableNoted) {
        Note(state, "cannot reach " + HostPortText(state.Settings.Broker) + "; trying again");
        state.UnreachableNoted = true;
    }
    state.Changed.notify_all();
}

void OnPublish(mosquitto*, void* user, int) {
    MqttLinkState& state = StateOf(user);
    std::lock_guard<std::mutex> lock(state.Lock);
    if (state.Inflight > 0) --state.Inflight;
    ++state.Sent;
    Pump(state);
    state.Changed.notify_all();
}

bool AllOut(const MqttLinkState& state) {
    if (!state.Queue.empty() || state.Inflight > 0) return false;
    for (bool waiting : state.StateWaiting)
        if (waiting) return false;
    return true;
}

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

bool MqttAvailable() { return true; }

MqttLink::MqttLink() = default;
MqttLink::MqttLink(MqttLink&&) noexcept = default;
MqttLink& MqttLink::operator=(MqttLink&& other) noexcept {
    if (this != &other) {
        StopMqtt(*this, std::chrono::milliseconds(0));
        State = std::move(other.State);
    }
    return *this;
}
MqttLink::~MqttLink() { StopMqtt(*this, std::chrono::milliseconds(0)); }

Outcome StartMqtt(MqttSettings settings, MqttLink& link) {
    StopMqtt(link, std::chrono::milliseconds(0));
    InitLibrary();
    auto state = std::make_unique<MqttLinkState>();
    state->Settings = std::move(settings);
    const MqttSettings& s = state->Settings;
    state->Client = mosquitto_new(s.ClientId.empty() ? nullptr : s.ClientId.c_str(), true, state.get());
    if (state->Client == nullptr) return ErrorText("Cannot start the MQTT client");
    mosquitto_connect_callback_set(state->Client, OnConnect);
    mosquitto_disconnect_callback_set(state->Client, OnDisconnect);
    mosquitto_publish_callback_set(state->Client, OnPublish);
    mosquitto_reconnect_delay_set(state->Client, 1, 30, true);
    mosquitto_max_inflight_messages_set(state->Client, s.InflightLimit);
    // The thread first: a first connection that fails before the thread
    // runs is never tried again by the library.
    int rc = mosquitto_loop_start(state->Client);
    if (rc != MOSQ_ERR_SUCCESS) {
        mosquitto_destroy(state->Client);
        return ErrorText("Cannot start the MQTT network thread: %s", mosquitto_strerror(rc));
    }
    state->LoopRunning = true;
    rc = mosquitto_connect_async(state->Client, s.Broker.Host.c_str(), s.Broker.Port,
                                 static_cast<int>(s.KeepAliveSeconds));
    if (rc != MOSQ_ERR_SUCCESS) {
        Note(*state, "cannot reach " + HostPortText(s.Broker) + " (" + mosquitto_strerror(rc) + "); trying again");
        state->UnreachableNoted = true;
    }
    link.State = std::move(state);
    return Success();
}

bool PublishMessage(MqttLink& link, std::string_view subtopic, std::string payload) {
    if (!link.State) return false;
    MqttLinkState& state = *link.State;
    std::lock_guard<std::mutex> lock(state.Lock);
    bool kept = true;
    if (state.Queue.size() >= state.Settings.QueueLimit) {
        if (state.DroppedUnreported == 0)
            Note(state, "the queue is full (" + std::to_string(state.Settings.QueueLimit) +
                            " messages): the oldest are dropped");
        state.Queue.pop_front();
        ++state.Dropped;
        ++state.DroppedUnreported;
        kept = false;
    }
    state.Queue.push_back({state.Settings.Topic + "/" + std::string(subtopic), std::move(payload)});
    Pump(state);
    return kept;
}

void PublishSlaveState(MqttLink& link, std::uint8_t address, std::string payload) {
    if (!link.State || address >= kStationCount) return;
    MqttLinkState& state = *link.State;
    std::lock_guard<std::mutex> lock(state.Lock);
    state.States[address] = std::move(payload);
    state.StateWaiting[address] = true;
    Pump(state);
}

MqttStatus MqttStatusOf(const MqttLink& link) {
    MqttStatus status;
    if (!link.State) return status;
    MqttLinkState& state = *link.State;
    std::lock_guard<std::mutex> lock(state.Lock);
    status.Connected = state.Connected;
    status.Queued = state.Queue.size();
    status.Inflight = state.Inflight;
    status.Sent = state.Sent;
    status.Dropped = state.Dropped;
    status.Connects = state.Connects;
    return status;
}

bool StopMqtt(MqttLink& link, std::chrono::milliseconds limit) {
    if (!link.State) return true;
    MqttLinkState& state = *link.State;
    bool allOut = false;
    {
        std::unique_lock<std::mutex> lock(state.Lock);
        allOut = state.Changed.wait_for(lock, limit, [&] { return AllOut(state); });
        state.Stopping = true;
        if (!allOut)
            Note(state, std::to_string(state.Queue.size() + state.Inflight) +
                            " messages not delivered at the end");
    }
    mosquitto_disconnect(state.Client);
    if (state.LoopRunning) mosquitto_loop_stop(state.Client, false);
    mosquitto_destroy(state.Client);
    link.State.reset();
    return allOut;
}

}  // namespace zelmot

#else  // no MQTT in this build

namespace zelmot {

struct MqttLinkState {};

bool MqttAvailable() { return false; }
MqttLink::MqttLink() = default;
MqttLink::MqttLink(MqttLink&&) noexcept = default;
MqttLink& MqttLink::operator=(MqttLink&&) noexcept = default;
MqttLink::~MqttLink() = default;
Outcome StartMqtt(MqttSettings, MqttLink&) { return ErrorText("This build of zelmot-watch has no MQTT"); }
bool PublishMessage(MqttLink&, std::string_view, std::string) { return false; }
void PublishSlaveState(MqttLink&, std::uint8_t, std::string) {}
MqttStatus MqttStatusOf(const MqttLink&) { return {}; }
bool StopMqtt(MqttLink&, std::chrono::milliseconds) { return true; }

}  // namespace zelmot

#endif
