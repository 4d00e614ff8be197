// The MQTT publisher against a real broker (Debian's mosquitto, started by
// the test on a free loopback port with a persistent store): a subscriber
// gets the QoS 1 messages and the retained states; the broker stopped and
// started again mid-run blocks no publisher and loses nothing; a broker
// that is not there yet gets the states once it is; a full queue drops the
// oldest; the stop flushes or gives up in its time. Skipped where
// mosquitto is not installed (and in builds without MQTT).
#include <gtest/gtest.h>

#include "watch/mqtt_link.h"
#include "watch/watch_test_support.h"

#ifdef ZELMOT_WATCH_MQTT

#include <mosquitto.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

#include "support/process_runner.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string MosquittoProgram() {
    for (const char* candidate : {"mosquitto", "/usr/sbin/mosquitto"})
        if (test::ProgramAvailable(candidate)) return candidate;
    return {};
}

// A broker of the test's own: its folder (configuration, store, log) and
// its port.
struct Broker {
    fs::path Dir;
    std::uint16_t Port = 0;
    test::ServerProcess Process;
    int Starts = 0;  // each run logs into broker<n>.log

    bool Start() {
        std::ofstream config(Dir / "mosquitto.conf");
        config << "listener " << Port << " 127.0.0.1\nallow_anonymous true\npersistence true\n"
               << "persistence_location " << (Dir / "store").string() << "/\nlog_type error\nlog_type warning\n";
        config.close();
        // Started as root, mosquitto runs as its own user, which must be
        // able to save the store (the sessions) when it is stopped.
        fs::create_directories(Dir / "store");
        fs::permissions(Dir / "store", fs::perms::all);
        ++Starts;
        return test::StartServerProcess(MosquittoProgram(), {"-c", (Dir / "mosquitto.conf").string()},
                                        (Dir / ("broker" + std::to_string(Starts) + ".log")).string(), Process) &&
               test::WaitForPort(Port, 10s);
    }
    void Stop() { test::StopServerProcess(Process); }
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

struct MqttTest : ::testing::Test {
    fs::path Dir;
    void SetUp() override {
        if (MosquittoProgram().empty()) GTEST_SKIP() << "mosquitto is not installed";
        Dir = fs::temp_directory_path() /
              ("zelmot-mqtt-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!Dir.empty()) fs::remove_all(Dir, ignored);
    }
    MqttSettings Settings(std::uint16_t port) {
        MqttSettings settings;
        settings.Broker = {"127.0.0.1", port};
        settings.Topic = "zelmot/test";
        settings.Log = [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(NotesLock);
            Notes.push_back(line);
        };
        return settings;
    }
    std::mutex NotesLock;
    std::vector<std::string> Notes;
    std::string NotesText() {
        std::lock_guard<std::mutex> lock(NotesLock);
        std::string all;
        for (const std::string& note : Notes) all += note + "\n";
        return all;
    }
};

std::set<std::string> EventPayloads(const std::vector<Received>& got) {
    std::set<std::string> payloads;
    for (const Received& r : got)
        if (r.Topic == "zelmot/test/event") payloads.insert(r.Payload);
    return payloads;
}

std::string Event(int n) { return "{\"n\":" + std::to_string(n) + "}"; }

// The events from .. to - 1 not received, as "12 31".
std::string MissingEvents(const std::vector<Received>& got, int from, int to) {
    std::set<std::string> payloads = EventPayloads(got);
    std::string missing;
    for (int n = from; n < to; ++n)
        if (payloads.count(Event(n)) == 0) missing += std::to_string(n) + " ";
    return missing;
}

bool HasEvents(const std::vector<Received>& got, int from, int to) {
    std::set<std::string> payloads = EventPayloads(got);
    for (int n = from; n < to; ++n)
        if (payloads.count(Event(n)) == 0) return false;
    return true;
}

// The last payload received on topic, "" for none.
std::string LastOn(const std::vector<Received>& got, const std::string& topic) {
    std::string last;
    for (const Received& r : got)
        if (r.Topic == topic) last = r.Payload;
    return last;
}

TEST_F(MqttTest, MessagesAndStatesArriveAndABrokerRestartLosesNothingAndBlocksNothing) {
    Broker broker{Dir, test::FreeLoopbackPort(), {}, 0};
    ASSERT_TRUE(broker.Start()) << test::FileText((Dir / "broker1.log").string()) << test::FileText((Dir / "broker2.log").string());
    Subscriber subscriber;
    ASSERT_TRUE(subscriber.Start(broker.Port, "zelmot-test-dashboard", true, "zelmot/test/#"));

    MqttLink link;
    ASSERT_TRUE(StartMqtt(Settings(broker.Port), link).IsOk());
    PublishSlaveState(link, 5, "{\"state\":\"data_exchange\"}");
    PublishSlaveState(link, 6, "{\"state\":\"configured\"}");
    for (int n = 0; n < 10; ++n) EXPECT_TRUE(PublishMessage(link, "event", Event(n)));
    ASSERT_TRUE(subscriber.WaitFor([](const auto& got) { return HasEvents(got, 0, 10); }, 10s));
    ASSERT_TRUE(subscriber.WaitFor(
        [](const auto& got) { return !LastOn(got, "zelmot/test/slave/6/state").empty(); }, 10s));
    EXPECT_EQ(LastOn(subscriber.Messages(), "zelmot/test/slave/5/state"), "{\"state\":\"data_exchange\"}");

    // The broker goes away; the analysis goes on publishing.
    broker.Stop();
    const auto before = Clock::now();
    for (int n = 10; n < 30; ++n) PublishMessage(link, "event", Event(n));
    PublishSlaveState(link, 5, "{\"state\":\"offline\"}");
    EXPECT_LT(Clock::now() - before, 1s) << "publishing waited for the broker";
    ASSERT_TRUE(broker.Start());
    for (int n = 30; n < 40; ++n) PublishMessage(link, "event", Event(n));
    EXPECT_TRUE(subscriber.WaitFor([](const auto& got) { return HasEvents(got, 0, 40); }, 30s))
        << "missing " << MissingEvents(subscriber.Messages(), 0, 40) << "; " << NotesText() << "queued "
        << MqttStatusOf(link).Queued << ", in flight " << MqttStatusOf(link).Inflight << "\n"
        << test::FileText((Dir / "broker1.log").string()) << test::FileText((Dir / "broker2.log").string());
    EXPECT_TRUE(subscriber.WaitFor(
        [](const auto& got) { return LastOn(got, "zelmot/test/slave/5/state") == "{\"state\":\"offline\"}"; }, 10s));
    EXPECT_GE(MqttStatusOf(link).Connects, 2u);
    EXPECT_EQ(MqttStatusOf(link).Dropped, 0u);
    EXPECT_TRUE(StopMqtt(link, 5s));

    // A dashboard that connects now sees each slave's state, retained.
    Subscriber late;
    ASSERT_TRUE(late.Start(broker.Port, "zelmot-test-late", false, "zelmot/test/slave/+/state"));
    ASSERT_TRUE(late.WaitFor([](const auto& got) { return got.size() >= 2; }, 10s));
    const auto retained = late.Messages();
    EXPECT_EQ(LastOn(retained, "zelmot/test/slave/5/state"), "{\"state\":\"offline\"}");
    EXPECT_EQ(LastOn(retained, "zelmot/test/slave/6/state"), "{\"state\":\"configured\"}");
    for (const Received& r : retained) EXPECT_TRUE(r.Retained) << r.Topic;
}

TEST_F(MqttTest, ABrokerThatComesLaterGetsTheStatesAndTheQueue) {
    Broker broker{Dir, test::FreeLoopbackPort(), {}, 0};
    MqttLink link;
    ASSERT_TRUE(StartMqtt(Settings(broker.Port), link).IsOk());
    PublishSlaveState(link, 9, "{\"state\":\"diagnosis\"}");
    EXPECT_TRUE(PublishMessage(link, "event", Event(1)));
    EXPECT_FALSE(MqttStatusOf(link).Connected);
    EXPECT_EQ(MqttStatusOf(link).Queued, 1u);
    ASSERT_TRUE(broker.Start());
    Subscriber subscriber;
    ASSERT_TRUE(subscriber.Start(broker.Port, "zelmot-test-later", false, "zelmot/test/#"));
    EXPECT_TRUE(subscriber.WaitFor(
        [](const auto& got) { return LastOn(got, "zelmot/test/slave/9/state") == "{\"state\":\"diagnosis\"}"; },
        20s));
    EXPECT_TRUE(StopMqtt(link, 5s));
    std::lock_guard<std::mutex> lock(NotesLock);
    const std::string address = "127.0.0.1:" + std::to_string(broker.Port);
    ASSERT_EQ(Notes.size(), 2u);
    EXPECT_EQ(Notes[0], "MQTT: cannot reach " + address + "; trying again");
    EXPECT_EQ(Notes[1], "MQTT: connected to " + address);
}

TEST_F(MqttTest, AFullQueueDropsTheOldestAndTheStopGivesUpInTime) {
    MqttSettings settings = Settings(test::FreeLoopbackPort());  // nothing listens there
    settings.QueueLimit = 3;
    MqttLink link;
    ASSERT_TRUE(StartMqtt(settings, link).IsOk());
    for (int n = 0; n < 5; ++n) EXPECT_EQ(PublishMessage(link, "event", Event(n)), n < 3);
    MqttStatus status = MqttStatusOf(link);
    EXPECT_EQ(status.Queued, 3u);
    EXPECT_EQ(status.Dropped, 2u);
    const auto start = Clock::now();
    EXPECT_FALSE(StopMqtt(link, 300ms));
    EXPECT_LT(Clock::now() - start, 5s);
    std::lock_guard<std::mutex> lock(NotesLock);
    std::string all;
    for (const std::string& note : Notes) all += note + "\n";
    EXPECT_NE(all.find("MQTT: the queue is full (3 messages): the oldest are dropped\n"), std::string::npos) << all;
    EXPECT_NE(all.find("MQTT: 3 messages not delivered at the end\n"), std::string::npos) << all;
}

}  // namespace
}  // namespace zelmot

#else

TEST(MqttLink, ThisBuildSaysItHasNoMqtt) {
    zelmot::MqttLink link;
    EXPECT_FALSE(zelmot::MqttAvailable());
    EXPECT_EQ(zelmot::StartMqtt({}, link).Text, "This build of zelmot-watch has no MQTT");
}

#endif
