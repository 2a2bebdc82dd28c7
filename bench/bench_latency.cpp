// Latency of the whole measurement path: from writing a line's CR to the master side of a pty that
// stands in for the gauge box, through the serial driver and the receive handler, to the first key
// event at the keyboard layer. Prints median, p99 and maximum over 1000 lines. With --log, each
// line's row (with its chain value) is written to a measurement log after its keys.
#include "PtyPipeline.h"
#include "core/typing/Keyboard.h"
#include "core/typing/LayoutKeySender.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace travek;
using Clock = std::chrono::steady_clock;

namespace {

class TimingKeyboard : public Keyboard {
public:
    std::optional<KeyStroke> lookupChar(char c) override {
        return KeyStroke{static_cast<unsigned char>(c), 0};
    }
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    void sendKey(std::uint32_t, bool) override {
        if (!firstEvent)
            firstEvent = Clock::now();
    }
    bool capsLockOn() override { return false; }
    std::optional<Clock::time_point> firstEvent;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TimingKeyboard keyboard;
    LayoutKeySender sender(keyboard, [] { QCoreApplication::processEvents(); });
    const bool log = argc > 1 && std::string(argv[1]) == "--log";
    bench::PtyPipeline box([&](std::string_view k) { sender.sendKeys(k); }, log);
    if (!box.open())
        return 1;
    std::vector<double> micros;
    for (int i = 0; i < 1000; ++i) {
        const std::string body = "\nA: +" + std::to_string(i % 1000) + ",125";
        box.send(body);
        QCoreApplication::processEvents(); // the line's bytes arrive before its end
        keyboard.firstEvent.reset();
        const auto start = Clock::now();
        box.send("\r");
        while (!keyboard.firstEvent)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        micros.push_back(std::chrono::duration<double, std::micro>(*keyboard.firstEvent - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf(
        "latency%s, CR written to the pty -> first key event, 1000 lines: median %.1f us, p99 %.1f us, "
        "max %.1f us\n",
        log ? " with the log" : "", micros[micros.size() / 2], micros[micros.size() * 99 / 100],
        micros.back());
    return 0;
}
