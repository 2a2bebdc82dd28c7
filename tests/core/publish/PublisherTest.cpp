#include "core/publish/Publisher.h"
#include "core/publish/LogOutbox.h"
#include "core/publish/ReconnectDelay.h"
#include "support/FakeBrokerClient.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;

namespace {

const std::string Header = "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster;Satz;Station;Kette\r\n";

std::string row(long long satz, const std::string& typed = "1,5") {
    return "2026-12-08T09:" + std::to_string(10 + satz % 50) + ":02.118+01:00;COM1;1;1;CH 1;" + typed +
           ";;Formular;" + std::to_string(satz) + ";S7;ab" + std::to_string(satz) + "\r\n";
}

std::string rows(long long from, long long to) {
    std::string text = Header;
    for (long long satz = from; satz <= to; ++satz)
        text += row(satz);
    return text;
}

long long satzOf(const std::string& json) {
    const auto at = json.find("\"Satz\":");
    return at == std::string::npos ? -1 : std::stoll(json.substr(at + 7));
}

struct Station {
    TempDir dir;
    FakeEventLoop loop;
    FakeBroker broker;
    std::vector<std::string> events;
    BrokerSettings settings{"127.0.0.1", 1883, "travek/S7", "S7", "", "", ""};

    std::unique_ptr<Publisher> start() {
        auto publisher = std::make_unique<Publisher>(
            loop, settings, dir.file("messung.csv"),
            Publisher::Outputs{{}, [this](const std::string& event) { events.push_back(event); }},
            broker.factory(loop));
        loop.advance(0ms);
        return publisher;
    }
    // The broker acknowledges every message as it comes, until count have been.
    void acknowledge(std::size_t count) {
        while (broker.published.size() < count) {
            const std::size_t before = broker.published.size();
            broker.handlers.acknowledged();
            if (broker.published.size() == before)
                break;
        }
    }
};

} // namespace

TEST(LogRecord, TheMessageHasTheRowsFieldsByColumnNumbersAsNumbersTextsAsUtf8) {
    const auto columns = LogRecord::columns("Zeit;Kanal;Getippt;Hinweis;Satz;Station;Messmittel");
    const auto record =
        LogRecord::parse(columns, "2026-12-08T09:14:02.118+01:00;3;-012,340;\"'=1;\"\"B\xFC\"\"\";17;4711;");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->satz, 17);
    EXPECT_EQ(record->json, "{\"Zeit\":\"2026-12-08T09:14:02.118+01:00\",\"Kanal\":3,\"Getippt\":-12.340,"
                            "\"Hinweis\":\"'=1;\\\"B\xC3\xBC\\\"\",\"Satz\":17,\"Station\":\"4711\","
                            "\"Messmittel\":\"\"}");
    // Nothing typed: no number, not a zero.
    EXPECT_NE(LogRecord::parse(columns, "t;3;;x;18;S;")->json.find("\"Getippt\":null"), std::string::npos);
    // A row from before the record number, or one a full disk cut short, is not a record.
    EXPECT_FALSE(LogRecord::parse(columns, "t;3;1,5;;;S;"));
    EXPECT_FALSE(LogRecord::parse(columns, "t;3;1,5;;19"));
}

TEST(LogOutbox, RecordsFollowInOrderAcrossARotationThatHappensWhileReading) {
    TempDir dir;
    dir.write("messung.csv", rows(1, 3));
    dir.write("messung-alt.csv", "Zeit;Port\r\nx;y\r\n"); // beside it, not of it
    LogOutbox outbox(dir.file("messung.csv"));
    EXPECT_EQ(outbox.next(0)->satz, 1);
    EXPECT_EQ(outbox.next(1)->satz, 2);
    // Rows written after the last read, then the file renamed away and a new one begun.
    std::string old = dir.read("messung.csv") + row(4) + row(5);
    dir.write("messung.csv.1", old);
    std::remove(dir.file("messung.csv").c_str());
    dir.write("messung.csv", Header + row(6));
    for (long long satz = 2; satz <= 5; ++satz)
        EXPECT_EQ(outbox.next(satz)->satz, satz + 1);
    EXPECT_FALSE(outbox.next(6));
    EXPECT_EQ(outbox.newest(), 6);
    // From the start again (a new outbox after a restart): the older file first.
    EXPECT_EQ(LogOutbox(dir.file("messung.csv")).next(2)->satz, 3);
}

