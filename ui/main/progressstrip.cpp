#include "ui/main/progressstrip.h"

#include "platform/widgets/twips.h"

#include <QLocale>
#include <QWidget>

#include <algorithm>

namespace quorvane {

namespace {

// The strip's and the block's own size in twips, as the window lays them out.
constexpr int StripWidth = 8385;
constexpr int BlockWidth = 1815;
constexpr int BlockHeight = 165;
// The moving block crosses the strip in about a second and a half.
constexpr int TwipsPerSecond = 4500;

} // namespace

ProgressStrip::ProgressStrip(QWidget *strip, QWidget *block) : m_strip(strip), m_block(block) {}

int ProgressStrip::blockLeft(qint64 elapsedMs)
{
    // To and fro, so the block never jumps.
    const int travel = StripWidth - BlockWidth;
    const int at = int((elapsedMs * TwipsPerSecond / 1000) % (2 * travel));
    return at <= travel ? at : 2 * travel - at;
}

int ProgressStrip::blockWidth(qsizetype done, qsizetype total)
{
    if (total <= 0)
        return 0;
    return int(qint64(StripWidth) * std::min(done, total) / total);
}

void ProgressStrip::show(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunStage::Idle:
        reset();
        return;
    case RunStage::Scanning:
        if (!m_clock.isValid())
            m_clock.start();
        platform::place(m_block, blockLeft(m_clock.elapsed()), 0, BlockWidth, BlockHeight);
        m_strip->setToolTip(QStringLiteral("%1 Dateien gefunden").arg(QLocale(QLocale::German).toString(progress.total)));
        return;
    case RunStage::Listing:
    case RunStage::Imaging:
    case RunStage::Mirroring:
    case RunStage::Cleaning:
        m_clock.invalidate();
        platform::place(m_block, 0, 0, blockWidth(progress.done, progress.total), BlockHeight);
        m_strip->setToolTip(QStringLiteral("%1 von %2")
                                .arg(QLocale(QLocale::German).toString(progress.done),
                                     QLocale(QLocale::German).toString(progress.total)));
        return;
    }
}

void ProgressStrip::reset()
{
    m_clock.invalidate();
    platform::place(m_block, 0, 0, BlockWidth, BlockHeight);
    m_strip->setToolTip(QString());
}

} // namespace quorvane
