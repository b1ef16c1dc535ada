#pragma once

#include <QString>

namespace quorvane {

// The form in which the main window shows a path: every component as the
// file system stores it. A path whose stored form cannot be had comes back
// re-cased, each word starting with a capital letter.
QString GetLongName(QString path);

// The re-cased form alone: upper case after " ", "-", "(", "_" and "\" and
// at the start, lower case everywhere else; never longer than the input.
QString RecaseWords(const QString &path);

} // namespace quorvane
