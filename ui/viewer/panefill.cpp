#include "panefill.h"

#include "engine/scan/stringlist.h"
#include "panetext.h"
#include "platform/services.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>

namespace quorvane {

bool refillPane(QPlainTextEdit &pane, const StringList &list, const std::function<bool()> &stillWanted)
{
    QPointer<QPlainTextEdit> guard(&pane);
    clearPane(pane);
    const qsizetype count = list.count();
    QStringList batch;
    batch.reserve(FillBatchEntries);
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (qsizetype i = 0; i < count; ++i) {
        batch.append(list.item(i));
        const bool last = i + 1 == count;
        if (!last && batch.size() < FillBatchEntries && sinceYield.elapsed() < FillYieldMilliseconds)
            continue;
        // The user may have typed since the last yield: the rule reads the pane afresh.
        appendToPane(pane, batch);
        batch.clear();
        platform::toolkit().yield();
        if (!guard || (stillWanted && !stillWanted()))
            return false;
        sinceYield.restart();
    }
    return true;
}

} // namespace quorvane
