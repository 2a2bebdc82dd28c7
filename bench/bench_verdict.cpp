// CR -> verdict shown, the whole Qt program: a pty whose master stands in for the gauge box, the
// real main window with its session (TRAVEK.INI, BOX.VAL, ablauf.abl and ablauf.tol in a scratch
// working folder), and a key output that only notes the time of the first key. For each of 300
// lines (values alternating OK, WARN and NOK, 20 ms apart) it takes the time from writing the CR to
// the first key, to the verdict reaching the view (showVerdict), and to the grid's next paint
// after it (the coloured row on the screen's buffer). Run it with QT_QPA_PLATFORM=offscreen, or on
// an X server.
#include "core/session/Session.h"
#include "core/typing/KeyOutput.h"
#include "gui/qt/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace travek;
using Clock = std::chrono::steady_clock;

namespace {

struct Times {
    std::optional<Clock::time_point> firstKey, shown, painted;
};
Times times;

class NotingKeys : public KeyOutput {
public:
    void sendKeys(std::string_view, PressGate*) override {
        if (!times.firstKey)
            times.firstKey = Clock::now();
    }
};

class TimedWindow : public MainWindow {
public:
    void showVerdict(const JudgedValue& value) override {
        MainWindow::showVerdict(value);
        times.shown = Clock::now();
    }
};

class PaintWatch : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && times.shown && !times.painted)
            times.painted = Clock::now();
        return false;
    }
};

void write(const char* name, const std::string& text) {
    if (FILE* f = std::fopen(name, "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

void print(const char* what, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    std::printf("CR -> %-28s median %8.1f us, p99 %8.1f us, max %8.1f us\n", what, micros[micros.size() / 2],
                micros[micros.size() * 99 / 100], micros.back());
}

} // namespace

int main(int argc, char** argv) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char dir[] = "/tmp/travek-verdict-XXXXXX";
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !::mkdtemp(dir) ||
        ::chdir(dir) != 0) {
        std::perror("set-up");
        return 1;
    }
    write("TRAVEK.INI", std::string("[PARAMETER]\r\nINTERFACE=BOX\r\nNK=3\r\n[COMPORTS]\r\nCOM1=") +
                            ::ptsname(master) + "\r\n");
    write("BOX.VAL", "[PARAMETER]\r\nCOMx=1\r\nCNTCH=1\r\nMW_SIGN1=A:\r\n");
    write("ablauf.abl", "1\t1\t{TAB};\r\n");
    write("ablauf.tol", "[SCHRITT 1]\r\nMERKMAL=D\r\nSOLL=10,000\r\nUGW=9,980\r\nOGW=10,050\r\n");

    QApplication app(argc, argv);
    NotingKeys keys;
    TimedWindow window;
    window.setKeyOutput(&keys);
    window.show();
    window.session().startUp();
    PaintWatch watch;
    window.gridView->viewport()->installEventFilter(&watch);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    const char* values[] = {"10,000", "10,040", "10,080"};
    std::vector<double> key, shown, painted;
    for (int i = 0; i < 300; ++i) {
        const std::string body = std::string("\nA: ") + values[i % 3];
        (void)::write(master, body.data(), body.size());
        QApplication::processEvents(); // the line's bytes arrive before its end
        times = {};
        const auto start = Clock::now();
        (void)::write(master, "\r", 1);
        while (!times.painted || !times.firstKey)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const auto us = [start](Clock::time_point t) {
            return std::chrono::duration<double, std::micro>(t - start).count();
        };
        key.push_back(us(*times.firstKey));
        shown.push_back(us(*times.shown));
        painted.push_back(us(*times.painted));
        QElapsedTimer gap;
        gap.start();
        while (gap.elapsed() < 20)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::printf("bench_verdict, platform %s, 300 lines:\n", qPrintable(QApplication::platformName()));
    print("first key", key);
    print("verdict at the view", shown);
    print("row painted", painted);
    window.close();
    for (const char* name : {"TRAVEK.INI", "BOX.VAL", "ablauf.abl", "ablauf.pst", "ablauf.tol"})
        ::unlink(name);
    ::rmdir(dir);
    return 0;
}