TEST(Publisher, SendsEachRecordOnceInOrderAndGoesOnAfterARestartFromTheAcknowledgedOne) {
    Station station;
    station.dir.write("messung.csv", rows(1, 5));
    auto publisher = station.start();
    ASSERT_EQ(station.broker.attempts.size(), 1u);
    station.broker.handlers.connected();
    ASSERT_EQ(station.broker.published.size(), 1u); // one in flight at a time
    station.acknowledge(3);
    EXPECT_EQ(Publisher::readAcknowledged(publisher->statePath()), 2);
    // Killed with Satz 3 in flight: it is sent again, once.
    publisher.reset();
    station.dir.write("messung.csv", station.dir.read("messung.csv") + row(6));
    publisher = station.start();
    station.broker.handlers.connected();
    station.acknowledge(7);
    station.broker.handlers.acknowledged();
    std::vector<long long> sent;
    for (const auto& message : station.broker.published)
        sent.push_back(satzOf(message));
    EXPECT_EQ(sent, (std::vector<long long>{1, 2, 3, 3, 4, 5, 6}));
    EXPECT_EQ(publisher->acknowledged(), 6);
    EXPECT_EQ(publisher->notice(), "");
}

TEST(Publisher, WaitsLongerAfterEachFailureNeverTriesTwiceInASecondAndSaysWhatWaitsAndWhy) {
    Station station;
    station.dir.write("messung.csv", rows(1, 3));
    auto publisher = station.start();
    station.broker.handlers.connected();
    station.broker.handlers.acknowledged();
    std::vector<std::chrono::milliseconds> waits;
    auto failThenWait = [&](bool accepted, const std::string& why) {
        if (accepted)
            station.broker.handlers.connected();
        station.broker.handlers.ended(why);
        const auto failedAt = station.loop.now();
        const std::size_t tries = station.broker.attempts.size();
        station.loop.advance(ReconnectDelay::Longest);
        ASSERT_EQ(station.broker.attempts.size(), tries + 1);
        waits.push_back(station.broker.attempts.back() - failedAt);
    };
    // Accepted and dropped at once, again and again (another station with the same client ID):
    // no storm; then refused outright.
    failThenWait(false, "Verbindung verloren");
    for (int i = 0; i < 7; ++i)
        failThenWait(true, "Verbindung verloren");
    for (int i = 0; i < 3; ++i)
        failThenWait(false, "Verbindung abgewiesen (127.0.0.1:1883)");
    const std::chrono::milliseconds most[] = {1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s, 60s, 60s, 60s};
    for (std::size_t i = 0; i < waits.size(); ++i) {
        EXPECT_GE(waits[i], std::max<std::chrono::milliseconds>(1s, most[i] / 2)) << i;
        EXPECT_LE(waits[i], most[i]) << i;
    }
    EXPECT_EQ(publisher->notice(), "MQTT: 2 S\xE4tze nicht \xFC"
                                   "bertragen seit 09:12 \x96 Verbindung abgewiesen (127.0.0.1:1883)");
    ASSERT_GE(station.events.size(), 3u);
    EXPECT_EQ(station.events[0], "MQTT: verbunden mit 127.0.0.1:1883");
    EXPECT_EQ(station.events[1], "MQTT: Verbindung getrennt: Verbindung verloren");
    EXPECT_EQ(station.events[2], "MQTT: Verbindung zu 127.0.0.1:1883 wieder hergestellt");
}
