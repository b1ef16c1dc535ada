#pragma once

#include <QString>

namespace quorvane {

QString AddBackslash(QString &path);
QString GetParentPath(const QString &path);
QString GetFileName(const QString &path);
QString GetExtension(const QString &name);
bool FileExists(const QString &path);
bool DirExists(const QString &path);
// kind: 1 information, 2 warning, 3 error, 4 question; an empty title becomes AppTitle.
void ShowMessage(const QString &text, int kind, QString &title);
void ShowMessage(const QString &text, int kind);

} // namespace quorvane
