#pragma once

#include "engine/run/imagingrun.h"

#include <QElapsedTimer>

class QWidget;

namespace quorvane {

// The thin strip along the bottom of the main window (Picture1 with its
// navy block Label3) as the run's progress: while the scan walks, the block
// moves and the strip's tooltip counts the files found so far; while files
// are listed or imaged, the block's width is the share done. Once the run
// is over the strip looks as it always did.
class ProgressStrip {
public:
    ProgressStrip(QWidget *strip, QWidget *block);

    void show(const RunProgress &progress);
    void reset();

    // Where the block stands and how wide it is, in twips, for a stage.
    static int blockLeft(qint64 elapsedMs);
    static int blockWidth(qsizetype done, qsizetype total);

private:
    QWidget *m_strip;
    QWidget *m_block;
    QElapsedTimer m_clock;
};

} // namespace quorvane
