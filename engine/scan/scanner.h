#pragma once

#include "engine/scan/worker.h"

#include <QString>

namespace quorvane {

// Walks the tree below path and puts every file that matches patterns into
// worker.lstFoundFiles under its full path; "" matches every file. path
// receives its trailing "\". The enumerators stand in the start afterwards.
void ScanTree(Begin &worker, QString &path, QString &patterns);

// Adds the files of the folder dirs stands in to found under their full
// paths; a folder that cannot be read is noted.
void addFolderFiles(Begin &worker, DirectoryEnumerator &dirs, FileEnumerator &files, StringList &found);

// Visits newPath (where dirs stands) and everything below it, then steps dirs
// back into backUp. Returns true when the walk was abandoned: worker.ScanActive
// was cleared (the run ended or was stopped) while a visit yielded. Callers
// return at once then, without reading on.
bool ScanDir(Begin &worker, const QString &newPath, const QString &backUp, DirectoryEnumerator &dirs,
             FileEnumerator &files, StringList &found);

} // namespace quorvane
