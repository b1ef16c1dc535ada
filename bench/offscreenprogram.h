#pragma once

#include "platform/drivemap.h"
#include "platform/host/hostfilesystem.h"
#include "platform/processtuning.h"
#include "platform/services.h"
#include "platform/widgets/qttoolkit.h"

#include <QApplication>
#include <QByteArray>

// The program's windows on the offscreen platform, with a host folder as
// drive S: and the heap kept as the program keeps it: what the window
// drivers measure in.
class OffscreenProgram {
public:
    OffscreenProgram(int &argc, char **argv, const char *hostFolder)
        : m_app(argc, argv), m_fs(driveMap(hostFolder)), m_scope(&m_fs, &m_toolkit)
    {
    }

private:
    // Before the application is made: it reads the platform's name once.
    struct Prepared {
        Prepared()
        {
            quorvane::platform::keepFreedMemory();
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    };
    static quorvane::platform::DriveMap driveMap(const char *hostFolder)
    {
        quorvane::platform::DriveMap map;
        map.set(QLatin1Char('S'), QByteArray(hostFolder));
        return map;
    }

    Prepared m_prepared;
    QApplication m_app;
    quorvane::platform::HostFileSystem m_fs;
    quorvane::platform::QtToolkit m_toolkit;
    quorvane::platform::ScopedPlatform m_scope;
};
