#include "engine/scan/worker.h"

#include "platform/hosterrors.h"
#include "platform/services.h"

#include <chrono>

#include <system_error>

namespace quorvane {

Begin::Begin()
{
    dirList.setWalk(&walk);
    filList.setWalk(&walk);
    // The file enumerator always lists the directory that the directory
    // enumerator stands in. The scan lists each folder's files itself and
    // names one it cannot read, so this following step has nothing to add.
    dirList.onPathChanged = [this](const QString &newPath) { (void)filList.setPath(newPath); };
}

Begin::~Begin()
{
    settleFoundLists();
}

void Begin::noteUnreadableFolder(const QString &path, const platform::Status &why)
{
    m_unreadable.push_back({path, why.error, why.message.isEmpty() ? platform::errorText(why.error) : why.message});
}

void Begin::fillFullPathsAside(std::function<void()> fill)
{
    settleFoundLists();
    try {
        m_fullPaths = std::async(std::launch::async, fill);
    } catch (const std::system_error &) {
        fill();
    }
}

void Begin::settleFoundLists()
{
    if (m_fullPaths.valid())
        m_fullPaths.get();
}

void Begin::settleFoundListsYielding()
{
    // The wait sleeps, so the filling thread keeps a processor of its own.
    while (m_fullPaths.valid() && m_fullPaths.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        platform::toolkit().yield();
    settleFoundLists();
}

void Begin::clearLists()
{
    settleFoundLists();
    lstFoundFiles.clear();
    lstFullPathName.clear();
    lstFoundDirs.clear();
    lstFilesToCopy.clear();
}

} // namespace quorvane
