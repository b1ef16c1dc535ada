#include "startup/appmodule.h"

#include "paths/longname.h"
#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/fslog.h"
#include "platform/services.h"
#include "startup/commandline.h"
#include "startup/settingsfile.h"
#include "startup/settingslocation.h"

#include <QCoreApplication>

namespace quorvane {

namespace {

ProgramFolderSource &folderSource()
{
    static ProgramFolderSource source;
    return source;
}

QString programFolder()
{
    if (folderSource())
        return folderSource()();
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath();
}

} // namespace

void setProgramFolderSource(ProgramFolderSource source)
{
    folderSource() = std::move(source);
}

// Start-up shows no message and never stops: a step that fails is skipped,
// and what earlier steps set stays.
void InitSystemPaths()
{
    const QString folder = programFolder();
    if (!folder.isEmpty()) {
        const platform::Result<QString> drivePath = platform::fileSystem().drivePath(folder);
        if (drivePath.ok() && !drivePath.value().isEmpty())
            AppPath = drivePath.value();
        else
            platform::logFailure(drivePath.status(), QStringLiteral("Programmordner bestimmen"));
    }
    AddBackslash(AppPath);
}

void InitAppSettings()
{
    IniFile = SettingsFileFor(AppPath);
    AppTitle = QStringLiteral("Brannick Quorvane");
}

void Main(const QStringList &arguments, const std::function<Form1Port &()> &form1)
{
    InitSystemPaths();
    InitAppSettings();

    const QString text = CommandLineText(arguments);
    if (!text.isEmpty()) {
        CmdLine = text;
        const QString folder = GetLongName(GetParentPath(CmdLine));
        // A drive or folder that cannot be set leaves the window's start values.
        platform::logFailure(form1().setSourceDrive(folder.left(2)), QStringLiteral("Quell-Laufwerk wählen"));
        platform::logFailure(form1().setSourceDirectory(folder), QStringLiteral("Quell-Verzeichnis wählen"));
    }

    form1().setPatternText(
        ReadIniString(AppTitle, QStringLiteral("UserDef"), SettingsFileToRead(), QStringLiteral("*.cdr;*.scr")));
    form1().show();
}

} // namespace quorvane
