#include "startup/commandline.h"

#include "platform/services.h"

namespace quorvane {

QString CommandLineText(const QStringList &arguments)
{
    const QString text = arguments.mid(1).join(QLatin1Char(' '));
    if (!text.startsWith(QLatin1Char('/')))
        return text;
    const platform::Result<QString> drivePath = platform::fileSystem().drivePath(text);
    return drivePath.ok() ? drivePath.value() : text;
}

} // namespace quorvane
