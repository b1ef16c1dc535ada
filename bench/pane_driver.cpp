// How the viewer's pane grows with its list: appends in batches of 1,000
// into a pane, offscreen, for two list lengths; a pane that rewrote its
// whole text per batch would show a ratio far above 2.
// usage: pane_driver [ENTRIES]   (default 100000; half of it is timed too)
#include "ui/viewer/linepane.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace quorvane;

namespace {

qint64 fillMs(int entries)
{
    LinePane pane;
    pane.show();
    QStringList batch;
    for (int i = 0; i < 1000; ++i)
        batch.append(QStringLiteral("C:\\Daten\\Urlaub\\bild%1.jpg").arg(i, 5, 10, QChar('0')));
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < entries / 1000; ++round)
        pane.appendEntries(batch);
    return timer.elapsed();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? qMax(2000, QByteArray(argv[1]).toInt()) : 100000;
    const qint64 half = fillMs(entries / 2);
    const qint64 whole = fillMs(entries);
    std::printf("pane_fill_ms: %d entries %lld, %d entries %lld\n", entries / 2, half, entries, whole);
    std::printf("pane_fill_growth: %.2f\n", half > 0 ? double(whole) / double(half) : 0.0);
    return 0;
}
