// Catching up after an outage: a measurement log of N records that the broker has not acknowledged
// yet, sent by the Publisher through libmosquitto on the Qt event loop to a broker on
// 127.0.0.1:PORT, one record in flight at a time, each acknowledgement kept in the state file.
//   bench_publish PORT [N]        (bench/publish.sh starts the broker)
// Prints the records per second.
#include "core/publish/Publisher.h"
#include "gui/qt/QtEventLoop.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace travek;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_publish PORT [RECORDS]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const long long records = argc > 2 ? std::atoll(argv[2]) : 10000;
    char folder[] = "/tmp/travek-bench-publish-XXXXXX";
    if (!::mkdtemp(folder))
        return 1;
    const std::string log = std::string(folder) + "/messung.csv";
    {
        std::ofstream out(log, std::ios::binary);
        out << "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster;Satz;Station;Bediener;Messmittel;Teil;"
               "Kette\r\n";
        for (long long satz = 1; satz <= records; ++satz)
            out << "2026-12-08T09:14:02.118+01:00;COM1;1;1;A: +12.345;12,345;;Formular - Editor;" << satz
                << ";S1;mueller;B\xFCgelmessschraube 4711;Los 17;"
                << "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08\r\n";
    }
    QtEventLoop loop;
    BrokerSettings settings{"127.0.0.1", port, "bench/S1", "bench-S1", "", "", ""};
    std::string failure;
    Publisher publisher(loop, settings, log, {{}, [](const std::string&) {}});
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::minutes(5);
    while (publisher.acknowledged() < records && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (!publisher.failure().empty() && failure != publisher.failure())
            std::fprintf(stderr, "bench_publish: %s\n", (failure = publisher.failure()).c_str());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);
    if (publisher.acknowledged() < records) {
        std::fprintf(stderr, "bench_publish: only %lld of %lld records acknowledged\n",
                     publisher.acknowledged(), records);
        return 1;
    }
    std::printf("catching up %lld records: %.2f s, %.0f records/s\n", records, seconds, records / seconds);
    return 0;
}
