#pragma once

#include "startup/form1port.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quorvane {

// The program's start: sets the shared values, applies a path from the
// command line to the source side of the main window, puts the stored
// patterns into it and shows it. form1 hands out the main window;
// it is called at each touch, and the window loads at the first one.
// arguments: as the process received them, the program's name first.
void Main(const QStringList &arguments, const std::function<Form1Port &()> &form1);

// AppPath: the program folder in drive form, ending in "\".
void InitSystemPaths();
// IniFile and AppTitle.
void InitAppSettings();

// Where the program folder comes from: a host path such as
// QCoreApplication::applicationDirPath() gives. Tests put in their own; an
// empty function restores the real one.
using ProgramFolderSource = std::function<QString()>;
void setProgramFolderSource(ProgramFolderSource source);

} // namespace quorvane
