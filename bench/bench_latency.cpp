// Latency of the whole measurement path: from writing a line's CR to the master side of a pty that
// stands in for the gauge box, through the serial driver and the receive handler, to the first key
// event at the keyboard layer. Prints median, p99 and maximum over 1000 lines.
#include "core/typing/Keyboard.h"
#include "core/typing/LayoutKeySender.h"
#include "core/session/ReceiveHandler.h"
#include "core/text/KeyString.h"
#include "core/serial/SerialPort.h"
#include "gui/qt/QtEventLoop.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace travek;
using Clock = std::chrono::steady_clock;

namespace {

class TimingKeyboard : public Keyboard {
public:
    std::optional<KeyStroke> lookupChar(char c) override { return KeyStroke{static_cast<unsigned char>(c), 0}; }
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
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("pty");
        return 1;
    }
    char dir[] = "/tmp/travek-latency-XXXXXX";
    if (!::mkdtemp(dir) || ::chdir(dir) != 0)
        return 1;
    const std::string ini = std::string("[COMPORTS]\nCOM1=") + ::ptsname(master) + "\n";
    if (FILE* f = std::fopen("TRAVEK.INI", "w")) {
        std::fputs(ini.c_str(), f);
        std::fclose(f);
    }

    InterfaceDefinition definition;
    definition.ChannelIds[1] = "A:";
    SequenceTable table;
    table.StepCount = 1;
    table.CurrentStep = 1;
    table.StepChannel[1] = 1;
    table.StepKeys[1] = "{TAB};";
    SeriesSettings series;
    std::uint8_t NK = 3;
    char separator = DefaultKeySeparator;
    TimingKeyboard keyboard;
    LayoutKeySender sender(keyboard, [] { QCoreApplication::processEvents(); });
    ReceiveHandler handler(definition, table, series, NK, separator, {[&](std::string_view k) { sender.SendKeys(k); }, {}});

    QtEventLoop loop;

    SerialPort driver{loop};
    driver.setComPort(pnCOM1);
    driver.setComPortPollingDelay(0);
    driver.OnReceiveData = [&](const void* data, std::int32_t size) {
        handler.receive(data, size);
    };
    if (!driver.OpenPort()) {
        std::fprintf(stderr, "cannot open the pty\n");
        return 1;
    }
    std::vector<double> micros;
    for (int i = 0; i < 1000; ++i) {
        const std::string body = "\nA: +" + std::to_string(i % 1000) + ",125";
        (void)::write(master, body.data(), body.size());
        QCoreApplication::processEvents(); // the line's bytes arrive before its end
        keyboard.firstEvent.reset();
        const auto start = Clock::now();
        (void)::write(master, "\r", 1);
        while (!keyboard.firstEvent)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        micros.push_back(std::chrono::duration<double, std::micro>(*keyboard.firstEvent - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("latency, CR written to the pty -> first key event, 1000 lines: median %.1f us, p99 %.1f us, max %.1f us\n",
                micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back());
    driver.ClosePort();
    ::unlink("TRAVEK.INI");
    ::rmdir(dir);
    return 0;
}
