#pragma once

#include <QString>

namespace quorvane {

// Program-wide values, set once by start-up. They carry usable values from
// the beginning so that the engine and its tests run without start-up.
extern QString AppPath;  // program folder in drive form, ending in "\"
extern QString IniFile;  // the settings file: AppPath + "Quorvane.ini", or the user's own (startup/settingslocation.h)
extern QString AppTitle; // "Brannick Quorvane"
extern QString CmdLine;  // the command-line text, or empty

} // namespace quorvane
