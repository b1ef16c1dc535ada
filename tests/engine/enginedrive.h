#pragma once

#include "support/testdrive.h"

#include "engine/scan/worker.h"

#include <QStringList>

// The test drive with a worker of its own, noting where the worker's
// directory enumerator stands at every yield: the scanner yields once per
// visit, right after entering it.
class EngineDrive : public TestDrive {
public:
    explicit EngineDrive(char letter = 'D', const QString &baseDir = QString())
        : TestDrive(letter, nullptr, {}, baseDir)
    {
        toolkit.onYield = [this](int) { visits.append(worker.dirList.path()); };
    }

    quorvane::Begin worker;
    QStringList visits;
};
