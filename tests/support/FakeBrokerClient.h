#pragma once

#include "core/publish/BrokerClient.h"
#include "support/FakeEventLoop.h"

#include <chrono>
#include <string>
#include <vector>

namespace travek::test {

// A broker that the test plays: it sees each attempt (with the loop's time) and each message, and
// answers through the handlers when the test says.
struct FakeBroker {
    std::vector<std::chrono::milliseconds> attempts;
    std::vector<std::string> published;
    BrokerClient::Handlers handlers;

    // How Publisher makes its client.
    auto factory(FakeEventLoop& loop) {
        return [this, &loop](EventLoop&, const BrokerSettings&, BrokerClient::Handlers given) {
            handlers = std::move(given);
            return std::unique_ptr<BrokerClient>(new Client(*this, loop));
        };
    }

private:
    struct Client : BrokerClient {
        Client(FakeBroker& broker, FakeEventLoop& loop) : broker(broker), loop(loop) {}
        void connect() override { broker.attempts.push_back(loop.now()); }
        void publish(const std::string&, const std::string& payload) override {
            broker.published.push_back(payload);
        }
        void disconnect() override {}
        FakeBroker& broker;
        FakeEventLoop& loop;
    };
};

} // namespace travek::test
