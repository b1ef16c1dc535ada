#pragma once

// A main window on test drives: C: and D: are temporary folders, E: one
// that can be taken away after the window has listed it (a drive without a
// medium). The toolkit is scripted; the program's end is recorded instead
// of carried out.
#include "support/testdrive.h"

#include "paths/shared.h"
#include "ui/main/form1.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct Form1Fixture {
    QTemporaryDir d, e;
    quorvane::platform::ScriptedToolkit toolkit;
    std::unique_ptr<TestDrive> c;
    std::unique_ptr<quorvane::Form1> form;
    int programEnds = 0;
    int immediateEnds = 0;

    bool setUp()
    {
        if (!d.isValid() || !e.isValid())
            return false;
        toolkit.setScreenSizeTwips(QSize(15360, 11520));
        c = std::make_unique<TestDrive>('C', &toolkit, TestDrive::Extra{{'D', d.path()}, {'E', e.path()}});
        if (!c->isValid() || !c->makeDir(QStringLiteral("Prog")) || !c->makeDir(QStringLiteral("Daten/sub")))
            return false;
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

    QString host(const QString &relative) const { return c->host(relative); }

    ~Form1Fixture() { form.reset(); }
};
