#pragma once

#include "enumerators.h"
#include "stringlist.h"

#include "platform/result.h"

#include <QString>

#include <vector>

namespace quorvane {

// True while a walk is under way; a run that ends clears it, which makes an
// outer walk that is waiting in its yield give up.
extern bool ScanActive;

void ScanTree(QString &path, QString &patterns);
// Adds the files of the folder dirs stands in to found under their full
// paths; a folder that cannot be read is noted.
void addFolderFiles(DirectoryEnumerator &dirs, FileEnumerator &files, StringList &found);
bool ScanDir(const QString &newPath, const QString &backUp, DirectoryEnumerator &dirs, FileEnumerator &files,
             StringList &found);

// A folder a walk could not read, and why.
struct UnreadableFolder {
    QString path;   // as the walk names it
    int error = 0;  // the run-time error number
    QString reason; // the host's reason, in German
};

// The folders the last walk could not read, in the order it met them. A walk
// that starts clears them; the window keeps quiet about them, the command
// line names them.
const std::vector<UnreadableFolder> &unreadableFolders();
void clearUnreadableFolders();
void noteUnreadableFolder(const QString &path, const platform::Status &why);

} // namespace quorvane
