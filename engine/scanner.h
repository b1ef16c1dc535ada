#pragma once

#include "enumerators.h"
#include "stringlist.h"

#include <QString>

namespace quorvane {

// True while a walk is under way; a run that ends clears it, which makes an
// outer walk that is waiting in its yield give up.
extern bool ScanActive;

void ScanTree(QString &path, QString &patterns);
bool ScanDir(const QString &newPath, const QString &backUp, DirectoryEnumerator &dirs,
             FileEnumerator &files, StringList &found);

} // namespace quorvane
