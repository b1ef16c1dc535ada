#pragma once

#include <QString>

namespace quorvane {

// Where the settings file lives. Next to the program while its folder takes
// writes, as it always has (a copy carried on a stick keeps its settings with
// it); otherwise "Quorvane\Quorvane.ini" in the user's configuration folder,
// since a file in a folder the user cannot write would silently never be saved.
// appPath: the program folder in drive form, ending in "\".
QString SettingsFileFor(const QString &appPath);

// The file start-up reads the patterns from: IniFile, or, while that does not
// exist yet, the file next to the program, so that a write-protected copy still
// brings the patterns it carries. Once the user has saved, their file wins.
QString SettingsFileToRead();

// Stores the user's patterns in IniFile, as closing the main window does. The
// user's settings folder is made first when that is where the file goes.
void WriteUserPatterns(const QString &text);

} // namespace quorvane
