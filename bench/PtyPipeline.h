#pragma once

// The measurement path of the latency benchmarks: a pty whose master stands in for the gauge box,
// mapped as COM1 in a scratch working directory, the serial driver on the Qt event loop, and the
// receive handler following a one-step sequence (channel "A:", then {TAB}). The keys go to
// sendKeys; with a log, each line's row goes to the measurement log after its keys, as in the
// program.
#include "core/files/MeasurementLog.h"
#include "core/serial/SerialPort.h"
#include "core/session/ReceiveHandler.h"
#include "core/text/KeyString.h"
#include "gui/qt/QtEventLoop.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>

namespace travek::bench {

class PtyPipeline {
public:
    explicit PtyPipeline(std::function<void(std::string_view)> sendKeys, bool log = false)
        : m_handler(m_definition, m_table, m_series, m_decimals, DefaultKeySeparator,
                    {[keys = std::move(sendKeys)](std::string_view k) { keys(k); },
                     {},
                     [this, log](const LineOutcome& outcome) {
                         if (log)
                             m_log.append({"COM1",
                                           outcome.channel,
                                           outcome.step,
                                           outcome.line,
                                           outcome.typed,
                                           {},
                                           "Messung Los 7.ods - LibreOffice Calc"});
                     }}) {
        m_definition.channelIds[1] = "A:";
        m_table.stepCount = 1;
        m_table.currentStep = 1;
        m_table.stepChannel[1] = 1;
        m_table.stepKeys[1] = "{TAB};";
    }
    ~PtyPipeline() {
        m_driver.close();
        if (m_master >= 0) {
            ::unlink("TRAVEK.INI");
            ::unlink("messung.csv");
            ::rmdir(m_dir);
        }
    }

    // False, with the reason on standard error, when the pty or the port cannot be opened.
    bool open() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            std::perror("pty");
            return false;
        }
        if (!::mkdtemp(m_dir) || ::chdir(m_dir) != 0)
            return false;
        if (FILE* f = std::fopen("TRAVEK.INI", "w")) {
            std::fprintf(f, "[COMPORTS]\nCOM1=%s\n", ::ptsname(m_master));
            std::fclose(f);
        }
        m_driver.setPortIndex(PortIndex{0});
        m_driver.setPollingDelay(0);
        m_driver.onReceiveData = [this](const void* data, std::int32_t size) {
            m_handler.receive(data, size);
        };
        if (!m_driver.open()) {
            std::fprintf(stderr, "cannot open the pty\n");
            return false;
        }
        return true;
    }

    // What the box writes.
    void send(const std::string& bytes) const { (void)::write(m_master, bytes.data(), bytes.size()); }

private:
    char m_dir[32] = "/tmp/travek-bench-XXXXXX";
    int m_master = -1;
    InterfaceDefinition m_definition;
    SequenceTable m_table;
    SeriesSettings m_series;
    std::uint8_t m_decimals = 3;
    MeasurementLog m_log{"messung.csv"};
    ReceiveHandler m_handler;
    QtEventLoop m_loop;
    SerialPort m_driver{m_loop};
};

} // namespace travek::bench
