#include "cli/report.h"

#include "cli/listoutput.h"
#include "platform/namecodec.h"
#include "platform/services.h"

namespace quorvane::cli {

QString hostForm(const QString &drivePath)
{
    const platform::Result<QByteArray> host = platform::fileSystem().hostBytes(drivePath);
    return oneLine(host.ok() ? platform::decodeText(host.value) : drivePath);
}

QString skippedLine(const SkippedFile &skipped)
{
    if (skipped.action == ImageAction::MakeFolder)
        return QStringLiteral("nicht angelegt: %1: %2").arg(hostForm(skipped.target), oneLine(skipped.reason));
    QString where;
    if (!skipped.subject.isEmpty() && skipped.subject.compare(skipped.source, Qt::CaseInsensitive) != 0) {
        where = skipped.subject.compare(skipped.target, Qt::CaseInsensitive) == 0
            ? QStringLiteral("Ziel %1: ").arg(hostForm(skipped.target))
            : hostForm(skipped.subject) + QStringLiteral(": ");
    }
    return QStringLiteral("übersprungen: %1: %2%3").arg(hostForm(skipped.source), where, oneLine(skipped.reason));
}

} // namespace quorvane::cli
