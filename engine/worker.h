#pragma once

#include "enumerators.h"
#include "stringlist.h"

namespace quorvane {

// The hidden worker that holds the scan lists and the two enumerators.
struct Begin {
    Begin();
    StringList lstFullPathName{true};
    StringList lstFilesToCopy{false};
    StringList lstFoundDirs{true};
    StringList lstFoundFiles{true};
    FileEnumerator filList;
    DirectoryEnumerator dirList;
};

// Created on first use.
Begin &worker();

extern DirectoryEnumerator *DirListCtl;
extern FileEnumerator *FileListCtl;
extern StringList *FoundFilesList;

void InitFileHandling();

// Waits until the lists a run fills beside its listing are complete. Call it
// before reading lstFullPathName while a run may be under way.
void settleFoundLists();

} // namespace quorvane
