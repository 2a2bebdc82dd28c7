// Figures of the serial driver on a pty standing in for the port:
//   1. CPU time the process uses in 10 s with the port open and the line idle, for the
//      readiness-driven mode (polling delay 0, the program's setting) and a 100 ms poll timer;
//   2. latency from writing a line's last byte to the pty master until onReceiveData has it,
//      median and 99th percentile over 1000 lines.
//
//   bench_serial [idle seconds]
#include "core/serial/SerialPort.h"
#include "gui/qt/QtEventLoop.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <semaphore>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace travek;
using Clock = std::chrono::steady_clock;

namespace {

struct Usage {
    double cpuMs;
    long wakeups; // voluntary context switches: how often the process went to sleep and woke
};

Usage currentUsage() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    return {cpu, usage.ru_nvcsw};
}

// A pty whose slave is COM1 through TRAVEK.INI in a scratch working directory.
struct PtyPort {
    PtyPort() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            std::perror("pty");
            std::exit(1);
        }
        char templ[] = "/tmp/travek-bench-XXXXXX";
        dir = ::mkdtemp(templ);
        std::filesystem::current_path(dir);
        std::ofstream("TRAVEK.INI") << "[COMPORTS]\nCOM1=" << ::ptsname(master) << "\n";
    }
    ~PtyPort() {
        ::close(master);
        std::filesystem::current_path("/");
        std::filesystem::remove_all(dir);
    }
    int master = -1;
    std::string dir;
};

void idleCpu(QCoreApplication& app, std::uint16_t pollingDelay, int seconds) {
    PtyPort pty;
    QtEventLoop loop;
    SerialPort driver{loop};
    driver.setPortIndex(PortIndex{0});
    driver.setPollingDelay(pollingDelay);
    long calls = 0;
    driver.onReceiveData = [&](const void*, std::int32_t) { ++calls; };
    if (!driver.open()) {
        std::printf("cannot open the pty\n");
        std::exit(1);
    }
    const Usage before = currentUsage();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const Usage after = currentUsage();
    std::printf(
        "idle, polling delay %3u ms: %.1f ms CPU in %d s (%.4f %% of a core), %ld wake-ups, %ld deliveries\n",
        pollingDelay, after.cpuMs - before.cpuMs, seconds, (after.cpuMs - before.cpuMs) / (seconds * 10.0),
        after.wakeups - before.wakeups, calls);
}

void measureLatency(QCoreApplication& app, int lines) {
    PtyPort pty;
    QtEventLoop loop;
    SerialPort driver{loop};
    driver.setPortIndex(PortIndex{0});
    driver.setPollingDelay(0);
    std::atomic<Clock::rep> lastByteWritten{0};
    std::binary_semaphore delivered{0};
    std::vector<double> latencies;
    latencies.reserve(static_cast<std::size_t>(lines));
    driver.onReceiveData = [&](const void* data, std::int32_t size) {
        const Clock::time_point now = Clock::now();
        const char* bytes = static_cast<const char*>(data);
        if (std::find(bytes, bytes + size, '\r') == bytes + size)
            return;
        const Clock::time_point sent{Clock::duration{lastByteWritten.load()}};
        latencies.push_back(std::chrono::duration<double, std::micro>(now - sent).count());
        delivered.release();
    };
    if (!driver.open()) {
        std::printf("cannot open the pty\n");
        std::exit(1);
    }
    std::thread device([&] {
        const std::string line = "A01   12.345\r";
        for (int i = 0; i < lines; ++i) {
            (void)::write(pty.master, line.data(), line.size() - 1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            lastByteWritten.store(Clock::now().time_since_epoch().count());
            (void)::write(pty.master, &line.back(), 1);
            delivered.acquire();
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    device.join();
    std::sort(latencies.begin(), latencies.end());
    auto percentile = [&](double p) {
        return latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(p * latencies.size()))];
    };
    std::printf(
        "latency, last byte to onReceiveData over %zu lines: median %.1f us, p99 %.1f us, max %.1f us\n",
        latencies.size(), percentile(0.5), percentile(0.99), latencies.back());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    measureLatency(app, 1000);
    idleCpu(app, 0, seconds);
    idleCpu(app, 100, seconds);
    return 0;
}
