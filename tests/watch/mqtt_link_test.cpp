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
#include "watch/mqtt_test_support.h"

namespace zelmot {
namespace {

namespace fs = std::filesystem;
using test::Broker;
using test::MosquittoProgram;
using test::Received;
using test::Subscriber;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct MqttTest : ::testing::Test {
    fs::path Dir;
    void SetUp() override {
        if (const char* why = test::RealServersSkipped()) GTEST_SKIP() << why;
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
