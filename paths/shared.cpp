#include "paths/shared.h"

namespace quorvane {

// Start values that let the engine and its tests run before start-up has
// filled in the real program folder.
QString AppPath = QStringLiteral("C:\\");
QString IniFile = QStringLiteral("C:\\Quorvane.ini");
QString AppTitle = QStringLiteral("Brannick Quorvane");
QString CmdLine;

} // namespace quorvane
