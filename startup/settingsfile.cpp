#include "startup/settingsfile.h"

#include "platform/codepage.h"
#include "platform/fslog.h"
#include "platform/services.h"
#include "startup/profiletext.h"

namespace quorvane {

namespace {

// Room of the value buffer, its terminating NUL included.
constexpr qsizetype ValueBufferSize = 2048;

// Upper case character by character, so that no name changes its length.
QString upperCased(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toUpper();
    return out;
}

bool isAbsent(int error)
{
    return error == platform::ErrFileNotFound || error == platform::ErrPathNotFound;
}

} // namespace

QString ReadIniString(const QString &section, const QString &key, const QString &file, const QString &defaultValue)
{
    const platform::Result<QByteArray> bytes = platform::fileSystem().readFile(file, SettingsFileLimit);
    if (!bytes.ok()) {
        // A file that is not there is no failure: the default is what it means.
        if (!isAbsent(bytes.error))
            platform::logFailure(bytes.status(), QStringLiteral("Einstellungen lesen"));
        return defaultValue;
    }
    // The names go through the code page as the platform call would see them.
    const std::optional<QByteArray> stored =
        findProfileValue(bytes.value(), platform::fromCodePage(platform::toCodePage(upperCased(section))),
                         platform::fromCodePage(platform::toCodePage(upperCased(key))));
    if (!stored || stored->isEmpty())
        return defaultValue;
    return platform::fromCodePage(stored->left(ValueBufferSize - 1));
}

QString WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file)
{
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<QByteArray> old = fs.readFile(file, SettingsFileLimit);
    if (!old.ok() && !isAbsent(old.error)) {
        // A file that cannot be read whole (too large, no access) is kept
        // rather than replaced by a file with one key.
        platform::logFailure(old.status(), QStringLiteral("Einstellungen lesen"));
        return QString();
    }
    const QByteArray content = old.ok() ? old.value() : QByteArray();
    const QByteArray updated =
        setProfileValue(content, platform::toCodePage(section), platform::toCodePage(key), platform::toCodePage(value));
    platform::logFailure(fs.replaceFile(file, updated), QStringLiteral("Einstellungen speichern"));
    return QString();
}

} // namespace quorvane
