#include "platform/fslog.h"

namespace quorvane::platform {

Q_LOGGING_CATEGORY(fsLog, "quorvane.fs")

void logFailure(const Status &status, const QString &doing)
{
    if (status.ok())
        return;
    const QString why = status.message.isEmpty() ? status.reason : status.message;
    qCWarning(fsLog).noquote() << doing << QStringLiteral("(Fehler %1):").arg(status.error) << why;
}

} // namespace quorvane::platform
