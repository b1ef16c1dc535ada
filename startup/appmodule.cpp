#include "startup/appmodule.h"

#include "engine/joboptions.h"
#include "engine/worker.h"
#include "paths/longname.h"
#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/services.h"
#include "startup/commandline.h"
#include "startup/settingsfile.h"
#include "startup/settingslocation.h"

#include <QCoreApplication>

#include <exception>

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

// Start-up shows no message and never stops: a step that fails is skipped,
// and what earlier steps set stays.
template <typename Step>
void trapped(Step &&step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

void setProgramFolderSource(ProgramFolderSource source)
{
    folderSource() = std::move(source);
}

void InitSystemPaths()
{
    trapped([] {
        const QString folder = programFolder();
        if (folder.isEmpty())
            return;
        const platform::Result<QString> drivePath = platform::fileSystem().drivePath(folder);
        if (drivePath.ok() && !drivePath.value.isEmpty())
            AppPath = drivePath.value;
    });
    trapped([] { AddBackslash(AppPath); });
    trapped([] { CrLf = QStringLiteral("\r\n"); });
}

void InitAppSettings()
{
    trapped([] { IniFile = SettingsFileFor(AppPath); });
    trapped([] { AppTitle = QStringLiteral("Brannick Quorvane"); });
    trapped([] { FilePatterns = QStringLiteral("*.exe"); });
}

void Main(const QStringList &arguments, const std::function<Form1Port &()> &form1)
{
    trapped([] { InitSystemPaths(); });
    trapped([] { InitFileHandling(); });
    trapped([] { InitAppSettings(); });

    QString text;
    trapped([&] { text = CommandLineText(arguments); });
    if (!text.isEmpty()) {
        QString folder;
        trapped([&] { CmdLine = text; });
        trapped([&] { folder = GetLongName(GetParentPath(CmdLine)); });
        // A drive or folder that cannot be set leaves the window's start values.
        trapped([&] { (void)form1().setSourceDrive(folder.left(2)); });
        trapped([&] { (void)form1().setSourceDirectory(folder); });
    }

    trapped([&] {
        const QString patterns = ReadIniString(AppTitle, QStringLiteral("UserDef"), SettingsFileToRead(),
                                               QStringLiteral("*.cdr;*.scr"));
        form1().setPatternText(patterns);
    });
    trapped([&] { form1().show(); });
}

} // namespace quorvane
