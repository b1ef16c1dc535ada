#include "engine/worker.h"

namespace quorvane {

DirectoryEnumerator *DirListCtl = nullptr;
FileEnumerator *FileListCtl = nullptr;
StringList *FoundFilesList = nullptr;

Begin::Begin()
{
    // The file enumerator always lists the directory that the directory
    // enumerator stands in. The scan lists each folder's files itself and
    // names one it cannot read, so this following step has nothing to add.
    dirList.onPathChanged = [this](const QString &newPath) { (void)filList.setPath(newPath); };
}

Begin &worker()
{
    static Begin instance;
    return instance;
}

void InitFileHandling()
{
    Begin &begin = worker();
    DirListCtl = &begin.dirList;
    FileListCtl = &begin.filList;
    FoundFilesList = &begin.lstFoundFiles;
}

} // namespace quorvane
