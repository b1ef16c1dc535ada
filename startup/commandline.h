#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

// The command-line text as the program reads it: everything after the
// program's own name, the arguments joined by single blanks, quotation marks
// kept. A text that starts with "/" names a host path and comes back in its
// drive form ("C:\home\anna\x.txt"); one that has no drive form stays as it is.
// arguments: as the process received them, the program's name first.
QString CommandLineText(const QStringList &arguments);

} // namespace quorvane
