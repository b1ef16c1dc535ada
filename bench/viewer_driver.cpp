// A listing of every file into the result viewer, then what a user does with
// it: the full-path toggle on and off, the save-as window, closing the
// viewer. Prints "name value" lines: the time to the first lines, the
// longest the window waited for its next turn, the toggle's and the save-as
// window's times, the peak memory and the memory once the viewer is closed.
// usage: viewer_driver HOSTDIR
#include "offscreenprogram.h"

#include "engine/run/run.h"
#include "ui/browser/browser.h"
#include "ui/viewer/frmeditor.h"
#include "ui/viewer/listexport.h"
#include "ui/viewer/savecommands.h"
#include "ui/viewer/viewerhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

using namespace quorvane;

namespace {

// A line of /proc/self/status in MiB ("VmRSS", "VmHWM").
double statusMb(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name)) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// The longest pause between two turns of the event loop while it is watched.
class TurnWatch : public QObject {
public:
    TurnWatch()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
        });
    }
    void start()
    {
        m_clock.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_clock.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// The viewer as the run feeds it, noting when the first lines arrive.
class TimedView : public ListingView {
public:
    TimedView(ViewerHost &host, const QElapsedTimer &clock) : m_host(host), m_clock(clock) {}
    void showViewer() override { m_host.showViewer(); }
    void clearPanes() override { m_host.clearPanes(); }
    void appendToFilePane(const QStringList &entries) override
    {
        m_host.appendToFilePane(entries);
        if (firstLinesMs < 0)
            firstLinesMs = m_clock.elapsed();
    }
    void appendToDirPane(const QStringList &entries) override { m_host.appendToDirPane(entries); }
    bool showsWholeLists() const override { return m_host.showsWholeLists(); }
    void showFilePaneList(const StringList &list) override
    {
        m_host.showFilePaneList(list);
        if (firstLinesMs < 0)
            firstLinesMs = m_clock.elapsed();
    }
    void showDirPaneList(const StringList &list) override { m_host.showDirPaneList(list); }

    qint64 firstLinesMs = -1;

private:
    ViewerHost &m_host;
    const QElapsedTimer &m_clock;
};

void print(const char *name, double value)
{
    std::printf("%s %.1f\n", name, value);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s HOSTDIR\n", argv[0]);
        return 2;
    }
    OffscreenProgram program(argc, argv, argv[1]);
    ViewerHost host;
    InstallSaveAsBrowser(host);
    Run run;
    host.setLists(&run.lists());
    const double before = statusMb("VmRSS");

    JobOptions options;
    options.SourceDir = QStringLiteral("S:\\");
    options.TextListing = true;
    options.AllTypes = Checked;
    QElapsedTimer clock;
    clock.start();
    TimedView view(host, clock);
    TurnWatch listingWatch;
    listingWatch.start();
    const RunSummary summary = run.RunJob(options, &view);
    print("listing_ms", double(clock.elapsed()));
    print("listing_longest_wait_ms", double(listingWatch.stop()));
    print("first_lines_ms", double(view.firstLinesMs));
    print("after_listing_mb", statusMb("VmRSS"));
    print("listing_peak_mb", statusMb("VmHWM"));
    frmEditor *viewer = host.viewer();
    if (!viewer || summary.found == 0) {
        std::fprintf(stderr, "no viewer or no files\n");
        return 1;
    }

    for (const char *name : {"toggle_on_ms", "toggle_off_ms"}) {
        TurnWatch watch;
        watch.start();
        clock.restart();
        viewer->mnuKomplett_Click();
        print(name, double(clock.elapsed()));
        print(QByteArray(name).replace("_ms", "_longest_wait_ms").constData(), double(watch.stop()));
    }

    print("after_toggle_mb", statusMb("VmRSS"));
    clock.restart();
    mnuFileItem_Click(viewer);
    QApplication::processEvents();
    print("saveas_open_ms", double(clock.elapsed()));
    // What "Übernehmen" then writes, into a scratch file on C:.
    const QString scratch = QStringLiteral("C:\\tmp\\quorvane-viewer-bench.txt");
    TurnWatch saveWatch;
    saveWatch.start();
    clock.restart();
    const bool saved = WriteTextFile(scratch, ExportText);
    print("save_ms", double(clock.elapsed()));
    print("save_longest_wait_ms", double(saveWatch.stop()));
    QFile::remove(QStringLiteral("/tmp/quorvane-viewer-bench.txt"));
    if (!saved) {
        std::fprintf(stderr, "the list was not written\n");
        return 1;
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != viewer && w->isVisible())
            w->close();
    }
    QApplication::processEvents();
    print("peak_mb", statusMb("VmHWM"));

    // As the main window does once the viewer is gone.
    QObject::connect(&host, &ViewerHost::viewerGone, [&run] { run.releaseLists(); });
    host.unloadViewer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    print("before_mb", before);
    print("after_close_mb", statusMb("VmRSS"));
    print("files", double(summary.found));
    return 0;
}
