#include "platform/services.h"

#include "platform/headlesstoolkit.h"
#include "platform/host/hostfilesystem.h"

namespace quorvane::platform {

namespace {

FileSystem *g_fileSystem = nullptr;
Toolkit *g_toolkit = nullptr;

// Made on first use, so QUORVANE_DRIVES is read after main has started.
FileSystem &defaultFileSystem()
{
    static HostFileSystem fs;
    return fs;
}

Toolkit &defaultToolkit()
{
    static HeadlessToolkit tk;
    return tk;
}

} // namespace

FileSystem &fileSystem()
{
    return g_fileSystem ? *g_fileSystem : defaultFileSystem();
}

Toolkit &toolkit()
{
    return g_toolkit ? *g_toolkit : defaultToolkit();
}

void installFileSystem(FileSystem *fs)
{
    g_fileSystem = fs;
}

void installToolkit(Toolkit *tk)
{
    g_toolkit = tk;
}

ScopedPlatform::ScopedPlatform(FileSystem *fs, Toolkit *tk) : m_previousFs(g_fileSystem), m_previousTk(g_toolkit)
{
    if (fs)
        g_fileSystem = fs;
    if (tk)
        g_toolkit = tk;
}

ScopedPlatform::~ScopedPlatform()
{
    g_fileSystem = m_previousFs;
    g_toolkit = m_previousTk;
}

} // namespace quorvane::platform
