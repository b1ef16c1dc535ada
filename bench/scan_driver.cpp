// Walks a host folder mapped as drive S: with the engine's scanner and
// prints every found path, as find and fd print theirs.
//
// usage: scan_driver HOSTDIR PATTERNS [--quiet]
// QUORVANE_SCAN_READERS=N sets the number of read-ahead threads, all started
// at once (by default they start only once the disk has to be waited for).
// Prints "found N" and "peak_rss_kb N" to stderr.

#include "engine/scan/scanner.h"
#include "engine/scan/walkcache.h"
#include "engine/scan/worker.h"
#include "platform/headlesstoolkit.h"
#include "platform/host/hostfilesystem.h"
#include "platform/processtuning.h"
#include "platform/services.h"

#include <QFile>
#include <QStringEncoder>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace quorvane;

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HOSTDIR PATTERNS [--quiet]\n", argv[0]);
        return 2;
    }
    const bool quiet = argc > 3 && std::strcmp(argv[3], "--quiet") == 0;
    platform::keepFreedMemory(); // as the program does
    platform::DriveMap map;
    map.set(QLatin1Char('S'), QByteArray(argv[1]));
    platform::HostFileSystem fs(map);
    platform::HeadlessToolkit toolkit;
    platform::ScopedPlatform scope(&fs, &toolkit);
    Begin worker;
    if (const char *readers = std::getenv("QUORVANE_SCAN_READERS"))
        worker.walk.readers = std::atoi(readers);

    const auto start = std::chrono::steady_clock::now();
    QString path = QStringLiteral("S:\\");
    QString patterns = QString::fromLocal8Bit(argv[2]);
    ScanTree(worker, path, patterns);
    const auto scanned = std::chrono::steady_clock::now();

    // Reading the list settles its order, as a listing run would.
    const qsizetype n = worker.lstFoundFiles.count();
    (void)worker.lstFoundFiles.item(0);
    const auto sorted = std::chrono::steady_clock::now();
    // Written as fd and find write theirs: straight into one buffer.
    QStringEncoder utf8(QStringEncoder::Utf8);
    QByteArray out(1 << 20, Qt::Uninitialized);
    char *end = out.data();
    for (qsizetype i = 0; i < n && !quiet; ++i) {
        const QStringView entry = worker.lstFoundFiles.itemView(i);
        if (end - out.data() + 3 * entry.size() + 1 > out.size()) {
            std::fwrite(out.constData(), 1, size_t(end - out.data()), stdout);
            end = out.data();
            if (3 * entry.size() + 1 > out.size())
                out.resize(3 * entry.size() + 1);
            end = out.data();
        }
        end = utf8.appendToBuffer(end, entry);
        *end++ = '\n';
    }
    std::fwrite(out.constData(), 1, size_t(end - out.data()), stdout);
    std::fflush(stdout);
    const auto listed = std::chrono::steady_clock::now();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    std::fprintf(stderr, "found %lld\nscan_ms %.1f\nsort_ms %.1f\nlist_ms %.1f\npeak_rss_kb %ld\n",
                 static_cast<long long>(n), ms(start, scanned), ms(scanned, sorted), ms(sorted, listed),
                 usage.ru_maxrss);
    return 0;
}
