// A whole listing run into the result viewer, as the start button makes it:
// the scan, then both panes filled, on the offscreen platform. The tree is a
// host folder mapped as drive S:.
// usage: listing_driver HOSTDIR all|pictures
#include "offscreenprogram.h"

#include "engine/run/run.h"
#include "engine/scan/worker.h"
#include "ui/viewer/frmeditor.h"
#include "ui/viewer/viewerhost.h"

#include <QApplication>
#include "ui/viewer/linepane.h"

#include <cstdio>
#include <cstring>

using namespace quorvane;

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HOSTDIR all|pictures\n", argv[0]);
        return 2;
    }
    OffscreenProgram program(argc, argv, argv[1]);

    JobOptions options;
    options.SourceDir = QStringLiteral("S:\\");
    options.TextListing = true;
    if (std::strcmp(argv[2], "all") == 0)
        options.AllTypes = Checked;
    else
        options.ImageGroup = Checked;
    ViewerHost host;
    Run run;
    const RunSummary summary = run.RunJob(options, &host);
    // The panes must really hold the listing, not just have been sent it:
    // a line per file, the last file last. (Reading all of the text back, as
    // a save does, is not part of a listing.)
    const LineBuffer *files = host.viewer() ? &host.viewer()->pane(Pane::Files).lines() : nullptr;
    const qsizetype lines = files ? files->lineCount() : 0;
    const bool endsRight =
        files && summary.found > 0 && files->line(lines - 1) == run.lists().lstFoundFiles.item(summary.found - 1);
    host.unloadViewer();
    if (lines != summary.found || !endsRight) {
        std::fprintf(stderr, "file pane holds %lld lines for %lld files\n", (long long)lines, (long long)summary.found);
        return 1;
    }
    return 0;
}
