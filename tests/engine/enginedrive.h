#pragma once

#include "support/testdrive.h"

#include "engine/worker.h"

#include <QStringList>

// The test drive with the worker's lists bound, noting where the directory
// enumerator stands at every yield: the scanner yields once per visit, right
// after entering it.
class EngineDrive : public TestDrive {
public:
    explicit EngineDrive(char letter = 'D', const QString &baseDir = QString())
        : TestDrive(letter, nullptr, {}, baseDir)
    {
        quorvane::InitFileHandling();
        toolkit.onYield = [this](int) {
            if (quorvane::DirListCtl)
                visits.append(quorvane::DirListCtl->path());
        };
    }

    QStringList visits;
};
