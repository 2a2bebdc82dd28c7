#pragma once

#include "core/serial/SerialDevice.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace travek::test {

// A port that opens when told to and records what reaches it, each write with the time a clock
// of the test's choice gives.
class FakeSerialDevice : public SerialDevice {
public:
    struct Log {
        bool openable = true;
        OpenFailure failure = OpenFailure::Missing; // while not openable
        int opens = 0;
        std::uint8_t openedIndex = 0;
        SerialSettings settings;
        std::string written;
        std::vector<std::pair<std::string, long long>> writes;
        std::function<long long()> clock = [] { return 0LL; };
        bool open = false;
        Return returns = Return::Back;
    };
    explicit FakeSerialDevice(std::shared_ptr<Log> log) : m_log(std::move(log)) {}
    bool open(std::uint8_t comPort) override {
        ++m_log->opens;
        m_log->openedIndex = comPort;
        return m_log->open = m_log->openable;
    }
    OpenFailure openFailure() const override { return m_log->failure; }
    bool isOpen() const override { return m_log->open; }
    void configure(const SerialSettings& settings) override { m_log->settings = settings; }
    ReadResult read(void*, std::int32_t) override { return {}; }
    bool write(const void* data, std::int32_t count) override {
        const std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(count));
        m_log->written += bytes;
        m_log->writes.emplace_back(bytes, m_log->clock());
        return true;
    }
    void close() override { m_log->open = false; }
    std::intptr_t nativeHandle() const override { return m_log->open ? 42 : -1; }
    Return checkReturn(std::uint8_t) override { return m_log->returns; }

private:
    std::shared_ptr<Log> m_log;
};

} // namespace travek::test
