#pragma once

#include "engine/scan/enumerators.h"
#include "engine/placement/skippedfile.h"
#include "engine/scan/stringlist.h"
#include "engine/scan/walkcache.h"

#include "platform/result.h"

#include <QString>

#include <functional>
#include <future>
#include <vector>

namespace quorvane {

// The hidden worker of one run owner: the scan lists, the two enumerators
// and the walk that fills them. The lists stay as the last run left them,
// for the viewer to read.
class Begin {
public:
    Begin();
    ~Begin();
    Begin(const Begin &) = delete;
    Begin &operator=(const Begin &) = delete;

    StringList lstFullPathName{true};
    StringList lstFilesToCopy{false};
    StringList lstFoundDirs{true};
    StringList lstFoundFiles{true};
    FileEnumerator filList;
    DirectoryEnumerator dirList;

    // True while a walk is under way; clearing it makes a walk waiting in its
    // yield give up, at every level.
    bool ScanActive = false;
    WalkState walk;
    // Called before each yield of a walk, so that its progress can be shown.
    std::function<void()> beforeYield;

    // The folders the last walk could not read, in the order it met them.
    // A walk that starts clears them; the window names them at the run's
    // end, the command line as they are.
    const std::vector<UnreadableFolder> &unreadableFolders() const { return m_unreadable; }
    void clearUnreadableFolders() { m_unreadable.clear(); }
    void noteUnreadableFolder(const QString &path, const platform::Status &why);

    // lstFullPathName is filled beside the listing, on another processor.
    void fillFullPathsAside(std::function<void()> fill);
    // Waits until lstFullPathName is complete. Call it before reading it
    // while a run may be under way.
    void settleFoundLists();
    // The same, giving the window its turns while it waits, so that a
    // million complete path names being made never freeze it. Returns at
    // once when nothing is being filled.
    void settleFoundListsYielding();
    // Empties every list, once no background fill writes to one.
    void clearLists();

private:
    std::vector<UnreadableFolder> m_unreadable;
    std::future<void> m_fullPaths;
};

} // namespace quorvane
