#include "startup/settingslocation.h"

#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/fslog.h"
#include "platform/services.h"
#include "platform/userfolders.h"
#include "startup/settingsfile.h"

#include <QStringList>

namespace quorvane {

namespace {

const QString FileName = QStringLiteral("Quorvane.ini");

QString fileNextToProgram()
{
    return AppPath + FileName;
}

// Every missing level of an absolute drive path, by absolute paths: closing
// the window may happen while a run yields, and the run's current directory
// must not move under it, as it would with CreatePath.
void makeFolders(const QString &folder)
{
    platform::FileSystem &fs = platform::fileSystem();
    const QStringList parts = folder.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString path = parts.value(0);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        path += QLatin1Char('\\') + parts.at(i);
        const platform::Status made = fs.makeDirectory(path);
        if (!made.ok() && made.error != platform::ErrPathFileAccess) {
            // The write that follows fails too; this says why the folder is missing.
            platform::logFailure(made, QStringLiteral("Einstellungsordner anlegen"));
            return;
        }
    }
}

} // namespace

QString SettingsFileFor(const QString &appPath)
{
    const QString nextToProgram = appPath + FileName;
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<QString> programFolder = fs.hostPath(appPath);
    if (programFolder.ok() && platform::canWriteInFolder(programFolder.value()))
        return nextToProgram;
    const QString configFolder = platform::userConfigFolder();
    if (configFolder.isEmpty())
        return nextToProgram;
    // A configuration folder that no drive holds leaves nothing better.
    const platform::Result<QString> userFolder = fs.drivePath(configFolder + QStringLiteral("/Quorvane"));
    if (!userFolder.ok())
        return nextToProgram;
    return userFolder.value() + QLatin1Char('\\') + FileName;
}

QString SettingsFileToRead()
{
    if (IniFile == fileNextToProgram() || FileExists(IniFile))
        return IniFile;
    return fileNextToProgram();
}

void WriteUserPatterns(const QString &text)
{
    if (IniFile != fileNextToProgram())
        makeFolders(GetParentPath(IniFile));
    // The writer names its own failure; its result is always empty.
    WriteIniString(AppTitle, QStringLiteral("UserDef"), text, IniFile);
}

} // namespace quorvane
