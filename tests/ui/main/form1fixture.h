#pragma once

// A main window on scratch drives: C: and D: are temporary folders, E: one
// that is taken away after the window has listed it (a drive without a
// medium). The toolkit is scripted; the program's end is recorded instead
// of carried out.
#include "paths/shared.h"
#include "platform/drivemap.h"
#include "platform/hostfilesystem.h"
#include "platform/scriptedtoolkit.h"
#include "platform/services.h"
#include "ui/main/form1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct Form1Fixture {
    QTemporaryDir c, d, e;
    std::unique_ptr<quorvane::platform::HostFileSystem> fs;
    quorvane::platform::ScriptedToolkit toolkit;
    std::unique_ptr<quorvane::platform::ScopedPlatform> scope;
    std::unique_ptr<quorvane::Form1> form;
    int programEnds = 0;
    int immediateEnds = 0;

    bool setUp()
    {
        if (!c.isValid() || !d.isValid() || !e.isValid())
            return false;
        QDir(c.path()).mkpath(QStringLiteral("Prog"));
        QDir(c.path()).mkpath(QStringLiteral("Daten/sub"));
        quorvane::platform::DriveMap map;
        map.set(QLatin1Char('C'), QFile::encodeName(c.path()));
        map.set(QLatin1Char('D'), QFile::encodeName(d.path()));
        map.set(QLatin1Char('E'), QFile::encodeName(e.path()));
        fs = std::make_unique<quorvane::platform::HostFileSystem>(map);
        toolkit.setScreenSizeTwips(QSize(15360, 11520));
        scope = std::make_unique<quorvane::platform::ScopedPlatform>(fs.get(), &toolkit);
        quorvane::AppPath = QStringLiteral("C:\\Prog\\");
        quorvane::IniFile = QStringLiteral("C:\\Prog\\Quorvane.ini");
        quorvane::AppTitle = QStringLiteral("Brannick Quorvane");
        form = std::make_unique<quorvane::Form1>();
        form->setProgramEnd([this] { ++programEnds; });
        form->setImmediateEnd([this] { ++immediateEnds; });
        return true;
    }

    bool showWindow()
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    QString host(const QString &relative) const { return c.path() + QLatin1Char('/') + relative; }

    ~Form1Fixture()
    {
        form.reset();
        scope.reset();
    }
};
